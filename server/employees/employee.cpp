#include "employee.h"
#include "changelog.h"
#include "lockablecombo.h"
#include "clock.h"
#include "dialogs.h"
#include "module1.h"
#include "windowstore.h"
#include "searchid.h"
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include "uiutil.h"
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <cmath>

using namespace zarvo;

namespace {

// Text boxes written untrimmed, with " " for an empty box, by both "Save" and "Update".
const struct {
    const char *control;
    const char *field;
} kPlainText[] = {{"emp_apt", "emp_apt"},       {"emp_address", "emp_address"},
                  {"city", "city"},             {"emp_state", "emp_state"},
                  {"zip1", "zip"},              {"emp_home_phone", "emp_home_phone"},
                  {"emp_work_phone", "emp_work_phone"}, {"emp_cp", "emp_cp"},
                  {"SSS", "sss"}};

QString blankIfEmpty(const QString &text) { return text.isEmpty() ? QStringLiteral(" ") : text; }

/// The empty text stays the empty text in the store; a null QString would be written as Null.
QString notNull(const QString &text) { return text.isNull() ? QString("") : text; }

QString pickerFormat()
{
    QString f = QLocale().dateFormat(QLocale::ShortFormat);
    if (!f.contains(QLatin1String("yyyy")))
        f.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return f;
}

QDate today() { return Clock::now().date(); }

/// The stored number in its plain decimal text ("12.5", "0").
QString plainNumber(double d)
{
    QString s = QString::number(d, 'g', 15);
    if (s.contains(QLatin1Char('e')))
        s = QString::number(d, 'f', 2);
    return s;
}

QLabel *labelFor(const QString &caption, QWidget *buddy)
{
    auto *l = new QLabel(caption);
    l->setBuddy(buddy); // a buddy makes "&" an access key and "&&" one ampersand
    return l;
}

} // namespace

Employee::Employee(QWidget *parent) : ConsoleWindow(parent)
{
    setObjectName(QStringLiteral("Employee"));
    setWindowTitle(QStringLiteral("Employee Form/Records"));

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("TabControl1"));
    auto *personal = new QWidget;
    auto *job = new QWidget;
    auto *other = new QWidget;
    buildPersonalTab(personal);
    buildJobTab(job);
    buildOtherTab(other);
    m_tabs->addTab(personal, QStringLiteral("Personal Information"));
    m_tabs->addTab(job, QStringLiteral("Job Description"));
    m_tabs->addTab(other, QStringLiteral("Other Information"));
    m_tabs->setCurrentIndex(0);

    m_addNew = zarvo::makeButton(this, "PushButton1", QStringLiteral("Add New"));
    m_save = zarvo::makeButton(this, "PushButton2", QStringLiteral("Save"));
    m_edit = zarvo::makeButton(this, "PushButton3", QStringLiteral("Edit"));
    m_search = zarvo::makeButton(this, "PushButton4", QStringLiteral("Search"));
    m_close = zarvo::makeButton(this, "PushButton5", QStringLiteral("Close"));
    m_save->setEnabled(false);
    m_edit->setEnabled(false);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton *b : {m_addNew, m_save, m_edit, m_search, m_close})
        buttons->addWidget(b);
    auto *root = new QVBoxLayout(this);
    root->addWidget(m_tabs);
    root->addLayout(buttons);

    connect(m_addNew, &QPushButton::clicked, this, &Employee::addNewClicked);
    connect(m_save, &QPushButton::clicked, this, &Employee::saveClicked);
    connect(m_edit, &QPushButton::clicked, this, &Employee::editClicked);
    connect(m_search, &QPushButton::clicked, this, &Employee::searchClicked);
    connect(m_close, &QPushButton::clicked, this, &ConsoleWindow::closeWindow);

    // Opening contents: wages "0.00", sex "Male", both dates today, everything else empty.
    clearFields(QStringLiteral("0.00"));
    m_sex->setEditText(QStringLiteral("Male"));
}

Employee::~Employee() = default;

QLineEdit *Employee::line(const QString &name)
{
    auto *e = new QLineEdit;
    e->setObjectName(name);
    m_lines.insert(name, e);
    return e;
}

void Employee::buildPersonalTab(QWidget *page)
{
    auto *g = new QGridLayout(page);
    auto add = [g](int row, int col, const QString &caption, QWidget *w) {
        g->addWidget(labelFor(caption, w), row, col * 2);
        g->addWidget(w, row, col * 2 + 1);
    };
    auto *sex = new LockableCombo;
    sex->setObjectName(QStringLiteral("emp_sex1"));
    sex->setEditable(true);
    sex->setInsertPolicy(QComboBox::NoInsert);
    sex->addItems({QStringLiteral("Male"), QStringLiteral("Female")});
    m_sex = sex;
    m_dob = new QDateEdit;
    m_dob->setObjectName(QStringLiteral("emp_dob"));
    m_dob->setCalendarPopup(true);
    m_dob->setDisplayFormat(pickerFormat());

    add(0, 0, QStringLiteral("Employee ID"), line(QStringLiteral("emp_id")));
    add(1, 0, QStringLiteral("Last Name"), line(QStringLiteral("emp_lname")));
    add(2, 0, QStringLiteral("First Name"), line(QStringLiteral("emp_fname")));
    add(3, 0, QStringLiteral("Middle Name"), line(QStringLiteral("emp_mname")));
    add(4, 0, QStringLiteral("Sex"), m_sex);
    add(5, 0, QStringLiteral("Date of Birth"), m_dob);
    add(6, 0, QStringLiteral("Social Security"), line(QStringLiteral("SSS")));
    add(0, 1, QStringLiteral("Apartment"), line(QStringLiteral("emp_apt")));
    add(1, 1, QStringLiteral("Address"), line(QStringLiteral("emp_address")));
    add(2, 1, QStringLiteral("City"), line(QStringLiteral("city")));
    add(3, 1, QStringLiteral("State"), line(QStringLiteral("emp_state")));
    add(4, 1, QStringLiteral("Zip"), line(QStringLiteral("zip1")));
    add(5, 1, QStringLiteral("Home Phone"), line(QStringLiteral("emp_home_phone")));
    add(6, 1, QStringLiteral("Work Phone"), line(QStringLiteral("emp_work_phone")));
    add(7, 1, QStringLiteral("Mobile Phone"), line(QStringLiteral("emp_cp")));
    g->setColumnStretch(1, 1);
    g->setColumnStretch(3, 1);
    g->setColumnMinimumWidth(2, 90);
    g->setRowStretch(8, 1);
}

void Employee::buildJobTab(QWidget *page)
{
    auto *v = new QVBoxLayout(page);
    m_job = new QPlainTextEdit;
    m_job->setObjectName(QStringLiteral("Job_Description"));
    v->addWidget(labelFor(QStringLiteral("Job Definition && Responsibilities"), m_job));
    v->addWidget(m_job);
}

void Employee::buildOtherTab(QWidget *page)
{
    auto *g = new QGridLayout(page);
    m_hired = new QDateEdit;
    m_hired->setObjectName(QStringLiteral("date_hired"));
    m_hired->setCalendarPopup(true);
    m_hired->setDisplayFormat(pickerFormat());
    m_status = new QCheckBox(QStringLiteral("Active"));
    m_status->setObjectName(QStringLiteral("cur_stat"));
    m_notes = new QPlainTextEdit;
    m_notes->setObjectName(QStringLiteral("Notes"));
    QLineEdit *reg = line(QStringLiteral("reg_wage"));
    QLineEdit *ot = line(QStringLiteral("ot_wage"));
    g->addWidget(labelFor(QStringLiteral("Regular Wage"), reg), 0, 0);
    g->addWidget(reg, 0, 1);
    g->addWidget(labelFor(QStringLiteral("Overtime Wage"), ot), 1, 0);
    g->addWidget(ot, 1, 1);
    g->addWidget(labelFor(QStringLiteral("Date Hired"), m_hired), 2, 0);
    g->addWidget(m_hired, 2, 1);
    g->addWidget(labelFor(QStringLiteral("Current Status"), m_status), 3, 0);
    g->addWidget(m_status, 3, 1);
    g->addWidget(labelFor(QStringLiteral("Notes"), m_notes), 4, 0, Qt::AlignTop);
    g->addWidget(m_notes, 4, 1, 1, 2);
    g->setColumnStretch(2, 1);
    g->setRowStretch(4, 1);
}

bool Employee::load()
{
    Module1 &m = Module1::instance();
    if (!openRecordSetChecked(m_rs, QStringLiteral("Select * from employee"), this))
        return false;
    const QString wanted = m.SelectedEmpID;
    try {
        bool found = false;
        if (!wanted.isEmpty()) {
            for (; !m_rs.eof(); m_rs.moveNext()) {
                const QVariant id = m_rs.value(QStringLiteral("emp_id"));
                if (id.isValid() && id.toString() == wanted) {
                    found = true;
                    break;
                }
            }
        }
        if (found) {
            fillFromRow();
            m_showsRow = true;
        } else {
            m_rs.setPosition(m_rs.recordCount()); // past the last row
        }
    } catch (const DbError &) {
        m_showsRow = false; // a row that cannot be read is not shown, so never rewritten
    }
    m.SelectedEmpID.clear();
    m_editing = false;
    return true;
}

void Employee::fillFromRow()
{
    auto text = [this](const char *field) { return m_rs.text(QString::fromLatin1(field)); };
    for (const char *name : {"emp_id", "emp_lname", "emp_fname", "emp_mname"})
        m_lines[QString::fromLatin1(name)]->setText(text(name));
    for (const auto &p : kPlainText)
        m_lines[QString::fromLatin1(p.control)]->setText(text(p.field));
    m_sex->setEditText(text("emp_sex"));
    m_job->setPlainText(text("Job_Description"));
    m_notes->setPlainText(text("Notes"));
    auto dateOf = [this](const char *field) {
        const QVariant v = m_rs.value(QString::fromLatin1(field));
        return v.typeId() == QMetaType::QDate && v.toDate().isValid() ? v.toDate() : today();
    };
    m_dob->setDate(dateOf("emp_dob"));
    m_hired->setDate(dateOf("date_hired"));
    for (const char *name : {"reg_wage", "ot_wage"}) {
        const QVariant v = m_rs.value(QString::fromLatin1(name));
        m_lines[QString::fromLatin1(name)]->setText(
            !v.isValid() ? QStringLiteral("0")
                         : v.typeId() == QMetaType::Double ? plainNumber(v.toDouble()) : v.toString());
    }
    const QVariant status = m_rs.value(QStringLiteral("status"));
    m_status->setChecked(status.isValid() && status.toLongLong() == 1);
}

void Employee::clearFields(const QString &wageText)
{
    for (auto it = m_lines.cbegin(); it != m_lines.cend(); ++it)
        it.value()->clear();
    m_lines[QStringLiteral("reg_wage")]->setText(wageText);
    m_lines[QStringLiteral("ot_wage")]->setText(wageText);
    m_sex->setEditText(QString());
    m_dob->setDate(today());
    m_hired->setDate(today());
    m_status->setChecked(false);
    m_job->clear();
    m_notes->clear();
}

void Employee::LockFields(bool lock)
{
    for (auto it = m_lines.cbegin(); it != m_lines.cend(); ++it)
        it.value()->setReadOnly(lock);
    static_cast<LockableCombo *>(m_sex)->setReadOnly(lock);
    m_job->setReadOnly(lock);
    m_notes->setReadOnly(lock);
    m_dob->setEnabled(!lock);
    m_hired->setEnabled(!lock);
    m_status->setEnabled(!lock);
}

void Employee::enableEdit() { m_edit->setEnabled(true); }

void Employee::addNewClicked()
{
    LockFields(false);
    m_save->setEnabled(true);
    clearFields(QStringLiteral("0"));
    // The boxes no longer show the loaded employee: "Update" must not write them over it.
    m_clearedByAddNew = m_clearedByAddNew || m_showsRow;
    m_showsRow = false;
    m_clearedBySave = false;
    // Typing the new employee starts at the ID, as it does when the window opens.
    m_tabs->setCurrentIndex(0);
    m_lines[QStringLiteral("emp_id")]->setFocus();
}

bool Employee::wagesAreNumbers()
{
    // Checked before anything is written, as the store converts them: number text, C locale.
    const struct {
        const char *control;
        const char *caption;
    } wages[] = {{"reg_wage", "Regular Wage"}, {"ot_wage", "Overtime Wage"}};
    for (const auto &w : wages) {
        QLineEdit *box = m_lines[QString::fromLatin1(w.control)];
        bool ok = false;
        const double d = QLocale::c().toDouble(box->text().trimmed(), &ok);
        if (!ok || !std::isfinite(d)) {
            Dialogs::message(this,
                             QStringLiteral("%1 Must Be a Number (for example 12.50)")
                                 .arg(QString::fromLatin1(w.caption)),
                             QStringLiteral("Invalid Wage"), BoxIcon::Exclamation);
            m_tabs->setCurrentIndex(2);
            box->setFocus();
            return false;
        }
    }
    return true;
}

bool Employee::idTakenByAnother(const QString &id, const QString &ownId)
{
    // Keeping one's own ID (in any letter case) is no clash.
    if (!ownId.isNull() && id.compare(ownId.trimmed(), Qt::CaseInsensitive) == 0)
        return false;
    RecordSet same;
    same.open(Module1::instance().db, QStringLiteral("Select * from employee where emp_id = ?"),
              {notNull(id)});
    if (same.recordCount() == 0)
        return false;
    const QString holder = (same.text(QStringLiteral("emp_fname")).trimmed() + QLatin1Char(' ') +
                            same.text(QStringLiteral("emp_lname")).trimmed()).trimmed();
    Dialogs::message(this,
                     QStringLiteral("Employee ID %1 Is Already Used by %2").arg(id, holder.isEmpty() ? QStringLiteral("Another Employee") : holder),
                     QStringLiteral("Duplicate Employee ID"), BoxIcon::Exclamation);
    m_tabs->setCurrentIndex(0);
    m_lines[QStringLiteral("emp_id")]->setFocus();
    return true;
}

bool Employee::writeRow(WriteMode mode)
{
    auto typed = [this](const char *control) { return m_lines[QString::fromLatin1(control)]->text(); };
    const bool save = mode == WriteMode::Save;
    const int before = m_rs.position();
    try {
        ChangeLog::HandChange logged(Module1::instance().db, objectName(), m_rs, save ? ChangeLog::Action::Add : ChangeLog::Action::Change);
        if (save)
            m_rs.addNew();
        m_rs.setValue(QStringLiteral("emp_id"), notNull(typed("emp_id").trimmed()));
        // "Empty" is the box as typed: a box of blanks is not empty and writes its trimmed
        // text, the empty text; only an empty box writes " " ("Update": "" for the two names).
        for (const char *name : {"emp_lname", "emp_fname"}) {
            const QString t = typed(name);
            m_rs.setValue(QString::fromLatin1(name),
                          t.isEmpty() ? (save ? QStringLiteral(" ") : QString("")) : notNull(t.trimmed()));
        }
        const QString middle = typed("emp_mname");
        m_rs.setValue(QStringLiteral("emp_mname"),
                      middle.isEmpty() ? QStringLiteral(" ") : notNull(middle.trimmed()));
        m_rs.setValue(QStringLiteral("emp_sex"), blankIfEmpty(m_sex->currentText()));
        m_rs.setValue(QStringLiteral("emp_dob"), m_dob->date());
        for (const auto &p : kPlainText)
            m_rs.setValue(QString::fromLatin1(p.field), blankIfEmpty(typed(p.control)));
        m_rs.setValue(QStringLiteral("Job_Description"), blankIfEmpty(m_job->toPlainText()));
        m_rs.setValue(QStringLiteral("reg_wage"), typed("reg_wage"));
        m_rs.setValue(QStringLiteral("ot_wage"), typed("ot_wage"));
        m_rs.setValue(QStringLiteral("date_hired"), m_hired->date());
        m_rs.setValue(QStringLiteral("status"), m_status->isChecked() ? 1 : 0);
        m_rs.setValue(QStringLiteral("Notes"), blankIfEmpty(m_notes->toPlainText()));
        m_rs.update();
        logged.commit();
        return true;
    } catch (const DbError &e) {
        // Drop the pending new row or edits so the record set is left as it was.
        try {
            m_rs.setPosition(before);
        } catch (const DbError &) {
        }
        Dialogs::message(this, QStringLiteral("The employee record could not be written: %1").arg(e.message()),
                         QStringLiteral("Write Failed"), BoxIcon::Exclamation);
        return false;
    }
}

void Employee::saveClicked()
{
    const QString id = m_lines[QStringLiteral("emp_id")]->text();
    auto refuse = [this](const QString &text, const char *control) {
        Dialogs::message(this, text, QStringLiteral("Info Incomplete"), BoxIcon::Exclamation);
        m_tabs->setCurrentIndex(0);
        m_lines[QString::fromLatin1(control)]->setFocus();
    };
    if (id.isEmpty() || id == QLatin1String(" "))
        return refuse(QStringLiteral("Employee ID Empty"), "emp_id");
    if (m_lines[QStringLiteral("emp_lname")]->text().isEmpty())
        return refuse(QStringLiteral("Employee Last Name Empty"), "emp_lname");
    if (m_lines[QStringLiteral("emp_fname")]->text().isEmpty())
        return refuse(QStringLiteral("Employee First Name Empty"), "emp_fname");
    if (!wagesAreNumbers())
        return;
    try {
        if (idTakenByAnother(id.trimmed(), QString()))
            return;
    } catch (const DbError &e) {
        Dialogs::message(this, QStringLiteral("The employee record could not be written: %1").arg(e.message()),
                         QStringLiteral("Write Failed"), BoxIcon::Exclamation);
        return;
    }
    if (!writeRow(WriteMode::Save))
        return;
    clearFields(QString());
    LockFields(true);
    m_save->setEnabled(false);
    // The record set now stands on the new row, which the emptied boxes no longer show.
    m_showsRow = false;
    m_clearedBySave = true;
    m_clearedByAddNew = false;
}

void Employee::editClicked()
{
    if (!m_editing) {
        m_editing = true;
        LockFields(false);
        m_edit->setText(QStringLiteral("Update"));
        return;
    }
    if (!m_showsRow || m_rs.bof() || m_rs.eof()) {
        const QString why =
            m_clearedBySave
                ? QStringLiteral("The fields were emptied after saving, so no employee is shown to update.")
            : m_clearedByAddNew
                ? QStringLiteral("The fields were emptied by \"Add New\", so they no longer show the employee "
                                 "loaded in this window; \"Save\" adds them as a new employee.")
                : QStringLiteral("No employee record is loaded in this window, so there is nothing to update.");
        Dialogs::message(this,
                         why + QStringLiteral("\n\nOpen the employee with \"Search\" and upload the record to change it."),
                         QStringLiteral("Nothing To Update"), BoxIcon::Exclamation);
        return;
    }
    if (!wagesAreNumbers())
        return;
    try {
        if (idTakenByAnother(m_lines[QStringLiteral("emp_id")]->text().trimmed(),
                             m_rs.text(QStringLiteral("emp_id"))))
            return;
    } catch (const DbError &e) {
        Dialogs::message(this, QStringLiteral("The employee record could not be written: %1").arg(e.message()),
                         QStringLiteral("Write Failed"), BoxIcon::Exclamation);
        return;
    }
    if (!writeRow(WriteMode::Update))
        return;
    m_editing = false;
    LockFields(true);
    m_edit->setText(QStringLiteral("Edit"));
}

void Employee::searchClicked()
{
    ShowInsideConsole<SearchID>();
    closeWindow();
}

void Employee::closeEvent(QCloseEvent *event)
{
    Module1::instance().SelectedEmpID.clear();
    ConsoleWindow::closeEvent(event);
}
