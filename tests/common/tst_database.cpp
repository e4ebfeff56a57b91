#include "database.h"
#include "testdb.h"
#include <QDate>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTime>

using namespace zarvo;
using zarvo::test::ServerDb;

namespace {
QStringList ids(DatabaseSession &db, const QString &sql, const QVariantList &params = {})
{
    RecordSet rs;
    rs.open(db, sql, params);
    QStringList out;
    for (int i = 0; i < rs.recordCount(); ++i)
        out << rs.valueAt(i, rs.fieldNames().indexOf("emp_id")).toString();
    return out;
}

void addPunchRow(DatabaseSession &db, const QString &id, const QVariant &day, const QVariant &in1 = {})
{
    RecordSet rs;
    rs.open(db, "Select * from timesheet");
    rs.addNew();
    rs.setValue("emp_id", id);
    rs.setValue("rsdate", day);
    rs.setValue("in1", in1);
    rs.update();
}
} // namespace

class TestDatabase : public QObject {
    Q_OBJECT
private slots:
    void openFailuresCarryTheStoreMessage_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("expected");
        QTest::newRow("missing file") << "missing" << "pluma" << "unable to open";
        QTest::newRow("wrong password") << "db" << "Pluma" << "not a database";
        QTest::newRow("no password") << "db" << "" << "not a database";
        QTest::newRow("not a database") << "text" << "pluma" << "not a database";
    }
    void openFailuresCarryTheStoreMessage()
    {
        QFETCH(QString, kind);
        QFETCH(QString, password);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        QString path = dir.path() + "/punched.mdb";
        if (kind == "db")
            test::createServerDatabase(path);
        if (kind == "text") {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(8192, 'x'));
        }
        DatabaseSession db;
        try {
            db.open(path, password);
            QFAIL("open should have failed");
        } catch (const DbError &e) {
            QVERIFY2(e.message().contains(expected), qPrintable(e.message()));
        }
        QVERIFY(!db.isOpen());
        if (kind == "missing")
            QVERIFY(!QFile::exists(path)); // opening never creates the file
    }

    void rightPasswordOpensDeliveredTables()
    {
        ServerDb t;
        QVERIFY(t.db.isOpen());
        RecordSet rs;
        rs.open(t.db, "Select * from admin");
        QCOMPARE(rs.recordCount(), 1);
        QCOMPARE(rs.text("PASSWORD"), QString("admin"));
    }

    void emptyRecordSet()
    {
        ServerDb t;
        RecordSet rs;
        rs.open(t.db, "Select * from Employee");
        QCOMPARE(rs.recordCount(), 0);
        QVERIFY(rs.bof());
        QVERIFY(rs.eof());
        QVERIFY_THROWS_EXCEPTION(DbError, rs.moveFirst());
        QVERIFY_THROWS_EXCEPTION(DbError, rs.value("emp_id"));
    }

    void cursorWalksBothWays()
    {
        ServerDb t;
        for (const char *id : {"A", "B", "C"})
            test::addEmployee(t.db, id, "f", "l");
        RecordSet rs;
        rs.open(t.db, "Select * from employee");
        QCOMPARE(rs.recordCount(), 3);
        QCOMPARE(rs.text("emp_id"), QString("A")); // positioned on the first row at opening
        rs.moveNext();
        rs.moveNext();
        QCOMPARE(rs.text("emp_id"), QString("C"));
        rs.moveNext();
        QVERIFY(rs.eof() && !rs.bof());
        QVERIFY_THROWS_EXCEPTION(DbError, rs.moveNext());
        rs.movePrevious();
        QCOMPARE(rs.text("emp_id"), QString("C"));
        rs.moveFirst();
        rs.movePrevious();
        QVERIFY(rs.bof() && !rs.eof());
        rs.moveNext();
        QCOMPARE(rs.text("emp_id"), QString("A"));
    }

    void snapshotIgnoresLaterChanges()
    {
        ServerDb t;
        test::addEmployee(t.db, "E1", "Ann", "Lee");
        test::addEmployee(t.db, "E2", "Bob", "Ray");
        RecordSet early;
        early.open(t.db, "Select * from Employee");

        test::addEmployee(t.db, "E3", "Cy", "Tan");
        RecordSet writer;
        writer.open(t.db, "Select * from Employee");
        writer.setValue("emp_fname", "Anne");
        writer.update();
        writer.moveNext();
        writer.remove();

        QCOMPARE(early.recordCount(), 2);
        QCOMPARE(early.text("emp_fname"), QString("Ann"));
        early.moveNext();
        QCOMPARE(early.text("emp_id"), QString("E2")); // deleted elsewhere, still in this snapshot

        RecordSet late;
        late.open(t.db, "Select * from Employee");
        QCOMPARE(late.recordCount(), 2);
        QCOMPARE(late.text("emp_fname"), QString("Anne"));
        late.moveNext();
        QCOMPARE(late.text("emp_id"), QString("E3"));
    }

    void rowsComeInTheOrderAdded()
    {
        ServerDb t;
        for (const char *id : {"zeta", "alpha", "Mid", "beta"})
            test::addEmployee(t.db, id, "f", "l");
        RecordSet rs;
        rs.open(t.db, "Select * from Employee");
        rs.moveNext();
        rs.remove();
        test::addEmployee(t.db, "omega", "f", "l");
        QCOMPARE(ids(t.db, "Select * from employee"), QStringList({"zeta", "Mid", "beta", "omega"}));
    }

    void namesAndTextEqualityIgnoreCase()
    {
        ServerDb t;
        test::addEmployee(t.db, "AB12", "Ann", "Smith");
        QCOMPARE(ids(t.db, "Select * from EMPLOYEE where EMP_ID = ?", {"ab12"}), QStringList{"AB12"});
        QCOMPARE(ids(t.db, "select * from employee where emp_lname = ?", {"SMITH"}), QStringList{"AB12"});
        RecordSet rs;
        rs.open(t.db, "Select * from Employee");
        QCOMPARE(rs.text("Emp_FName"), QString("Ann"));
        QVERIFY(!rs.hasField("nosuch"));
        QVERIFY_THROWS_EXCEPTION(DbError, rs.value("nosuch"));
    }

    void textEqualityIgnoresCaseOfEveryLetter_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("found");
        QTest::newRow("umlaut upper") << QString::fromUtf8("Müller") << QString::fromUtf8("MÜLLER") << true;
        QTest::newRow("accent lower") << QString::fromUtf8("JOSÉ") << QString::fromUtf8("josé") << true;
        QTest::newRow("greek") << QString::fromUtf8("Σοφία") << QString::fromUtf8("ΣΟΦΊΑ") << true;
        QTest::newRow("ascii") << "Smith" << "sMITH" << true;
        QTest::newRow("accent is a letter of its own") << QString::fromUtf8("José") << "Jose" << false;
        QTest::newRow("prefix") << QString::fromUtf8("Müll") << QString::fromUtf8("MÜLLER") << false;
        QTest::newRow("ascii prefix of non-ascii") << "Mu" << QString::fromUtf8("MÜ") << false;
    }
    void textEqualityIgnoresCaseOfEveryLetter()
    {
        QFETCH(QString, stored);
        QFETCH(QString, key);
        QFETCH(bool, found);
        ServerDb t;
        // Enough neighbours that the index on last names is really searched.
        for (int i = 0; i < 300; ++i)
            test::addEmployee(t.db, QString::number(i), "f", QString::fromUtf8("Ñame%1").arg(i));
        test::addEmployee(t.db, "X", "f", stored);
        QCOMPARE(ids(t.db, "Select * from employee where emp_lname = ?", {key}),
                 found ? QStringList{"X"} : QStringList{});
    }

    void quotesAndOddBytesAreJustValues_data()
    {
        QTest::addColumn<QString>("id");
        QTest::newRow("quote") << "O'Brien";
        QTest::newRow("sql text") << "x' or '1'='1";
        QTest::newRow("nul") << QString("a") + QChar(0) + "b";
        QTest::newRow("one megabyte") << QString(1 << 20, QChar('Z'));
        QTest::newRow("lone surrogate") << QString(QChar(0xD800));
    }
    void quotesAndOddBytesAreJustValues()
    {
        QFETCH(QString, id);
        ServerDb t;
        test::addEmployee(t.db, "other", "f", "l");
        QCOMPARE(ids(t.db, "Select * from Employee where emp_id = ?", {id}).size(), 0);
        test::addEmployee(t.db, id, "f", "l");
        const QStringList found = ids(t.db, "Select * from Employee where emp_id = ?", {id});
        QCOMPARE(found.size(), 1);
        if (!id.contains(QChar(0xD800)))
            QCOMPARE(found.first(), id);
    }

    void datesAndTimesKeepTheirMeaning()
    {
        ServerDb t;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        qputenv("TZ", "Pacific/Kiritimati");
        addPunchRow(t.db, "E1", "12/09/2026", "9:05:03");
        addPunchRow(t.db, "E1", QDate(2026, 12, 10), "00:00:00");
        RecordSet rs;
        rs.open(t.db, "Select * from timesheet where emp_id = ? and rsdate >= #12/09/2026# and rsdate <= #12/09/2026#", {"E1"});
        QCOMPARE(rs.recordCount(), 1);
        QCOMPARE(rs.value("rsdate").toDate(), QDate(2026, 12, 9));
        QCOMPARE(rs.value("in1").toTime(), QTime(9, 5, 3));
        QCOMPARE(rs.text("in1"), QString("09:05:03"));
        QCOMPARE(rs.text("rsdate"), QString("12/09/2026"));
        QVERIFY(!rs.value("out1").isValid());
        rs.open(t.db, "Select * from timesheet where rsdate = ?", {QDate(2026, 12, 10)});
        QCOMPARE(rs.recordCount(), 1);
        QVERIFY(rs.value("in1").isValid()); // "00:00:00" is a time, not Null
        QCOMPARE(rs.value("in1").toTime(), QTime(0, 0));
        qunsetenv("TZ");
        QLocale::setDefault(QLocale::c());
    }

    void unconvertibleValuesAreRefused_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("wage text") << "reg_wage" << QVariant("abc");
        QTest::newRow("empty wage") << "reg_wage" << QVariant("");
        QTest::newRow("wage half number") << "ot_wage" << QVariant("12x");
        QTest::newRow("bad date") << "emp_dob" << QVariant("13/45/2024");
        QTest::newRow("status text") << "status" << QVariant("yes");
        QTest::newRow("status fraction") << "status" << QVariant(1.5);
    }
    void unconvertibleValuesAreRefused()
    {
        QFETCH(QString, field);
        QFETCH(QVariant, value);
        ServerDb t;
        test::addEmployee(t.db, "E1", "Ann", "Lee");
        RecordSet rs;
        rs.open(t.db, "Select * from Employee");
        rs.setValue("emp_fname", "Changed");
        rs.setValue(field, value);
        QVERIFY_THROWS_EXCEPTION(DbError, rs.update());
        rs.addNew();
        rs.setValue("emp_id", "E2");
        rs.setValue(field, value);
        QVERIFY_THROWS_EXCEPTION(DbError, rs.update());
        RecordSet check;
        check.open(t.db, "Select * from Employee");
        QCOMPARE(check.recordCount(), 1);
        QCOMPARE(check.text("emp_fname"), QString("Ann")); // nothing half-written
    }

    void convertibleValuesAreConverted()
    {
        ServerDb t;
        RecordSet rs;
        rs.open(t.db, "Select * from Employee");
        rs.addNew();
        rs.setValue("emp_id", "E1");
        rs.setValue("reg_wage", " 12.50 ");
        rs.setValue("ot_wage", 20);
        rs.setValue("status", "1");
        rs.setValue("emp_dob", "1/2/1990");
        rs.setValue("emp_mname", "");
        rs.update();
        RecordSet back;
        back.open(t.db, "Select * from Employee");
        QCOMPARE(back.value("reg_wage").toDouble(), 12.5);
        QCOMPARE(back.value("ot_wage").toDouble(), 20.0);
        QCOMPARE(back.value("status").toLongLong(), 1);
        QCOMPARE(back.value("emp_dob").toDate(), QDate(1990, 1, 2));
        QVERIFY(back.value("emp_mname").isValid()); // empty text is not Null
        QCOMPARE(back.text("emp_mname"), QString(""));
        QVERIFY(!back.value("emp_apt").isValid());
    }

    void deleteKeepsPositionUntilTheNextMove()
    {
        ServerDb t;
        for (const char *id : {"X", "Y", "X", "Z", "X"})
            test::addEmployee(t.db, id, "f", "l");
        RecordSet rs;
        rs.open(t.db, "Select * from Employee");
        rs.moveFirst();
        int deleted = 0;
        while (!rs.eof()) {
            if (rs.text("emp_id") == "X") {
                rs.remove();
                ++deleted;
                QCOMPARE(rs.text("emp_id"), QString("X")); // still on the deleted row
            }
            rs.moveNext();
        }
        QCOMPARE(deleted, 3);
        QCOMPARE(ids(t.db, "Select * from Employee"), QStringList({"Y", "Z"}));
    }

    void findMovesForwardFromTheCurrentRow()
    {
        ServerDb t;
        addPunchRow(t.db, "E1", "12/08/2026", "08:00:00");
        addPunchRow(t.db, "E1", "12/09/2026", "08:01:00");
        addPunchRow(t.db, "E1", "12/09/2026", "08:02:00");
        RecordSet rs;
        rs.open(t.db, "Select * from timesheet where emp_id = ?", {"e1"});
        QVERIFY(rs.find("rsdate ='12/09/2026'"));
        QCOMPARE(rs.text("in1"), QString("08:01:00"));
        rs.moveNext();
        QVERIFY(rs.find("rsdate = '12/09/2026'"));
        QCOMPARE(rs.text("in1"), QString("08:02:00"));
        rs.moveNext();
        QVERIFY(!rs.find("rsdate ='12/09/2026'"));
        QVERIFY(rs.eof());
        rs.moveFirst();
        QVERIFY(!rs.find("rsdate ='not a date'"));
    }

    void aliasedColumnsReadAndWriteByAlias()
    {
        ServerDb t;
        test::addEmployee(t.db, "E1", "Ann", "Lee");
        RecordSet rs;
        rs.open(t.db, "Select emp_id as [Employee ID], emp_lname as [Last Name], emp_state as [State], Zip as Zip from Employee ");
        QCOMPARE(rs.fieldNames(), QStringList({"Employee ID", "Last Name", "State", "Zip"}));
        QCOMPARE(rs.text("employee id"), QString("E1"));
        rs.setValue("Last Name", "Li");
        rs.update();
        RecordSet back;
        back.open(t.db, "Select * from Employee");
        QCOMPARE(back.text("emp_lname"), QString("Li"));
    }

    void updateOfARowDeletedElsewhereFails()
    {
        ServerDb t;
        test::addEmployee(t.db, "E1", "Ann", "Lee");
        RecordSet a, b;
        a.open(t.db, "Select * from Employee");
        b.open(t.db, "Select * from Employee");
        b.remove();
        a.setValue("emp_fname", "X");
        QVERIFY_THROWS_EXCEPTION(DbError, a.update());
        QCOMPARE(t.db.countRows("Employee"), 0);
    }

    // The store reuses a deleted highest rowid for the next insert: a record set standing on
    // the deleted row must not reach the punch that took its rowid.
    void aRowDeletedElsewhereIsNeverConfusedWithItsSuccessor_data()
    {
        QTest::addColumn<bool>("deleting");
        QTest::newRow("update") << false;
        QTest::newRow("delete") << true;
    }
    void aRowDeletedElsewhereIsNeverConfusedWithItsSuccessor()
    {
        QFETCH(bool, deleting);
        ServerDb t;
        addPunchRow(t.db, "E1", QDate(2024, 1, 5), QTime(8, 0));
        addPunchRow(t.db, "E1", QDate(2024, 1, 6), QTime(8, 0));
        RecordSet a, b;
        a.open(t.db, "Select * from timesheet");
        a.moveLast();
        b.open(t.db, "Select * from timesheet");
        b.moveLast();
        b.remove();
        addPunchRow(t.db, "E2", QDate(2024, 1, 7), QTime(9, 15));

        if (deleting) {
            QVERIFY_THROWS_EXCEPTION(DbError, a.remove());
        } else {
            a.setValue("in1", "10:00:00");
            QVERIFY_THROWS_EXCEPTION(DbError, a.update());
        }
        RecordSet check;
        check.open(t.db, "Select * from timesheet where emp_id = 'E2'");
        QCOMPARE(check.recordCount(), 1);
        QCOMPARE(check.value("in1").toTime(), QTime(9, 15));
        QCOMPARE(check.value("rsdate").toDate(), QDate(2024, 1, 7));
        QCOMPARE(t.db.countRows("timesheet"), 2);
        // The record set still shows the row as it was when it opened.
        QCOMPARE(a.text("emp_id"), QString("E1"));
    }

    // Whole-table record sets share the connection's list of the table's rows: what each sees
    // stays its own whatever the others and the connection add or delete afterwards.
    void wholeTableRecordSetsKeepTheirOwnRows()
    {
        ServerDb t;
        for (const char *id : {"E1", "E2", "E3"})
            addPunchRow(t.db, id, QDate(2024, 1, 5));
        auto count = [&](const char *sql) { return ids(t.db, sql).size(); };
        QCOMPARE(count("Select * from timesheet"), 3); // the list is kept from here on
        RecordSet a, b;
        a.open(t.db, "Select * from timesheet");
        addPunchRow(t.db, "E4", QDate(2024, 1, 6));
        b.open(t.db, "Select * from timesheet");
        QCOMPARE(a.recordCount(), 3);
        QCOMPARE(b.recordCount(), 4);

        b.moveFirst();
        b.moveNext();
        b.remove(); // E2
        QCOMPARE(ids(t.db, "Select * from timesheet"), (QStringList{"E1", "E3", "E4"}));
        QCOMPARE(a.recordCount(), 3);
        a.moveFirst();
        a.moveNext();
        QCOMPARE(a.text("emp_id"), QString("E2")); // deleted elsewhere, still seen here

        a.addNew();
        a.setValue("emp_id", "E5");
        a.setValue("rsdate", "01/07/2024");
        a.update();
        QCOMPARE(a.recordCount(), 4);
        QCOMPARE(b.recordCount(), 4);
        QCOMPARE(ids(t.db, "Select * from timesheet"), (QStringList{"E1", "E3", "E4", "E5"}));
        a.moveLast();
        QCOMPARE(a.text("emp_id"), QString("E5"));
    }

    void writesAreVisibleToAnotherConnectionAtOnce()
    {
        ServerDb t;
        test::addEmployee(t.db, "E1", "Ann", "Lee");
        DatabaseSession other;
        other.open(t.path, "pluma");
        QCOMPARE(ids(other, "Select * from Employee"), QStringList{"E1"});
    }

    void transactionRollsBackUnlessCommitted()
    {
        ServerDb t;
        {
            Transaction tx(t.db);
            test::addEmployee(t.db, "gone", "f", "l");
        }
        {
            Transaction tx(t.db);
            test::addEmployee(t.db, "kept", "f", "l");
            tx.commit();
        }
        QCOMPARE(ids(t.db, "Select * from Employee"), QStringList{"kept"});
    }

    void aTransactionInsideAnotherIsAPartOfIt()
    {
        ServerDb t;
        {
            Transaction outer(t.db);
            test::addEmployee(t.db, "kept", "f", "l");
            {
                Transaction part(t.db);
                test::addEmployee(t.db, "taken back", "f", "l");
            }
            {
                Transaction part(t.db);
                test::addEmployee(t.db, "with the outer", "f", "l");
                part.commit();
            }
            outer.commit();
        }
        QCOMPARE(ids(t.db, "Select * from Employee"), QStringList({"kept", "with the outer"}));
        {
            Transaction outer(t.db);
            Transaction part(t.db);
            test::addEmployee(t.db, "gone with the outer", "f", "l");
            part.commit();
        }
        QCOMPARE(ids(t.db, "Select * from Employee"), QStringList({"kept", "with the outer"}));
    }

    void wholeTableReopensFollowEveryWrite()
    {
        ServerDb t;
        for (const char *id : {"A", "B", "C"})
            test::addEmployee(t.db, id, "f", "l");
        QCOMPARE(ids(t.db, "Select * from Employee"), QStringList({"A", "B", "C"}));
        RecordSet rs;
        rs.open(t.db, "Select * from Employee where emp_id = ?", {"B"});
        rs.remove();
        test::addEmployee(t.db, "D", "f", "l");
        QCOMPARE(ids(t.db, "Select * from employee"), QStringList({"A", "C", "D"}));
        {
            Transaction tx(t.db);
            test::addEmployee(t.db, "rolled back", "f", "l");
            QCOMPARE(ids(t.db, "Select * from Employee").size(), 4);
        }
        QCOMPARE(ids(t.db, "Select * from Employee"), QStringList({"A", "C", "D"}));
        t.db.execScript("DELETE FROM Employee WHERE emp_id = 'A'");
        QCOMPARE(ids(t.db, "Select * from Employee"), QStringList({"C", "D"}));
    }

    void backgroundListingMissesNoWrite()
    {
        ServerDb t;
        {
            Transaction tx(t.db);
            for (int i = 0; i < 3000; ++i)
                test::addEmployee(t.db, QString::number(i), "f", "l");
            tx.commit();
        }
        DatabaseSession db;
        db.open(t.path, "pluma");
        db.prewarm();
        // Writes racing the background listing: deletes of listed rows and new rows.
        RecordSet rs;
        rs.open(db, "Select * from Employee where emp_id = ?", {"0"});
        rs.remove();
        test::addEmployee(db, "new", "f", "l");
        rs.open(db, "Select * from Employee where emp_id = ?", {"2999"});
        rs.remove();
        const QStringList all = ids(db, "Select * from Employee");
        QCOMPARE(all.size(), 2999);
        QCOMPARE(all.first(), QString("1"));
        QCOMPARE(all.last(), QString("new"));
        QCOMPARE(all.at(2997), QString("2998"));
        test::addEmployee(db, "after", "f", "l");
        QCOMPARE(ids(db, "Select * from Employee").last(), QString("after"));
    }

    void manyRowsSnapshotReadsEveryRow()
    {
        ServerDb t;
        {
            Transaction tx(t.db);
            for (int i = 0; i < 1000; ++i)
                addPunchRow(t.db, QString::number(i), QDate(2026, 1, 1).addDays(i % 300));
            tx.commit();
        }
        RecordSet rs;
        rs.open(t.db, "Select * from timesheet");
        RecordSet writer;
        writer.open(t.db, "Select * from timesheet where emp_id = ?", {"700"});
        writer.setValue("emp_id", "changed");
        writer.update();
        QCOMPARE(rs.recordCount(), 1000);
        int i = 0;
        for (rs.moveFirst(); !rs.eof(); rs.moveNext(), ++i)
            QCOMPARE(rs.text("emp_id"), QString::number(i));
        QCOMPARE(i, 1000);
    }

    void rowsFarApartReadTheirOwnValues()
    {
        // One employee's rows among many others' (read row by row, not by a range scan).
        ServerDb t;
        {
            Transaction tx(t.db);
            for (int i = 0; i < 6000; ++i)
                addPunchRow(t.db, QStringLiteral("E%1").arg(i % 50), QDate(2026, 1, 1).addDays(i / 50),
                            QTime(8, 0).addSecs(i));
            tx.commit();
        }
        RecordSet rs;
        rs.open(t.db, "Select * from timesheet where emp_id = ?", {"E7"});
        RecordSet writer;
        writer.open(t.db, "Select * from timesheet where emp_id = ? and rsdate = #01/03/2026#", {"E7"});
        writer.remove(); // the snapshot keeps the row it saw
        QCOMPARE(rs.recordCount(), 120);
        int n = 0;
        for (; !rs.eof(); rs.moveNext(), ++n) {
            QCOMPARE(rs.value("rsdate").toDate(), QDate(2026, 1, 1).addDays(n));
            QCOMPARE(rs.value("in1").toTime(), QTime(8, 0).addSecs(n * 50 + 7));
        }
        QCOMPARE(n, 120);
    }
};

QTEST_GUILESS_MAIN(TestDatabase)
#include "tst_database.moc"
