#include "changelogwindow.h"
#include "changelog.h"
#include "clock.h"
#include "dialogs.h"
#include "module1.h"
#include <QDateEdit>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

using namespace zarvo;

namespace {
const QStringList kColumns{QStringLiteral("When"),     QStringLiteral("Window"), QStringLiteral("Action"),
                           QStringLiteral("Table"),    QStringLiteral("Row"),    QStringLiteral("Employee ID"),
                           QStringLiteral("Day"),      QStringLiteral("Changes")};
}

ChangeLogWindow::ChangeLogWindow(QWidget *parent) : ConsoleWindow(parent)
{
    setObjectName(QStringLiteral("ChangeLog"));
    setWindowTitle(QStringLiteral("Change Log"));
    setMinimumSize(860, 420);

    m_employee = new QLineEdit(this);
    m_employee->setObjectName(QStringLiteral("Text1"));
    m_employee->setPlaceholderText(QStringLiteral("every employee"));
    auto dateBox = [this](const char *name) {
        auto *d = new QDateEdit(this);
        d->setObjectName(QString::fromLatin1(name));
        d->setCalendarPopup(true);
        d->setDisplayFormat(QLocale().dateFormat(QLocale::ShortFormat));
        return d;
    };
    m_from = dateBox("DTPicker1");
    m_to = dateBox("DTPicker2");
    m_show = new QPushButton(QStringLiteral("Show"), this);
    m_show->setObjectName(QStringLiteral("PushButton1"));
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("LogList"));
    m_list->setHeaderLabels(kColumns);
    m_list->setRootIsDecorated(false);
    m_list->setSortingEnabled(false);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->header()->setStretchLastSection(true);
    m_chain = new QLabel(this);
    m_chain->setObjectName(QStringLiteral("Label4"));
    m_chain->setWordWrap(true);

    auto *grid = new QGridLayout(this);
    auto label = [this](const char *text, QWidget *buddy) {
        auto *l = new QLabel(QString::fromLatin1(text), this);
        l->setBuddy(buddy);
        return l;
    };
    grid->addWidget(label("Employee ID", m_employee), 0, 0);
    grid->addWidget(m_employee, 0, 1);
    grid->addWidget(label("From", m_from), 0, 2);
    grid->addWidget(m_from, 0, 3);
    grid->addWidget(label("To", m_to), 0, 4);
    grid->addWidget(m_to, 0, 5);
    grid->addWidget(m_show, 0, 6);
    grid->setColumnStretch(1, 1);
    grid->addWidget(m_list, 1, 0, 1, 7);
    grid->addWidget(m_chain, 2, 0, 1, 7);
    connect(m_show, &QPushButton::clicked, this, &ChangeLogWindow::showEntries);
    connect(m_employee, &QLineEdit::returnPressed, this, &ChangeLogWindow::showEntries);
}

bool ChangeLogWindow::load()
{
    const QDate today = Clock::now().date();
    m_from->setDate(today.addMonths(-1));
    m_to->setDate(today);
    if (!Module1::instance().db.isOpen()) {
        Dialogs::message(this, QStringLiteral("Could not open database ..."), QStringLiteral("Connection Failed"),
                         BoxIcon::Exclamation);
        return false;
    }
    return showEntries();
}

bool ChangeLogWindow::showEntries()
{
    DatabaseSession &db = Module1::instance().db;
    QList<ChangeLog::Entry> entries;
    ChangeLog::Verdict verdict;
    try {
        entries = ChangeLog::entries(db, m_from->date(), m_to->date(), m_employee->text().trimmed());
        verdict = ChangeLog::verify(db);
    } catch (const DbError &e) {
        Dialogs::message(this, QStringLiteral("The change log could not be read: %1").arg(e.message()),
                         QStringLiteral("Change Log"), BoxIcon::Exclamation);
        return false;
    }
    m_list->clear();
    const QLocale locale;
    for (auto it = entries.crbegin(); it != entries.crend(); ++it) { // newest first
        const ChangeLog::Entry &e = *it;
        auto *item = new QTreeWidgetItem(m_list, {locale.toString(e.at, QLocale::ShortFormat), e.window, e.action,
                                                  e.table, e.key, e.empId,
                                                  e.day.isValid() ? locale.toString(e.day, QLocale::ShortFormat) : QString(),
                                                  ChangeLog::describe(e)});
        // The whole row before and after, as the entry holds it.
        item->setToolTip(7, QStringLiteral("Before: %1\nAfter: %2")
                                .arg(e.before.isEmpty() ? QStringLiteral("(none)") : e.before,
                                     e.after.isEmpty() ? QStringLiteral("(none)") : e.after));
    }
    for (int c = 0; c < kColumns.size() - 1; ++c)
        m_list->resizeColumnToContents(c);
    m_chain->setText(verdict.intact
                         ? QStringLiteral("%1 entries in all; the chain of the log is intact.").arg(verdict.entries)
                         : QStringLiteral("The chain of the log is broken: %1.").arg(verdict.problem));
    m_chain->setStyleSheet(verdict.intact ? QString() : QStringLiteral("color: #b00000; font-weight: bold;"));
    return true;
}
