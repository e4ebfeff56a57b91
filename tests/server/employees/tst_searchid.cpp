// The employee search: both searches, uploading into the editor, deleting every row of the
// result with the chosen ID, Enter and the mouse pointer.

#include "artwork.h"
#include "employee.h"
#include "searchid.h"
#include "windowfixture.h"
#include <QEnterEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

using namespace zarvo;
using namespace zarvo::test;

namespace {
struct Person {
    QString id, first, last;
};

QStringList idsInTable(DatabaseSession &db)
{
    RecordSet rs;
    rs.open(db, "Select * from employee");
    QStringList out;
    for (; !rs.eof(); rs.moveNext())
        out << rs.text("emp_id") + "/" + rs.text("emp_lname");
    return out;
}

QStringList listed(SearchID *s)
{
    auto *list = ctl<QTreeWidget>(s, "ListView1");
    QStringList out;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *it = list->topLevelItem(i);
        out << QStringList{it->text(0), it->text(1), it->text(2), it->text(3)}.join('|');
    }
    return out;
}

void searchFor(SearchID *s, bool byId, const QString &key)
{
    ctl<QLineEdit>(s, byId ? "Srch_Emp_ID" : "Srch_LName")->setText(key);
    QTest::mouseClick(ctl<QPushButton>(s, byId ? "PushButton1" : "PushButton2"), Qt::LeftButton);
}

void select(SearchID *s, int row)
{
    auto *list = ctl<QTreeWidget>(s, "ListView1");
    list->setCurrentItem(list->topLevelItem(row));
}

void click(SearchID *s, const char *name) { QTest::mouseClick(ctl<QPushButton>(s, name), Qt::LeftButton); }
} // namespace

class TestSearchID : public QObject {
    Q_OBJECT
private slots:
    void opensWithAnEmptyList()
    {
        WindowFixture f;
        addEmployee(f.db(), "E1", "Ann", "Lee");
        SearchID *s = ShowInsideConsole<SearchID>();
        QVERIFY(s);
        QCOMPARE(s->windowTitle(), QString("Search Employee"));
        auto *list = ctl<QTreeWidget>(s, "ListView1");
        QCOMPARE(list->topLevelItemCount(), 0);
        QCOMPARE(list->columnCount(), 4);
        QCOMPARE(list->headerItem()->text(3), QString("Middle Name"));
        QCOMPARE(ctl<QPushButton>(s, "PushButton3")->toolTip(), QString("Upload this Record"));
        QCOMPARE(ctl<QPushButton>(s, "PushButton4")->toolTip(), QString("Delete this Record"));
        QVERIFY(ctl<QPushButton>(s, "PushButton3")->text().isEmpty());
        QCOMPARE(ctl<QGroupBox>(s, "Frame3")->title(), QString("Result"));
        searchFor(s, true, "E1");
        QCOMPARE(s->records().recordCount(), 1);
        QTRY_VERIFY(list->columnWidth(0) > 20);
        for (int c = 1; c < 4; ++c) // four equal columns
            QVERIFY(qAbs(list->columnWidth(c) - list->columnWidth(0)) <= 1);
        renderToPng(s, "searchid.png");
    }

    void searches_data()
    {
        QTest::addColumn<bool>("byId");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("ID, every row with it, any case")
            << true << " e1 " << QStringList{"E1|Lee|Ann|", "e1|Diaz|Cy|"};
        QTest::newRow("ID, no match") << true << "E9" << QStringList{};
        QTest::newRow("ID, blanks only: the empty ID") << true << "   " << QStringList{"|Blank||"};
        QTest::newRow("ID with a quote") << true << "Q'1" << QStringList{"Q'1|O'Neil|Sean|"};
        QTest::newRow("last name, any case") << false << "  lee" << QStringList{"E1|Lee|Ann|", "E2|LEE|Bo|"};
        QTest::newRow("last name with a quote") << false << "o'neil" << QStringList{"Q'1|O'Neil|Sean|"};
        QTest::newRow("last name, no match") << false << "Smith" << QStringList{};
        QTest::newRow("last name beyond ASCII, any case") << false << "müller" << QStringList{"M1|Müller|Uli|"};
        QTest::newRow("last name whose capitals are longer") << false << "straße" << QStringList{"S1|Straße|Ida|"};
    }
    void searches()
    {
        QFETCH(bool, byId);
        QFETCH(QString, key);
        QFETCH(QStringList, expected);
        WindowFixture f;
        addEmployee(f.db(), "E1", "Ann", "Lee");
        addEmployee(f.db(), "E2", "Bo", "LEE");
        addEmployee(f.db(), "e1", "Cy", "Diaz");
        addEmployee(f.db(), "Q'1", "Sean", "O'Neil");
        addEmployee(f.db(), "", "", "Blank");
        addEmployee(f.db(), "M1", "Uli", "Müller");
        addEmployee(f.db(), "S1", "Ida", "Straße");
        SearchID *s = ShowInsideConsole<SearchID>();
        searchFor(s, true, "E2"); // something listed before, so emptying shows
        QCOMPARE(listed(s).size(), 1);
        searchFor(s, byId, key);
        QCOMPARE(listed(s), expected);
        QCOMPARE(s->records().recordCount(), expected.size());
        QVERIFY(f.boxes.boxes.isEmpty());
    }

    void emptyKeyIsRefused_data()
    {
        QTest::addColumn<bool>("byId");
        QTest::newRow("ID") << true;
        QTest::newRow("last name") << false;
    }
    void emptyKeyIsRefused()
    {
        QFETCH(bool, byId);
        WindowFixture f;
        addEmployee(f.db(), "E1", "Ann", "Lee");
        SearchID *s = ShowInsideConsole<SearchID>();
        searchFor(s, true, "E1");
        searchFor(s, byId, "");
        QCOMPARE(f.boxes.boxes.size(), 1);
        QCOMPARE(f.boxes.last().text, QString("Unable to Search Empty Field"));
        QCOMPARE(f.boxes.last().title, QString("Search Key Empty"));
        QCOMPARE(f.boxes.last().icon, BoxIcon::Exclamation);
        QCOMPARE(listed(s).size(), 1);
        QCOMPARE(s->records().recordCount(), 1);
    }

    void deleteTakesEveryRowWithTheIdInTheResult()
    {
        WindowFixture f;
        addEmployee(f.db(), "E1", "Ann", "Lee");
        addEmployee(f.db(), "E2", "Bo", "Cruz");
        addEmployee(f.db(), "E1", "Ann", "Lee-Two");
        SearchID *s = ShowInsideConsole<SearchID>();
        searchFor(s, true, "E1");
        QCOMPARE(listed(s).size(), 2);
        select(s, 1);
        click(s, "PushButton4");
        QCOMPARE(listed(s), QStringList{"E1|Lee|Ann|"}); // only the chosen item leaves the list
        QCOMPARE(idsInTable(f.db()), QStringList{"E2/Cruz"});
        QVERIFY(f.boxes.boxes.isEmpty()); // no confirmation
    }

    void secondDeleteNeedsANewChoice_data()
    {
        QTest::addColumn<int>("chosen");
        QTest::newRow("first item") << 0;
        QTest::newRow("middle item") << 1;
        QTest::newRow("last item") << 2;
    }
    void secondDeleteNeedsANewChoice()
    {
        QFETCH(int, chosen);
        WindowFixture f;
        addEmployee(f.db(), "E1", "Ann", "Lee");
        addEmployee(f.db(), "E2", "Bo", "Lee");
        addEmployee(f.db(), "E3", "Cy", "Lee");
        SearchID *s = ShowInsideConsole<SearchID>();
        searchFor(s, false, "Lee");
        auto *list = ctl<QTreeWidget>(s, "ListView1");
        list->setFocus();
        select(s, chosen);
        const QString gone = list->topLevelItem(chosen)->text(0);
        click(s, "PushButton4");
        QCOMPARE(idsInTable(f.db()).size(), 2);
        QVERIFY(list->selectedItems().isEmpty()); // the removed item takes the choice with it
        click(s, "PushButton4"); // a second click deletes nobody else
        QCOMPARE(idsInTable(f.db()).size(), 2);
        QCOMPARE(listed(s).size(), 2);
        QVERIFY(!idsInTable(f.db()).contains(gone + "/Lee"));
    }

    void deleteAfterLastNameSearchStaysInTheResult()
    {
        WindowFixture f;
        addEmployee(f.db(), "E1", "Ann", "Smith");
        addEmployee(f.db(), "E1", "Ann", "Jones");
        addEmployee(f.db(), "E2", "Bo", "Smith");
        addEmployee(f.db(), "e1", "Cy", "Smith");
        SearchID *s = ShowInsideConsole<SearchID>();
        searchFor(s, false, "smith");
        QCOMPARE(listed(s).size(), 3);
        select(s, 0);
        click(s, "PushButton4");
        // Exact ID, and only rows of that result: Jones keeps E1, "e1" is another text.
        QCOMPARE(idsInTable(f.db()), (QStringList{"E1/Jones", "E2/Smith", "e1/Smith"}));
    }

    void nothingSelectedDoesNothing()
    {
        WindowFixture f;
        addEmployee(f.db(), "E1", "Ann", "Lee");
        SearchID *s = ShowInsideConsole<SearchID>();
        searchFor(s, true, "E1");
        ctl<QTreeWidget>(s, "ListView1")->clearSelection();
        click(s, "PushButton4");
        click(s, "PushButton3");
        QCOMPARE(idsInTable(f.db()).size(), 1);
        QCOMPARE(listed(s).size(), 1);
        QVERIFY(f.isOpen<SearchID>());
        QVERIFY(!f.isOpen<Employee>());
    }

    void uploadOpensTheEditorOnThatEmployee()
    {
        WindowFixture f;
        addEmployee(f.db(), "E1", "Ann", "Lee");
        addEmployee(f.db(), "E2", "Bo", "Cruz");
        SearchID *s = ShowInsideConsole<SearchID>();
        searchFor(s, false, "cruz");
        select(s, 0);
        click(s, "PushButton3");
        Employee *e = findInsideConsole<Employee>();
        QVERIFY(e);
        QCOMPARE(ctl<QLineEdit>(e, "emp_id")->text(), QString("E2"));
        QCOMPARE(ctl<QLineEdit>(e, "emp_fname")->text(), QString("Bo"));
        QVERIFY(ctl<QPushButton>(e, "PushButton3")->isEnabled());
        QCOMPARE(Module1::instance().SelectedEmpID, QString());
        QTRY_VERIFY(!f.isOpen<SearchID>());
    }

    void uploadIntoAnOpenEditorOnlyEnablesEdit()
    {
        WindowFixture f;
        addEmployee(f.db(), "E1", "Ann", "Lee");
        Employee *open = ShowInsideConsole<Employee>();
        ctl<QLineEdit>(open, "emp_lname")->setText("typed");
        SearchID *s = ShowInsideConsole<SearchID>();
        searchFor(s, true, "E1");
        select(s, 0);
        click(s, "PushButton3");
        QCOMPARE(findInsideConsole<Employee>(), open);
        QCOMPARE(ctl<QLineEdit>(open, "emp_lname")->text(), QString("typed"));
        QCOMPARE(ctl<QLineEdit>(open, "emp_id")->text(), QString());
        QVERIFY(ctl<QPushButton>(open, "PushButton3")->isEnabled());
        QCOMPARE(f.area.activeSubWindow()->widget(), open);
    }

    void enterMovesToTheIdSearchButton_data()
    {
        QTest::addColumn<QString>("box");
        QTest::newRow("ID box") << "Srch_Emp_ID";
        QTest::newRow("last-name box") << "Srch_LName";
    }
    void enterMovesToTheIdSearchButton()
    {
        QFETCH(QString, box);
        WindowFixture f;
        addEmployee(f.db(), "E1", "Ann", "Lee");
        SearchID *s = ShowInsideConsole<SearchID>();
        auto *edit = ctl<QLineEdit>(s, box);
        edit->setText("E1");
        edit->setFocus();
        QTRY_VERIFY(edit->hasFocus());
        QTest::keyClick(edit, Qt::Key_Return);
        QTRY_VERIFY(ctl<QPushButton>(s, "PushButton1")->hasFocus());
        QVERIFY(listed(s).isEmpty()); // Enter does not search
        QVERIFY(f.boxes.boxes.isEmpty());
    }

    void pointerOverButtonsAndGroups()
    {
        WindowFixture f;
        SearchID *s = ShowInsideConsole<SearchID>();
        const Qt::CursorShape custom = Artwork::pointer().shape();
        for (const char *name : {"PushButton1", "PushButton2", "PushButton3", "PushButton4"}) {
            auto *b = ctl<QPushButton>(s, name);
            QEnterEvent enter(QPointF(2, 2), b->mapTo(s->window(), QPointF(2, 2)), b->mapToGlobal(QPointF(2, 2)));
            QCoreApplication::sendEvent(b, &enter);
            QVERIFY2(s->testAttribute(Qt::WA_SetCursor) && s->cursor().shape() == custom, name);
            auto *group = qobject_cast<QGroupBox *>(b->parentWidget());
            QVERIFY(group);
            QMouseEvent move(QEvent::MouseMove, QPointF(1, 1), group->mapToGlobal(QPointF(1, 1)),
                             Qt::NoButton, Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(group, &move);
            QVERIFY2(!s->testAttribute(Qt::WA_SetCursor), name);
        }
    }

    void closedConnection()
    {
        WindowFixture f;
        addEmployee(f.db(), "E1", "Ann", "Lee");
        SearchID *s = ShowInsideConsole<SearchID>();
        f.db().close();
        searchFor(s, true, "E1");
        QCOMPARE(f.boxes.boxes.size(), 1);
        QCOMPARE(f.boxes.last().text, QString("Could not open database ..."));
        QCOMPARE(f.boxes.last().title, QString("Connection Failed"));
        QTRY_VERIFY(!f.isOpen<SearchID>());

        QVERIFY(!ShowInsideConsole<SearchID>()); // opening it closed as well
        QCOMPARE(f.boxes.boxes.size(), 2);
        QCOMPARE(f.boxes.last().title, QString("Connection Failed"));
    }
};

QTEST_MAIN(TestSearchID)
#include "tst_searchid.moc"
