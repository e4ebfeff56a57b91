#include "login.h"
#include "adminwindows.h"
#include "artwork.h"
#include "dialogs.h"
#include "module1.h"
#include "uiutil.h"
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using zarvo::BoxIcon;
using zarvo::twipsRect;
namespace Dialogs = zarvo::Dialogs;

LogIn::LogIn(QWidget *parent) : ConsoleWindow(parent)
{
    setObjectName(QStringLiteral("LogIn"));
    setWindowTitle(QStringLiteral("Administrator Login"));
    setWindowIcon(zarvo::Artwork::icon(QStringLiteral("login")));
    setFixedSize(zarvo::twips(4455), zarvo::twips(2160));

    auto *frame = new QGroupBox(QStringLiteral(" Enter Administrator Password "), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setGeometry(twipsRect(120, 120, 4215, 1215));
    auto *label = new QLabel(QStringLiteral("Password"), frame);
    label->setObjectName(QStringLiteral("Label1"));
    label->setGeometry(twipsRect(240, 540, 1000, 255));
    m_password = AdminWindows::passwordBox(QStringLiteral("Text1"), frame);
    m_password->setGeometry(twipsRect(1320, 500, 2655, 315));

    m_ok = new QPushButton(QStringLiteral("Ok"), this);
    m_ok->setObjectName(QStringLiteral("PushButton2"));
    m_ok->setGeometry(twipsRect(1680, 1500, 1215, 420));
    // A focused button is pressed by Enter, as on the desktop the administrators know.
    m_ok->setAutoDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("PushButton1"));
    cancel->setGeometry(twipsRect(3000, 1500, 1215, 420));
    cancel->setAutoDefault(true);

    setTabOrder(m_password, m_ok);
    setTabOrder(m_ok, cancel);
    // Enter in the password box only moves on to "Ok"; it does not press it.
    connect(m_password, &QLineEdit::returnPressed, m_ok, [this] { m_ok->setFocus(); });
    connect(m_ok, &QPushButton::clicked, this, &LogIn::ok);
    connect(cancel, &QPushButton::clicked, this, &LogIn::closeWindow);
}

bool LogIn::load() { return AdminWindows::openAdmin(m_admin, this); }

void LogIn::activated() { m_password->setFocus(); }

void LogIn::ok()
{
    bool match = false;
    try {
        match = AdminWindows::passwordMatches(m_admin, m_password->text());
    } catch (const zarvo::DbError &) {
        match = false; // an unreadable row grants nothing
    }
    if (!match) {
        Dialogs::message(this, QStringLiteral("Incorrect Password"), QStringLiteral("Access Denied"),
                         BoxIcon::Exclamation);
        return;
    }
    Dialogs::message(this, QStringLiteral("Log-in Successful"),
                     QStringLiteral("Administrator Priviledges are Opened"), BoxIcon::Information);
    Module1::instance().setAdminLocked(false);
    closeWindow();
}
