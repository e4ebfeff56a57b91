#include "addtime.h"
#include "serverlayout.h"
#include "changelog.h"
#include "clock.h"
#include "dialogs.h"
#include "keyboard.h"
#include "module1.h"
#include "slotpicker.h"
#include "timesheetshared.h"
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include "uiutil.h"
#include <QPushButton>
#include <QVBoxLayout>

using namespace zarvo;

namespace {
const char *const kNames[] = {"In1", "Out1", "In2", "Out2", "In3", "Out3"};
const char *const kLabels[] = {"In 1", "Out 1", "In 2", "Out 2", "In 3", "Out 3"};
using ServerLayout::TimeSlots;
} // namespace

AddTime::AddTime(QWidget *parent) : ConsoleWindow(parent)
{
    setObjectName(QStringLiteral("AddTime"));
    setWindowTitle(QStringLiteral("Add/Edit/Delete Timesheet"));

    auto *record = new QGroupBox(QStringLiteral("In/Out Record"), this);
    record->setObjectName(QStringLiteral("Frame1"));
    auto *grid = new QGridLayout(record);
    for (int i = 0; i < 6; ++i) {
        auto *picker = new SlotPicker(record);
        picker->setObjectName(QString::fromLatin1(kNames[i]));
        picker->setMinimumWidth(130);
        m_times[i] = picker;
        auto *label = new QLabel(QString::fromLatin1(kLabels[i]), record);
        label->setBuddy(picker);
        grid->addWidget(label, i, 0);
        grid->addWidget(picker, i, 1);
    }
    grid->setColumnStretch(2, 1);

    m_new = zarvo::makeButton(this, "New", QStringLiteral("New"));
    m_save = zarvo::makeButton(this, "Save", QStringLiteral("Save"));
    m_prev = zarvo::makeButton(this, "Prev", QStringLiteral("Previous"));
    m_next = zarvo::makeButton(this, "Neks", QStringLiteral("Next"));
    m_search = zarvo::makeButton(this, "Srch", QStringLiteral("Search"));
    m_edit = zarvo::makeButton(this, "edit", QStringLiteral("Edit"));
    m_delete = zarvo::makeButton(this, "cancel", QStringLiteral("Delete"));

    m_empId = new QLineEdit(this);
    m_empId->setObjectName(QStringLiteral("EmpID"));
    m_empId->setReadOnly(true);
    m_date = Timesheet::datePicker(QStringLiteral("rDate"), this);
    m_date->setDate(Clock::now().date());

    auto *side = new QVBoxLayout;
    for (QPushButton *b : {m_new, m_save, m_prev, m_next})
        side->addWidget(b);
    side->addStretch();
    auto *top = new QHBoxLayout;
    top->addWidget(record);
    top->addLayout(side);

    auto *idLabel = new QLabel(QStringLiteral("Employee ID"), this);
    idLabel->setBuddy(m_empId);
    auto *dateLabel = new QLabel(QStringLiteral("Date"), this);
    dateLabel->setBuddy(m_date);
    auto *keys = new QGridLayout;
    keys->addWidget(idLabel, 0, 0);
    keys->addWidget(m_empId, 0, 1);
    keys->addWidget(m_search, 0, 2);
    keys->addWidget(dateLabel, 1, 0);
    keys->addWidget(m_date, 1, 1);
    auto *actions = new QHBoxLayout;
    actions->addWidget(m_edit);
    actions->addWidget(m_delete);
    keys->addLayout(actions, 1, 2);
    keys->setColumnStretch(3, 1);

    auto *root = new QVBoxLayout(this);
    root->addLayout(top);
    root->addLayout(keys);
    root->addStretch();

    // Tab follows the layout: the pickers, the buttons beside them, then the row below.
    zarvo::Keyboard::setTabOrder({m_times[5], m_new, m_save, m_prev, m_next, m_empId, m_search, m_date, m_edit, m_delete});

    // Before loading, the window is as viewing leaves it.
    m_save->setEnabled(false);
    setPickersEnabled(false);

    connect(m_prev, &QPushButton::clicked, this, &AddTime::previousClicked);
    connect(m_next, &QPushButton::clicked, this, &AddTime::nextClicked);
    connect(m_new, &QPushButton::clicked, this, &AddTime::newClicked);
    connect(m_save, &QPushButton::clicked, this, &AddTime::saveClicked);
    connect(m_edit, &QPushButton::clicked, this, &AddTime::editClicked);
    connect(m_delete, &QPushButton::clicked, this, &AddTime::deleteClicked);
    connect(m_search, &QPushButton::clicked, this, &AddTime::searchClicked);
}

AddTime::~AddTime() = default;

bool AddTime::load()
{
    if (!openRecordSetChecked(m_rs, QStringLiteral("Select * from timesheet"), this))
        return false;
    if (!m_rs.isOpen())
        return true; // the store's failure is told; the window stays, showing no row
    if (m_rs.recordCount() == 0) {
        Dialogs::message(this, QStringLiteral("Please Add an Employee Before Adding/Editing Time-Ins"),
                         QStringLiteral("Error! No Records to View"), BoxIcon::Information);
        return true;
    }
    const Module1 &m = Module1::instance();
    bool found = false;
    try {
        found = Timesheet::moveToFirstRowOf(m_rs, m.SelectedEmpID, m.SelectedDay);
        if (found)
            showRow();
    } catch (const DbError &) {
        found = false; // a row that cannot be read is not shown, so never rewritten
    }
    if (!found) {
        m_rs.setPosition(m_rs.recordCount()); // past the last row
        m_date->setDate(Clock::now().date());
    }
    setPickersEnabled(false);
    m_editing = false;
    m_searching = false;
    return true;
}

void AddTime::setPickersEnabled(bool enabled)
{
    for (SlotPicker *t : m_times)
        t->setEnabled(enabled);
    m_date->setEnabled(enabled);
}

void AddTime::showTimes()
{
    for (int i = 0; i < 6; ++i)
        m_times[i]->showStored(m_rs.value(QString::fromLatin1(TimeSlots[i])));
}

void AddTime::showRow()
{
    showTimes();
    m_empId->setText(m_rs.text(QStringLiteral("emp_id")));
    const QDate day = m_rs.value(QStringLiteral("rsdate")).toDate();
    if (day.isValid())
        m_date->setDate(day);
}

void AddTime::showWritten()
{
    try {
        showTimes();
    } catch (const DbError &) {
        // The row is written; the pickers keep what was entered.
    }
}

void AddTime::assignFields()
{
    // Only a time the administrator gave is written: a slot left alone keeps what it holds
    // (Null on a new row), so a free slot stays free for the punch rule.
    for (int i = 0; i < 6; ++i)
        if (m_times[i]->edited())
            m_rs.setValue(QString::fromLatin1(TimeSlots[i]), timeText(m_times[i]->time()));
    // The key fields too are written only when they change: a row written back unchanged
    // stays exactly as it was (a missing ID is not turned into an empty text).
    const auto assignChanged = [this](const QString &field, const QString &text) {
        if (m_rs.text(field) != text)
            m_rs.setValue(field, text);
    };
    assignChanged(QStringLiteral("rsdate"), dayText(m_date->date().isValid() ? m_date->date() : Clock::now().date()));
    assignChanged(QStringLiteral("emp_id"), m_empId->text());
}

void AddTime::previousClicked()
{
    try {
        if (m_rs.bof()) // before the first row (or an empty set) there is nowhere to go
            return;
        m_rs.movePrevious();
    } catch (const DbError &) {
        return; // already before the first row: nothing more to say
    }
    if (m_rs.bof()) {
        Dialogs::message(this, QStringLiteral("This is the First Record"), QStringLiteral("BOF Reached"),
                         BoxIcon::Exclamation);
        return;
    }
    try {
        showRow();
    } catch (const DbError &) {
    }
}

void AddTime::nextClicked()
{
    try {
        m_rs.moveNext();
    } catch (const DbError &) {
        // Past the last row already: the message below comes again.
    }
    if (m_rs.eof()) {
        Dialogs::message(this, QStringLiteral("This is the Last Record"), QStringLiteral("EOF Reached"),
                         BoxIcon::Exclamation);
        return;
    }
    try {
        showRow();
    } catch (const DbError &) {
    }
}

void AddTime::newClicked()
{
    if (m_empId->text().isEmpty()) {
        Dialogs::message(this, QStringLiteral("Unable to Add New Time"), QStringLiteral("Employee ID Empty"),
                         BoxIcon::Information);
        return;
    }
    setPickersEnabled(true);
    m_save->setEnabled(true);
    m_edit->setEnabled(false);
    m_new->setEnabled(false);
    for (SlotPicker *t : m_times)
        t->showStored({});
    m_times[0]->setFocus(); // typing starts in the first time
}

void AddTime::saveClicked()
{
    if (m_empId->text().isEmpty()) {
        Dialogs::message(this, QStringLiteral("Unable to Save Record"), QStringLiteral("Employee ID Empty"),
                         BoxIcon::Information);
        return;
    }
    const int before = m_rs.position();
    try {
        ChangeLog::HandChange logged(Module1::instance().db, objectName(), m_rs, ChangeLog::Action::Add);
        m_rs.addNew();
        assignFields();
        m_rs.update();
        logged.commit();
    } catch (const DbError &e) {
        // Nothing was written: drop the new row and keep what was entered, so it can be saved again.
        try {
            m_rs.setPosition(before);
        } catch (const DbError &) {
        }
        Dialogs::message(this, QStringLiteral("The time record could not be written: %1").arg(e.message()),
                         QStringLiteral("Write Failed"), BoxIcon::Exclamation);
        return;
    }
    showWritten();
    m_save->setEnabled(false);
    m_edit->setEnabled(true);
    m_new->setEnabled(true);
    setPickersEnabled(false);
}

void AddTime::editClicked()
{
    if (!m_editing) {
        m_edit->setText(QStringLiteral("Update"));
        m_editing = true;
        setPickersEnabled(true);
        m_new->setEnabled(false);
        m_times[0]->setFocus();
        return;
    }
    m_editing = false;
    if (m_rs.bof() || m_rs.eof())
        return;
    try {
        ChangeLog::HandChange logged(Module1::instance().db, objectName(), m_rs, ChangeLog::Action::Change);
        assignFields();
        m_rs.update();
        logged.commit();
    } catch (const DbError &) {
        return; // a row deleted meanwhile is refused by the store; nothing else is touched
    }
    showWritten();
    m_edit->setText(QStringLiteral("Edit"));
    m_new->setEnabled(true);
    setPickersEnabled(false);
}

void AddTime::deleteClicked()
{
    if (Dialogs::message(this, QStringLiteral("Are You Sure to Delete This Time Record"),
                         QStringLiteral("Warning! Deletion in Progress"), BoxIcon::None,
                         BoxButtons::YesNo) != BoxAnswer::Yes)
        return;
    try {
        ChangeLog::HandChange logged(Module1::instance().db, objectName(), m_rs, ChangeLog::Action::Delete);
        m_rs.remove();
        logged.commit();
    } catch (const DbError &) {
        // No current row (or it is gone already): nothing to delete.
    }
}

void AddTime::searchClicked()
{
    if (!m_searching) {
        m_search->setText(QStringLiteral("Fetch"));
        m_searching = true;
        m_empId->setReadOnly(false);
        m_date->setEnabled(true);
        m_empId->setFocus();
        return;
    }
    m_searching = false;
    m_search->setText(QStringLiteral("Search"));
    bool found = m_rs.recordCount() == 0; // an empty set ends the search quietly
    if (!found) {
        try {
            found = Timesheet::moveToFirstRowOf(m_rs, m_empId->text(), m_date->date());
            if (found)
                showTimes();
        } catch (const DbError &) {
            found = false;
        }
    }
    if (!found) {
        m_rs.setPosition(m_rs.recordCount()); // past the last row
        Dialogs::message(this, QStringLiteral("No Matching Record Found"), QStringLiteral("Re-Enter Filter Criteria"),
                         BoxIcon::Exclamation);
        return;
    }
    m_empId->setReadOnly(true);
    m_date->setEnabled(false);
}
