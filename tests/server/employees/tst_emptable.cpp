// The employee table: the aliased select, the read-only grid, and the walk past either end.

#include "emptable.h"
#include "windowfixture.h"
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>

using namespace zarvo;
using namespace zarvo::test;

namespace {
struct Walk {
    EmpTable *window;
    BoxRecorder &boxes;
    QTableView *grid() const { return ctl<QTableView>(window, "DataGrid1"); }
    /// Clicks "Previous" (false) or "Next" (true); returns the warning title shown, if any.
    QString press(bool next)
    {
        const auto before = boxes.boxes.size();
        QTest::mouseClick(ctl<QPushButton>(window, next ? "PushButton2" : "PushButton1"), Qt::LeftButton);
        return boxes.boxes.size() > before ? boxes.last().title : QString();
    }
    int position() const { return window->records().position(); }
    /// The grid's selected row, -1 when none.
    int selectedRow() const
    {
        const auto rows = grid()->selectionModel()->selectedRows();
        return rows.size() == 1 ? rows[0].row() : -1;
    }
};
} // namespace

class TestEmpTable : public QObject {
    Q_OBJECT
private slots:
    void gridShowsTheAliasedColumns()
    {
        QCOMPARE(EmpTable::selectText(),
                 QString("Select emp_id as [Employee ID], emp_lname as [Last Name], emp_fname as [First Name], "
                         "emp_mname as [Middle Name], emp_sex as Sex, emp_dob as [Birth Date], "
                         "emp_address as Address, emp_apt as Apartment, city as City, emp_state as [State], "
                         "Zip as Zip from Employee "));
        WindowFixture f;
        addEmployee(f.db(), "E1", "Ann", "Lee");
        addEmployee(f.db(), "E2", "Bo", "Cruz");
        EmpTable *w = ShowInsideConsole<EmpTable>();
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QString("Employee Table"));
        QAbstractItemModel *m = ctl<QTableView>(w, "DataGrid1")->model();
        const QStringList headings = {"Employee ID", "Last Name", "First Name", "Middle Name", "Sex",
                                      "Birth Date", "Address", "Apartment", "City", "State", "Zip"};
        QCOMPARE(m->columnCount(), headings.size());
        for (int c = 0; c < headings.size(); ++c)
            QCOMPARE(m->headerData(c, Qt::Horizontal).toString(), headings[c]);
        QCOMPARE(m->rowCount(), 2);
        QCOMPARE(m->index(1, 0).data().toString(), QString("E2"));
        QCOMPARE(m->index(1, 1).data().toString(), QString("Cruz"));
        QCOMPARE(m->index(1, 3).data().toString(), QString());
        // Read-only: no cell can be edited.
        QVERIFY(!(m->flags(m->index(0, 0)) & Qt::ItemIsEditable));
        QVERIFY(!m->setData(m->index(0, 0), "X"));
        renderToPng(w, "emptable.png");
    }

    void gridIsTheSnapshotTakenAtOpening()
    {
        WindowFixture f;
        addEmployee(f.db(), "E1", "Ann", "Lee");
        EmpTable *w = ShowInsideConsole<EmpTable>();
        addEmployee(f.db(), "E2", "Bo", "Cruz");
        QCOMPARE(ctl<QTableView>(w, "DataGrid1")->model()->rowCount(), 1);
    }

    void emptyTableWarnsAtOnce()
    {
        WindowFixture f;
        Walk walk{ShowInsideConsole<EmpTable>(), f.boxes};
        QCOMPARE(walk.grid()->model()->rowCount(), 0);
        QCOMPARE(walk.press(false), QString("BOF Reached"));
        QCOMPARE(f.boxes.last().text, QString("You're At The First Record"));
        QCOMPARE(f.boxes.last().icon, BoxIcon::Exclamation);
        QCOMPARE(walk.press(true), QString("EOF Reached"));
        QCOMPARE(f.boxes.last().text, QString("You're At The Last Record"));
    }

    void walkPastBothEnds()
    {
        WindowFixture f;
        for (const char *id : {"E1", "E2", "E3"})
            addEmployee(f.db(), id, "First", "Last");
        Walk walk{ShowInsideConsole<EmpTable>(), f.boxes};
        QCOMPARE(walk.position(), 0);
        QCOMPARE(walk.selectedRow(), 0);

        QCOMPARE(walk.press(false), QString("BOF Reached")); // first row: moves before it
        QCOMPARE(walk.position(), -1);
        QCOMPARE(walk.selectedRow(), -1);
        QCOMPARE(walk.press(false), QString("BOF Reached")); // again, without moving
        QCOMPARE(walk.position(), -1);
        QCOMPARE(walk.press(true), QString()); // back on the first row
        QCOMPARE(walk.position(), 0);
        QCOMPARE(walk.selectedRow(), 0);

        QCOMPARE(walk.press(true), QString());
        QCOMPARE(walk.press(true), QString());
        QCOMPARE(walk.selectedRow(), 2);
        QCOMPARE(walk.press(true), QString("EOF Reached")); // last row: moves past it
        QCOMPARE(walk.position(), 3);
        QCOMPARE(walk.selectedRow(), -1);
        QCOMPARE(walk.press(true), QString("EOF Reached"));
        QCOMPARE(walk.press(false), QString()); // back on the last row
        QCOMPARE(walk.position(), 2);
        QCOMPARE(walk.selectedRow(), 2);
        QCOMPARE(f.boxes.boxes.size(), 4);
    }

    void selectingAGridRowMovesTheRecordSet()
    {
        WindowFixture f;
        for (const char *id : {"E1", "E2", "E3"})
            addEmployee(f.db(), id, "First", "Last");
        Walk walk{ShowInsideConsole<EmpTable>(), f.boxes};
        QTableView *grid = walk.grid();
        grid->selectionModel()->setCurrentIndex(grid->model()->index(2, 4),
                                                QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        QCOMPARE(walk.position(), 2);
        QCOMPARE(walk.press(true), QString("EOF Reached"));
        QCOMPARE(walk.press(false), QString());
        QCOMPARE(walk.press(false), QString());
        QCOMPARE(walk.selectedRow(), 1);
        QCOMPARE(walk.position(), 1);
    }

    void closedConnectionKeepsTheWindowOpen()
    {
        WindowFixture f;
        f.db().close();
        EmpTable *w = ShowInsideConsole<EmpTable>();
        QVERIFY(w);
        QCOMPARE(f.boxes.boxes.size(), 1);
        QCOMPARE(f.boxes.last().text, QString("Could not open database ..."));
        QCOMPARE(f.boxes.last().title, QString("Zarvo Punch Server"));
        QCOMPARE(f.boxes.last().icon, BoxIcon::None);
        QVERIFY(f.isOpen<EmpTable>());
        QCOMPARE(ctl<QTableView>(w, "DataGrid1")->model()->rowCount(), 0);
        Walk walk{w, f.boxes};
        QCOMPARE(walk.press(true), QString("EOF Reached"));
    }

    void opensWideEnoughForItsColumns_data()
    {
        QTest::addColumn<int>("areaWidth");
        QTest::addColumn<bool>("roomForAll");
        QTest::newRow("wide console") << 1240 << true;
        QTest::newRow("narrow console") << 640 << false;
    }

    void opensWideEnoughForItsColumns()
    {
        QFETCH(int, areaWidth);
        QFETCH(bool, roomForAll);
        WindowFixture f;
        f.area.resize(areaWidth, 720);
        addEmployee(f.db(), "E1", "Annabelle", "Montgomery-Lee");
        RecordSet rs;
        rs.open(f.db(), "Select * from Employee");
        rs.setValue("emp_address", "1234 West Forty-Second Street");
        rs.setValue("city", "San Francisco");
        rs.setValue("emp_state", "CA");
        rs.setValue("zip", "94110");
        rs.update();
        EmpTable *w = ShowInsideConsole<EmpTable>();
        QVERIFY(w);
        QTableView *grid = ctl<QTableView>(w, "DataGrid1");
        auto *frame = qobject_cast<QMdiSubWindow *>(w->parentWidget());
        QCoreApplication::processEvents();
        renderToPng(w, QStringLiteral("emptable-%1.png").arg(areaWidth));
        // Wholly inside the console, never wider than it.
        QVERIFY(f.area.viewport()->rect().contains(frame->geometry()));
        // State and Zip are in view: nothing to scroll sideways.
        QCOMPARE(grid->horizontalScrollBar()->maximum() == 0, roomForAll);
        if (!roomForAll)
            QCOMPARE(frame->width(), f.area.viewport()->width());
    }
};

QTEST_MAIN(TestEmpTable)
#include "tst_emptable.moc"
