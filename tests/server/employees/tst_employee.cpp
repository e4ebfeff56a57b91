// The employee editor: opening, the button state table, the write rules of "Save" and "Update",
// and the refusals that keep two people's records and punches apart.

#include "employee.h"
#include "searchid.h"
#include "windowfixture.h"
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

using namespace zarvo;
using namespace zarvo::test;

namespace {
const QDate kToday(2026, 3, 15);

const QStringList kTextBoxes = {"emp_id", "emp_lname", "emp_fname", "emp_mname", "emp_apt",
                                "emp_address", "city", "emp_state", "zip1", "emp_home_phone",
                                "emp_work_phone", "emp_cp", "SSS", "reg_wage", "ot_wage"};

QList<QVariantMap> allRows(DatabaseSession &db)
{
    RecordSet rs;
    rs.open(db, "Select * from employee");
    QList<QVariantMap> rows;
    for (; !rs.eof(); rs.moveNext()) {
        QVariantMap row;
        for (const QString &f : rs.fieldNames())
            row.insert(f.toLower(), rs.value(f));
        rows << row;
    }
    return rows;
}

void addRow(DatabaseSession &db, const QVariantMap &values)
{
    RecordSet rs;
    rs.open(db, "Select * from employee");
    rs.addNew();
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        rs.setValue(it.key(), it.value());
    rs.update();
}

Employee *openEditor(const QString &selected = {})
{
    Module1::instance().SelectedEmpID = selected;
    return ShowInsideConsole<Employee>();
}

QLineEdit *box(Employee *e, const QString &name) { return ctl<QLineEdit>(e, name); }
QPushButton *button(Employee *e, int n) { return ctl<QPushButton>(e, QStringLiteral("PushButton%1").arg(n)); }
void click(Employee *e, int n) { QTest::mouseClick(button(e, n), Qt::LeftButton); }

/// Fills the boxes a new employee needs.
void typeEmployee(Employee *e, const QString &id, const QString &first, const QString &last)
{
    box(e, "emp_id")->setText(id);
    box(e, "emp_fname")->setText(first);
    box(e, "emp_lname")->setText(last);
}

bool fieldsLocked(Employee *e)
{
    bool locked = true;
    for (const QString &n : kTextBoxes)
        locked &= box(e, n)->isReadOnly();
    locked &= ctl<QComboBox>(e, "emp_sex1")->lineEdit()->isReadOnly();
    locked &= ctl<QPlainTextEdit>(e, "Job_Description")->isReadOnly();
    locked &= ctl<QPlainTextEdit>(e, "Notes")->isReadOnly();
    locked &= !ctl<QDateEdit>(e, "emp_dob")->isEnabled() && !ctl<QDateEdit>(e, "date_hired")->isEnabled();
    locked &= !ctl<QCheckBox>(e, "cur_stat")->isEnabled();
    return locked;
}

bool fieldsEditable(Employee *e)
{
    bool editable = true;
    for (const QString &n : kTextBoxes)
        editable &= !box(e, n)->isReadOnly();
    editable &= !ctl<QComboBox>(e, "emp_sex1")->lineEdit()->isReadOnly();
    editable &= !ctl<QPlainTextEdit>(e, "Job_Description")->isReadOnly();
    editable &= !ctl<QPlainTextEdit>(e, "Notes")->isReadOnly();
    editable &= ctl<QDateEdit>(e, "emp_dob")->isEnabled() && ctl<QDateEdit>(e, "date_hired")->isEnabled();
    editable &= ctl<QCheckBox>(e, "cur_stat")->isEnabled();
    return editable;
}
} // namespace

class TestEmployee : public QObject {
    Q_OBJECT
private slots:
    void init() { Clock::setFixed(QDateTime(kToday, QTime(10, 0))); }
    void cleanup() { Clock::clearFixed(); }

    void opensEmptyWithoutSelectedEmployee()
    {
        WindowFixture f;
        addEmployee(f.db(), "E1", "Ann", "Lee");
        Employee *e = openEditor();
        QVERIFY(e);
        QCOMPARE(e->windowTitle(), QString("Employee Form/Records"));
        QCOMPARE(ctl<QTabWidget>(e, "TabControl1")->currentIndex(), 0);
        QCOMPARE(ctl<QTabWidget>(e, "TabControl1")->tabText(2), QString("Other Information"));
        const QStringList captions = {"Add New", "Save", "Edit", "Search", "Close"};
        for (int i = 0; i < 5; ++i)
            QCOMPARE(button(e, i + 1)->text(), captions[i]);
        QVERIFY(button(e, 1)->isEnabled() && button(e, 4)->isEnabled() && button(e, 5)->isEnabled());
        QVERIFY(!button(e, 2)->isEnabled());
        QVERIFY(!button(e, 3)->isEnabled());
        QVERIFY(fieldsEditable(e));
        QCOMPARE(box(e, "reg_wage")->text(), QString("0.00"));
        QCOMPARE(box(e, "ot_wage")->text(), QString("0.00"));
        QCOMPARE(ctl<QComboBox>(e, "emp_sex1")->currentText(), QString("Male"));
        QCOMPARE(ctl<QComboBox>(e, "emp_sex1")->count(), 2);
        QVERIFY(!ctl<QCheckBox>(e, "cur_stat")->isChecked());
        QVERIFY(box(e, "emp_id")->text().isEmpty() && box(e, "emp_lname")->text().isEmpty());
        QVERIFY(f.boxes.boxes.isEmpty());
        renderToPng(e, "employee.png");
        ctl<QTabWidget>(e, "TabControl1")->setCurrentIndex(2);
        renderToPng(e, "employee-other.png");
    }

    void opensTheSelectedEmployeeExactly()
    {
        WindowFixture f;
        addRow(f.db(), {{"emp_id", "e7"}, {"emp_lname", "Wrong"}});
        addRow(f.db(), {{"emp_id", "E7"}, {"emp_lname", "Reyes"}, {"emp_fname", "Ana"},
                        {"emp_sex", "Female"}, {"emp_dob", QDate(1990, 2, 3)}, {"zip", "1100"},
                        {"sss", "33-1"}, {"Job_Description", "Cashier"}, {"reg_wage", 12.5},
                        {"status", 1}, {"Notes", "night shift"}});
        Employee *e = openEditor("E7");
        QVERIFY(e);
        QCOMPARE(Module1::instance().SelectedEmpID, QString());
        QCOMPARE(box(e, "emp_id")->text(), QString("E7"));
        QCOMPARE(box(e, "emp_lname")->text(), QString("Reyes"));
        QCOMPARE(box(e, "emp_mname")->text(), QString()); // Null shows as nothing
        QCOMPARE(ctl<QComboBox>(e, "emp_sex1")->currentText(), QString("Female"));
        QCOMPARE(ctl<QDateEdit>(e, "emp_dob")->date(), QDate(1990, 2, 3));
        QCOMPARE(ctl<QDateEdit>(e, "date_hired")->date(), kToday); // Null date: today
        QCOMPARE(box(e, "zip1")->text(), QString("1100"));
        QCOMPARE(box(e, "SSS")->text(), QString("33-1"));
        QCOMPARE(ctl<QPlainTextEdit>(e, "Job_Description")->toPlainText(), QString("Cashier"));
        QCOMPARE(ctl<QPlainTextEdit>(e, "Notes")->toPlainText(), QString("night shift"));
        QCOMPARE(box(e, "reg_wage")->text(), QString("12.5"));
        QCOMPARE(box(e, "ot_wage")->text(), QString("0")); // Null wage
        QVERIFY(ctl<QCheckBox>(e, "cur_stat")->isChecked());
        QVERIFY(!button(e, 3)->isEnabled()); // only the search enables "Edit"
    }

    void closingClearsSelectedEmpID_data()
    {
        QTest::addColumn<bool>("byButton");
        QTest::newRow("Close button") << true;
        QTest::newRow("window frame") << false;
    }
    void closingClearsSelectedEmpID()
    {
        QFETCH(bool, byButton);
        WindowFixture f;
        Employee *e = openEditor();
        Module1::instance().SelectedEmpID = "E1";
        if (byButton)
            click(e, 5);
        else
            f.area.activeSubWindow()->close();
        QCOMPARE(Module1::instance().SelectedEmpID, QString());
        QVERIFY(!f.isOpen<Employee>());
    }

    void stateTableAddNewAndSave()
    {
        WindowFixture f;
        Employee *e = openEditor();
        click(e, 1); // "Add New"
        QVERIFY(button(e, 2)->isEnabled());
        QVERIFY(!button(e, 3)->isEnabled());
        QVERIFY(fieldsEditable(e));
        QCOMPARE(box(e, "reg_wage")->text(), QString("0"));
        QCOMPARE(ctl<QComboBox>(e, "emp_sex1")->currentText(), QString());
        QVERIFY(!e->isEditing());

        click(e, 2); // a check fails: nothing changes
        QCOMPARE(f.boxes.boxes.size(), 1);
        QVERIFY(button(e, 2)->isEnabled() && fieldsEditable(e));

        typeEmployee(e, "E1", "Ann", "Lee");
        click(e, 2); // written
        QCOMPARE(f.boxes.boxes.size(), 1);
        QVERIFY(!button(e, 2)->isEnabled());
        QVERIFY(fieldsLocked(e));
        QCOMPARE(box(e, "emp_id")->text(), QString());
        QCOMPARE(box(e, "reg_wage")->text(), QString()); // empty, not "0"
        QCOMPARE(button(e, 3)->text(), QString("Edit"));
        QCOMPARE(allRows(f.db()).size(), 1);
    }

    void stateTableEditAndUpdate()
    {
        WindowFixture f;
        addEmployee(f.db(), "E1", "Ann", "Lee");
        Employee *e = openEditor("E1");
        e->enableEdit();
        QVERIFY(button(e, 3)->isEnabled());
        QVERIFY(!button(e, 2)->isEnabled());
        click(e, 3); // "Edit"
        QVERIFY(e->isEditing());
        QCOMPARE(button(e, 3)->text(), QString("Update"));
        QVERIFY(fieldsEditable(e));
        box(e, "emp_fname")->setText("Anne");
        click(e, 3); // "Update"
        QVERIFY(f.boxes.boxes.isEmpty());
        QVERIFY(!e->isEditing());
        QCOMPARE(button(e, 3)->text(), QString("Edit"));
        QVERIFY(fieldsLocked(e));
        QCOMPARE(box(e, "emp_fname")->text(), QString("Anne")); // kept in the window
        QVERIFY(button(e, 3)->isEnabled());
        QVERIFY(!button(e, 2)->isEnabled());
        QCOMPARE(allRows(f.db()).at(0).value("emp_fname").toString(), QString("Anne"));
    }

    void saveChecks_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("last");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("refusal"); // empty: written
        QTest::newRow("empty ID") << "" << "Lee" << "Ann" << "Employee ID Empty";
        QTest::newRow("one blank ID") << " " << "Lee" << "Ann" << "Employee ID Empty";
        QTest::newRow("empty last name") << "E1" << "" << "Ann" << "Employee Last Name Empty";
        QTest::newRow("empty first name") << "E1" << "Lee" << "" << "Employee First Name Empty";
        QTest::newRow("ID checked before names") << "" << "" << "" << "Employee ID Empty";
        QTest::newRow("blank last name passes") << "E1" << " " << "Ann" << "";
        QTest::newRow("two blanks as ID pass") << "  " << "Lee" << "Ann" << "";
    }
    void saveChecks()
    {
        QFETCH(QString, id);
        QFETCH(QString, last);
        QFETCH(QString, first);
        QFETCH(QString, refusal);
        WindowFixture f;
        Employee *e = openEditor();
        click(e, 1);
        typeEmployee(e, id, first, last);
        click(e, 2);
        if (refusal.isEmpty()) {
            QVERIFY(f.boxes.boxes.isEmpty());
            const auto rows = allRows(f.db());
            QCOMPARE(rows.size(), 1);
            QCOMPARE(rows[0].value("emp_id"), QVariant(id.trimmed().isEmpty() ? QString("") : id.trimmed()));
            return;
        }
        QCOMPARE(f.boxes.boxes.size(), 1);
        QCOMPARE(f.boxes.last().text, refusal);
        QCOMPARE(f.boxes.last().title, QString("Info Incomplete"));
        QCOMPARE(f.boxes.last().icon, BoxIcon::Exclamation);
        QCOMPARE(allRows(f.db()).size(), 0);
        QCOMPARE(box(e, "emp_id")->text(), id);
        QCOMPARE(box(e, "emp_fname")->text(), first);
        QVERIFY(button(e, 2)->isEnabled());
    }

    void saveWriteRules()
    {
        WindowFixture f;
        Employee *e = openEditor();
        click(e, 1);
        typeEmployee(e, "  E5 ", " Ann ", "  Lee");
        box(e, "emp_address")->setText("  12 Main St ");
        ctl<QComboBox>(e, "emp_sex1")->setEditText(" Female");
        ctl<QDateEdit>(e, "emp_dob")->setDate(QDate(1988, 12, 31));
        ctl<QDateEdit>(e, "date_hired")->setDate(QDate(2020, 1, 6));
        box(e, "reg_wage")->setText(" 12.75");
        box(e, "ot_wage")->setText("19");
        ctl<QCheckBox>(e, "cur_stat")->setChecked(true);
        click(e, 2);
        QVERIFY(f.boxes.boxes.isEmpty());
        const auto rows = allRows(f.db());
        QCOMPARE(rows.size(), 1);
        const QVariantMap r = rows[0];
        QCOMPARE(r.value("emp_id").toString(), QString("E5"));
        QCOMPARE(r.value("emp_fname").toString(), QString("Ann"));
        QCOMPARE(r.value("emp_lname").toString(), QString("Lee"));
        QCOMPARE(r.value("emp_mname").toString(), QString(" "));
        QCOMPARE(r.value("emp_address").toString(), QString("  12 Main St "));
        QCOMPARE(r.value("emp_sex").toString(), QString(" Female"));
        for (const char *blank : {"emp_apt", "city", "emp_state", "zip", "emp_home_phone",
                                  "emp_work_phone", "emp_cp", "sss", "job_description", "notes"})
            QVERIFY2(r.value(blank).toString() == " ", blank);
        QCOMPARE(r.value("emp_dob").toDate(), QDate(1988, 12, 31));
        QCOMPARE(r.value("date_hired").toDate(), QDate(2020, 1, 6));
        QCOMPARE(r.value("reg_wage").toDouble(), 12.75);
        QCOMPARE(r.value("ot_wage").toDouble(), 19.0);
        QCOMPARE(r.value("status").toLongLong(), 1LL);
    }

    void updateWriteRules()
    {
        WindowFixture f;
        addRow(f.db(), {{"emp_id", "E1"}, {"emp_lname", "Lee"}, {"emp_fname", "Ann"},
                        {"emp_mname", "Q"}, {"status", 1}, {"reg_wage", 10.0}});
        Employee *e = openEditor("E1");
        e->enableEdit();
        click(e, 3);
        box(e, "emp_id")->setText(" E1 ");
        box(e, "emp_lname")->clear();
        box(e, "emp_fname")->clear();
        box(e, "emp_mname")->clear();
        box(e, "reg_wage")->setText("7");
        ctl<QCheckBox>(e, "cur_stat")->setChecked(false);
        click(e, 3);
        QVERIFY(f.boxes.boxes.isEmpty());
        const QVariantMap r = allRows(f.db()).at(0);
        QCOMPARE(r.value("emp_id").toString(), QString("E1"));
        // The empty text, not Null ("Save" would have refused it).
        QVERIFY(r.value("emp_lname").isValid() && r.value("emp_lname").toString().isEmpty());
        QVERIFY(r.value("emp_fname").isValid() && r.value("emp_fname").toString().isEmpty());
        QCOMPARE(r.value("emp_mname").toString(), QString(" "));
        QCOMPARE(r.value("city").toString(), QString(" "));
        QCOMPARE(r.value("reg_wage").toDouble(), 7.0);
        QCOMPARE(r.value("status").toLongLong(), 0LL);
    }

    void nameWriteRules_data()
    {
        QTest::addColumn<bool>("update");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        // A box counts as empty only when nothing at all is typed; blanks are trimmed away.
        QTest::newRow("save, last name of blanks") << false << "emp_lname" << "   " << "";
        QTest::newRow("save, first name of blanks") << false << "emp_fname" << "  " << "";
        QTest::newRow("save, middle name empty") << false << "emp_mname" << "" << " ";
        QTest::newRow("save, middle name of blanks") << false << "emp_mname" << "  " << "";
        QTest::newRow("save, middle name trimmed") << false << "emp_mname" << " Q " << "Q";
        QTest::newRow("update, last name empty") << true << "emp_lname" << "" << "";
        QTest::newRow("update, last name of blanks") << true << "emp_lname" << "  " << "";
        QTest::newRow("update, first name trimmed") << true << "emp_fname" << " Bo " << "Bo";
        QTest::newRow("update, middle name empty") << true << "emp_mname" << "" << " ";
        QTest::newRow("update, middle name of blanks") << true << "emp_mname" << "   " << "";
    }
    void nameWriteRules()
    {
        QFETCH(bool, update);
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        WindowFixture f;
        if (update)
            addRow(f.db(), {{"emp_id", "E1"}, {"emp_lname", "Lee"}, {"emp_fname", "Ann"}, {"emp_mname", "M"}});
        Employee *e = openEditor(update ? QString("E1") : QString());
        if (update) {
            e->enableEdit();
            click(e, 3);
        } else {
            click(e, 1);
            typeEmployee(e, "E5", "Ann", "Lee");
        }
        box(e, field)->setText(typed);
        click(e, update ? 3 : 2);
        QVERIFY(f.boxes.boxes.isEmpty());
        const auto rows = allRows(f.db());
        QCOMPARE(rows.size(), 1);
        const QVariant v = rows[0].value(field);
        QVERIFY(v.isValid()); // never Null
        QCOMPARE(v.toString(), stored);
    }

    void saveRefusesAnIdAlreadyUsed_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("same letters") << "AB1";
        QTest::newRow("other case, blanks") << " ab1 ";
    }
    void saveRefusesAnIdAlreadyUsed()
    {
        QFETCH(QString, typed);
        WindowFixture f;
        addEmployee(f.db(), "AB1", "Ann", "Lee");
        Employee *e = openEditor();
        click(e, 1);
        typeEmployee(e, typed, "Bob", "Cruz");
        click(e, 2);
        QCOMPARE(f.boxes.boxes.size(), 1);
        QCOMPARE(f.boxes.last().title, QString("Duplicate Employee ID"));
        QCOMPARE(f.boxes.last().icon, BoxIcon::Exclamation);
        QVERIFY(f.boxes.last().text.contains("Ann Lee"));
        QCOMPARE(allRows(f.db()).size(), 1);
        QCOMPARE(box(e, "emp_fname")->text(), QString("Bob"));
        QVERIFY(button(e, 2)->isEnabled());
    }

    void updateRefusesAnotherRowsId_data()
    {
        QTest::addColumn<QString>("newId");
        QTest::addColumn<bool>("refused");
        QTest::newRow("another row's ID") << "e1" << true;
        QTest::newRow("own ID, other case") << "e2" << false;
        QTest::newRow("a free ID") << "E3" << false;
    }
    void updateRefusesAnotherRowsId()
    {
        QFETCH(QString, newId);
        QFETCH(bool, refused);
        WindowFixture f;
        addEmployee(f.db(), "E1", "Ann", "Lee");
        addEmployee(f.db(), "E2", "Bob", "Cruz");
        Employee *e = openEditor("E2");
        e->enableEdit();
        click(e, 3);
        box(e, "emp_id")->setText(newId);
        click(e, 3);
        const auto rows = allRows(f.db());
        QCOMPARE(rows[0].value("emp_id").toString(), QString("E1"));
        QCOMPARE(rows[1].value("emp_id").toString(), refused ? QString("E2") : newId);
        QCOMPARE(f.boxes.boxes.size(), refused ? 1 : 0);
        QCOMPARE(e->isEditing(), refused);
        QCOMPARE(box(e, "emp_id")->text(), newId);
    }

    void wageThatIsNoNumberIsRefused_data()
    {
        QTest::addColumn<bool>("update");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("named");
        QTest::newRow("save, letters") << false << "reg_wage" << "abc" << "Regular Wage";
        QTest::newRow("save, empty") << false << "ot_wage" << "" << "Overtime Wage";
        QTest::newRow("update, empty") << true << "reg_wage" << "" << "Regular Wage";
        QTest::newRow("update, trailing junk") << true << "ot_wage" << "12x" << "Overtime Wage";
    }
    void wageThatIsNoNumberIsRefused()
    {
        QFETCH(bool, update);
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, named);
        WindowFixture f;
        addRow(f.db(), {{"emp_id", "E1"}, {"emp_lname", "Lee"}, {"emp_fname", "Ann"}, {"reg_wage", 9.0}});
        Employee *e = openEditor("E1");
        if (update) {
            e->enableEdit();
            click(e, 3);
        } else {
            click(e, 1);
            typeEmployee(e, "E2", "Bob", "Cruz");
        }
        box(e, "emp_lname")->setText("Changed");
        box(e, field)->setText(typed);
        click(e, update ? 3 : 2);
        QCOMPARE(f.boxes.boxes.size(), 1);
        QVERIFY(f.boxes.last().text.contains(named));
        QCOMPARE(f.boxes.last().icon, BoxIcon::Exclamation);
        QCOMPARE(box(e, field)->text(), typed);
        QCOMPARE(box(e, "emp_lname")->text(), QString("Changed"));
        auto rows = allRows(f.db());
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].value("emp_lname").toString(), QString("Lee"));

        // Mended, the same click writes everything typed.
        box(e, field)->setText("8.5");
        click(e, update ? 3 : 2);
        QCOMPARE(f.boxes.boxes.size(), 1);
        rows = allRows(f.db());
        QCOMPARE(rows.size(), update ? 1 : 2);
        QCOMPARE(rows.last().value("emp_lname").toString(), QString("Changed"));
        QCOMPARE(rows.last().value(field).toDouble(), 8.5);
    }

    void writeRefusedByTheStoreKeepsWhatWasTyped()
    {
        WindowFixture f;
        addEmployee(f.db(), "E1", "Ann", "Lee");
        Employee *e = openEditor("E1");
        e->enableEdit();
        click(e, 3);
        box(e, "emp_fname")->setText("Anne");
        f.t.db.execScript("ALTER TABLE Employee RENAME TO Employee_away");
        click(e, 3);
        QCOMPARE(f.boxes.boxes.size(), 1);
        QCOMPARE(f.boxes.last().title, QString("Write Failed"));
        QCOMPARE(box(e, "emp_fname")->text(), QString("Anne"));
        QVERIFY(e->isEditing());
        f.t.db.execScript("ALTER TABLE Employee_away RENAME TO Employee");
        click(e, 3); // the record set was left clean: this write goes through
        QCOMPARE(f.boxes.boxes.size(), 1);
        QCOMPARE(allRows(f.db()).at(0).value("emp_fname").toString(), QString("Anne"));
    }

    void updateNeverOverwritesARowNotShown_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("no row loaded") << "none";
        QTest::newRow("fields emptied by Save") << "save";
        QTest::newRow("fields emptied by Add New") << "addnew";
    }
    void updateNeverOverwritesARowNotShown()
    {
        QFETCH(QString, how);
        WindowFixture f;
        addEmployee(f.db(), "E1", "Ann", "Lee");
        Employee *e = openEditor(how == "none" ? QString() : QString("E1"));
        e->enableEdit();
        if (how != "none") {
            click(e, 1);
            typeEmployee(e, "E9", "Cy", "Ng");
        }
        if (how == "save")
            click(e, 2);
        const auto before = allRows(f.db());
        click(e, 3); // "Edit"
        box(e, "emp_lname")->setText("Overwritten");
        click(e, 3); // "Update"
        QCOMPARE(f.boxes.boxes.size(), 1);
        QCOMPARE(f.boxes.last().title, QString("Nothing To Update"));
        QCOMPARE(f.boxes.last().icon, BoxIcon::Exclamation);
        if (how == "save")
            QVERIFY(f.boxes.last().text.contains("emptied after saving"));
        if (how == "addnew")
            QVERIFY(f.boxes.last().text.contains("\"Add New\""));
        QVERIFY(e->isEditing()); // nothing written: still "Update"
        QCOMPARE(box(e, "emp_lname")->text(), QString("Overwritten"));
        QCOMPARE(allRows(f.db()), before);
    }

    void quotesInIdsAreData()
    {
        WindowFixture f;
        Employee *e = openEditor();
        click(e, 1);
        typeEmployee(e, "O'B-1", "Pat", "O'Brien");
        click(e, 2);
        click(e, 1);
        typeEmployee(e, "o'b-1", "Kim", "O'Hara");
        click(e, 2);
        QCOMPARE(f.boxes.boxes.size(), 1);
        QCOMPARE(f.boxes.last().title, QString("Duplicate Employee ID"));
        const auto rows = allRows(f.db());
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].value("emp_id").toString(), QString("O'B-1"));
        QCOMPARE(rows[0].value("emp_lname").toString(), QString("O'Brien"));
    }

    void searchOpensTheSearchAndCloses()
    {
        WindowFixture f;
        Employee *e = openEditor();
        click(e, 4);
        QTRY_VERIFY(!f.isOpen<Employee>());
        QVERIFY(f.isOpen<SearchID>());
    }

    void closedConnectionClosesTheWindow()
    {
        WindowFixture f;
        f.db().close();
        QVERIFY(!openEditor());
        QCOMPARE(f.boxes.boxes.size(), 1);
        QCOMPARE(f.boxes.last().text, QString("Could not open database ..."));
        QCOMPARE(f.boxes.last().title, QString("Connection Failed"));
        QCOMPARE(f.boxes.last().icon, BoxIcon::Exclamation);
        QTRY_VERIFY(!f.isOpen<Employee>());
    }
};

QTEST_MAIN(TestEmployee)
#include "tst_employee.moc"
