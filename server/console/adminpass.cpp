#include "adminpass.h"
#include "changelog.h"
#include "adminwindows.h"
#include "artwork.h"
#include "dialogs.h"
#include "module1.h"
#include "uiutil.h"
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>

using zarvo::BoxIcon;
using zarvo::twipsRect;
namespace Dialogs = zarvo::Dialogs;

AdminPass::AdminPass(QWidget *parent) : ConsoleWindow(parent)
{
    setObjectName(QStringLiteral("AdminPass"));
    setWindowTitle(QStringLiteral("Change Administrator Password"));
    setWindowIcon(zarvo::Artwork::icon(QStringLiteral("lock")));
    setFixedSize(zarvo::twips(5055), zarvo::twips(2760));

    auto *frame = new QGroupBox(QStringLiteral("Enter Password"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setGeometry(twipsRect(120, 120, 4815, 1815));
    const char *captions[] = {"Current Password", "New Password", "Confirm Password"};
    QLineEdit **boxes[] = {&m_current, &m_new, &m_confirm};
    for (int i = 0; i < 3; ++i) {
        auto *label = new QLabel(QString::fromLatin1(captions[i]), frame);
        label->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        label->setGeometry(twipsRect(240, 420 + i * 435, 1800, 255));
        *boxes[i] = AdminWindows::passwordBox(QStringLiteral("Text%1").arg(i + 1), frame);
        (*boxes[i])->setGeometry(twipsRect(2160, 380 + i * 435, 2415, 315));
    }

    m_accept = new QPushButton(QStringLiteral("Accept"), this);
    m_accept->setObjectName(QStringLiteral("Pushbutton1"));
    m_accept->setGeometry(twipsRect(2280, 2100, 1215, 420));
    m_accept->setAutoDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("Pushbutton2"));
    cancel->setGeometry(twipsRect(3600, 2100, 1215, 420));
    cancel->setAutoDefault(true);

    setTabOrder(m_current, m_new);
    setTabOrder(m_new, m_confirm);
    setTabOrder(m_confirm, m_accept);
    setTabOrder(m_accept, cancel);
    // Enter walks current -> new -> confirm -> "Accept" without pressing it.
    connect(m_current, &QLineEdit::returnPressed, this, [this] { m_new->setFocus(); });
    connect(m_new, &QLineEdit::returnPressed, this, [this] { m_confirm->setFocus(); });
    connect(m_confirm, &QLineEdit::returnPressed, this, [this] { m_accept->setFocus(); });
    connect(m_accept, &QPushButton::clicked, this, &AdminPass::accept);
    connect(cancel, &QPushButton::clicked, this, &AdminPass::closeWindow);
}

bool AdminPass::load()
{
    // Only coming back from another inner window empties the boxes: the console regaining
    // activation after one of this window's own boxes must leave them as they are.
    if (auto *frame = qobject_cast<QMdiSubWindow *>(parentWidget()); frame && frame->mdiArea()) {
        connect(frame->mdiArea(), &QMdiArea::subWindowActivated, this, [this, frame](QMdiSubWindow *now) {
            if (now && now != frame)
                m_cameFromElsewhere = true;
        });
    }
    return AdminWindows::openAdmin(m_admin, this);
}

void AdminPass::activated()
{
    if (m_cameFromElsewhere) {
        m_cameFromElsewhere = false;
        m_current->clear();
        m_new->clear();
        m_confirm->clear();
    }
    m_current->setFocus();
}

void AdminPass::accept()
{
    if (m_current->text().isEmpty() || m_new->text().isEmpty() || m_confirm->text().isEmpty()) {
        Dialogs::message(this, QStringLiteral("Some Fields are Empty"),
                         QStringLiteral("Incomplete Information"), BoxIcon::Exclamation);
        return;
    }
    if (m_confirm->text() != m_new->text()) {
        Dialogs::message(this, QStringLiteral("New Password Did Not Match"),
                         QStringLiteral("Password Mismatch"), BoxIcon::Exclamation);
        return;
    }
    try {
        if (!AdminWindows::passwordMatches(m_admin, m_current->text())) {
            Dialogs::message(this, QStringLiteral("Incorrect Admin Password"),
                             QStringLiteral("Password Incorrect! No Changes Have Been Made"),
                             BoxIcon::Exclamation);
            return;
        }
        // The log records that the password changed, never the password.
        ChangeLog::HandChange logged(Module1::instance().db, objectName(), m_admin, ChangeLog::Action::Change);
        m_admin.setValue(QStringLiteral("password"), m_new->text());
        m_admin.update();
        logged.commit();
    } catch (const zarvo::DbError &e) {
        // The store failed: the old password stays in force and the boxes keep their text. The
        // title names the failure, not a wrong password the administrator did not type.
        Dialogs::message(this, QStringLiteral("The password was not changed.") + QStringLiteral("\r\r") + e.message(),
                         QStringLiteral("Error! Updating Password"), BoxIcon::Exclamation);
        return;
    }
    Dialogs::message(this, QStringLiteral("Admin Password Updated"),
                     QStringLiteral("Password Update Successful"), BoxIcon::Information);
    closeWindow();
}
