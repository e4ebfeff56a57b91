// The two payroll runs: the rows of `details` and `summary`, the captions of the reports,
// the outcome, and the store left free for punches between every step.
#include "clock.h"
#include "payrollfixture.h"
#include "payrollruns.h"
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace zarvo;
using namespace zarvo::test;

Q_DECLARE_METATYPE(zarvo::PayrollRun::Outcome)

namespace {
const QStringList kDetailFields{"emp_id", "rsdate", "in1", "out1", "work_hours", "regular", "rsot"};
const QStringList kSummaryFields{"emp_id", "emp_name", "work_hours", "wage", "ot_wage", "regular", "ot",
                                 "reg_earnings", "ot_earnings", "tot_earnings"};

/// "E1 01/05/2024 08:00:00 12:00:00 - - - -": ID, day, six slots ("-" stays Null).
void addRows(DatabaseSession &db, const QStringList &rows)
{
    for (const QString &r : rows) {
        QStringList p = r.split(QLatin1Char(' '));
        const QString id = p.takeFirst().replace(QLatin1Char('_'), QLatin1Char(' '));
        const QDate day = QDate::fromString(p.takeFirst(), QStringLiteral("MM/dd/yyyy"));
        for (QString &s : p)
            if (s == QLatin1String("-"))
                s.clear();
        addPunchRow(db, id, day, p);
    }
}

/// The employees every case shares: E1 with wages 10/15, E2 with an empty overtime wage,
/// O'Neil (a quote in the ID) with 20/30, NOWAGE with no wages at all.
void addStaff(DatabaseSession &db)
{
    addWagedEmployee(db, "E1", "Ann", "Lee", 10.0, 15.0);
    addWagedEmployee(db, "E2", "Bob", "Ray", 12.0, QVariant());
    addWagedEmployee(db, "O'Neil", "Cy", "O'Neil", 20.0, 30.0);
    addWagedEmployee(db, "NOWAGE", QString(), "Solo", QVariant(), QVariant());
}

QStringList captionList(const DetailCaptions &c)
{
    const auto text = [](const std::optional<QString> &v) { return v.value_or(QString()); };
    QStringList out{"regular=" + text(c.regularHours), "overtime=" + text(c.overtimeHours),
                    "work=" + text(c.workHours), "total=" + text(c.totalEarnings)};
    const auto opt = [&out](const char *n, const std::optional<QString> &v) {
        out << QString::fromLatin1(n) + QLatin1Char('=') + (v ? *v : QStringLiteral("<design>"));
    };
    opt("name", c.employeeName);
    opt("wage", c.regularWage);
    opt("ot_wage", c.overtimeWage);
    opt("reg_earnings", c.regularEarnings);
    opt("ot_earnings", c.overtimeEarnings);
    return out;
}
} // namespace

class TestPayrollRuns : public QObject {
    Q_OBJECT
    ServerDb *m_t = nullptr;
    DatabaseSession &db() { return m_t->db; }

private slots:
    void init()
    {
        m_t = new ServerDb;
        addStaff(db());
        Clock::setFixed(QDateTime(QDate(2024, 2, 1), QTime(9, 0)));
    }
    void cleanup()
    {
        delete m_t;
        Clock::clearFixed();
    }

    void detailRunRefillsDetailsAndWorksOutItsFigures_data()
    {
        QTest::addColumn<QStringList>("punches");
        QTest::addColumn<QString>("employee"); // "" = nothing ticked
        QTest::addColumn<QString>("to");
        QTest::addColumn<PayrollRun::Outcome>("outcome");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("captions");
        using O = PayrollRun::Outcome;
        QTest::newRow("two pairs of one day")
            << QStringList{"E1 01/05/2024 08:00:00 12:00:00 13:00:00 18:30:00 - -"} << "E1" << "01/31/2024" << O::Report
            << QStringList{"E1 2024-01-05 08:00:00 12:00:00 4 4 0", "E1 2024-01-05 13:00:00 18:30:00 5.5 4 1.5"}
            << QStringList{"regular=8", "overtime=1.5", "work=9.5", "total=102.5", "name=Ann Lee", "wage=10", "ot_wage=15", "reg_earnings=80", "ot_earnings=22.5"};
        QTest::newRow("third row incomplete: rows before stay, no report")
            << QStringList{"E1 01/02/2024 08:00:00 12:00:00 - - - -", "E1 01/03/2024 08:00:00 17:00:00 - - - -",
                           "E1 01/04/2024 08:00:00 12:00:00 13:00:00 - - -", "E1 01/05/2024 08:00:00 12:00:00 - - - -"}
            << "E1" << "01/31/2024" << O::Incomplete
            << QStringList{"E1 2024-01-02 08:00:00 12:00:00 4 4 0", "E1 2024-01-03 08:00:00 17:00:00 9 4 5",
                           "E1 2024-01-04 08:00:00 12:00:00 4 4 0"}
            << QStringList{"regular=", "overtime=", "work=", "total=0", "name=<design>", "wage=<design>", "ot_wage=<design>", "reg_earnings=<design>",
                           "ot_earnings=<design>"};
        QTest::newRow("time-out without time-in counts nothing")
            << QStringList{"E1 01/05/2024 08:00:00 12:00:00 - - - 17:00:00"} << "E1" << "01/31/2024" << O::Report
            << QStringList{"E1 2024-01-05 08:00:00 12:00:00 4 4 0"}
            << QStringList{"regular=4", "overtime=0", "work=4", "total=40", "name=Ann Lee", "wage=10", "ot_wage=15", "reg_earnings=40", "ot_earnings=0"};
        QTest::newRow("no punches in the period")
            << QStringList{"E1 02/05/2024 08:00:00 12:00:00 - - - -"} << "E1" << "01/31/2024" << O::Report
            << QStringList{} << QStringList{"regular=0", "overtime=0", "work=0", "total=0", "name=Ann Lee", "wage=10", "ot_wage=15", "reg_earnings=0", "ot_earnings=0"};
        QTest::newRow("end date before start date")
            << QStringList{"E1 01/05/2024 08:00:00 12:00:00 - - - -"} << "E1" << "12/31/2023" << O::Report
            << QStringList{} << QStringList{"regular=0", "overtime=0", "work=0", "total=0", "name=Ann Lee", "wage=10", "ot_wage=15", "reg_earnings=0", "ot_earnings=0"};
        QTest::newRow("nothing ticked: header and zero totals only")
            << QStringList{"E1 01/05/2024 08:00:00 12:00:00 - - - -"} << "" << "01/31/2024" << O::Report << QStringList{}
            << QStringList{"regular=0", "overtime=0", "work=0", "total=0", "name=<design>", "wage=<design>", "ot_wage=<design>", "reg_earnings=<design>",
                           "ot_earnings=<design>"};
        QTest::newRow("empty overtime wage shows empty, earns 0")
            << QStringList{"E2 01/05/2024 08:00:00 17:00:00 - - - -"} << "E2" << "01/31/2024" << O::Report
            << QStringList{"E2 2024-01-05 08:00:00 17:00:00 9 4 5"}
            << QStringList{"regular=4", "overtime=5", "work=9", "total=48", "name=Bob Ray", "wage=12", "ot_wage=", "reg_earnings=48", "ot_earnings=0"};
        QTest::newRow("shift past midnight")
            << QStringList{"E1 01/05/2024 22:00:00 02:00:00 - - - -"} << "E1" << "01/31/2024" << O::Report
            << QStringList{"E1 2024-01-05 22:00:00 02:00:00 4 4 0"}
            << QStringList{"regular=4", "overtime=0", "work=4", "total=40", "name=Ann Lee", "wage=10", "ot_wage=15", "reg_earnings=40", "ot_earnings=0"};
        QTest::newRow("ID with a quote")
            << QStringList{"O'Neil 01/05/2024 08:00:00 12:01:00 - - - -"} << "O'Neil" << "01/31/2024" << O::Report
            << QStringList{"O'Neil 2024-01-05 08:00:00 12:01:00 4.0167 4 0.0167"}
            << QStringList{"regular=4", "overtime=0.0167", "work=4.0167", "total=80.501", "name=Cy O'Neil", "wage=20", "ot_wage=30", "reg_earnings=80",
                           "ot_earnings=0.501"};
    }
    void detailRunRefillsDetailsAndWorksOutItsFigures()
    {
        QFETCH(QStringList, punches);
        QFETCH(QString, employee);
        QFETCH(QString, to);
        QFETCH(PayrollRun::Outcome, outcome);
        QFETCH(QStringList, rows);
        QFETCH(QStringList, captions);
        addRows(db(), punches);
        addRows(db(), {"E9 01/01/2024 07:00:00 08:00:00 - - - -"});
        // Rows of an earlier run are gone.
        DetailRun(db(), {QDate(2024, 1, 1), QDate(2024, 1, 31)}, ChosenEmployee{"E9", "Old Run"}).runToEnd();
        QCOMPARE(db().countRows("details"), 1);

        std::optional<ChosenEmployee> chosen;
        if (!employee.isEmpty())
            chosen = ChosenEmployee{employee, captions.filter(QRegularExpression("^name=")).value(0).mid(5)};
        DetailRun run(db(), {QDate(2024, 1, 1), QDate::fromString(to, "MM/dd/yyyy")}, chosen);
        run.runToEnd();
        QCOMPARE(run.outcome(), outcome);
        QCOMPARE(tableRows(db(), "details", kDetailFields), rows);
        if (outcome == PayrollRun::Outcome::Report) {
            QCOMPARE(captionList(run.captions()), captions);
            QCOMPARE(run.captions().header.periodStart, QStringLiteral("01-Jan-2024"));
            QCOMPARE(run.captions().header.today, QStringLiteral("01-Feb-2024"));
        } else {
            QVERIFY(run.incomplete());
            QCOMPARE(run.incomplete()->pair, 2);
            QCOMPARE(run.incomplete()->rsdate.toDate(), QDate(2024, 1, 4));
        }
    }

    void summaryRunRefillsSummaryInListOrder_data()
    {
        QTest::addColumn<QStringList>("punches");
        QTest::addColumn<QStringList>("ids");
        QTest::addColumn<PayrollRun::Outcome>("outcome");
        QTest::addColumn<QStringList>("rows");
        using O = PayrollRun::Outcome;
        QTest::newRow("worked example: one 9-hour pair, one idle employee")
            << QStringList{"E1 01/05/2024 08:00:00 17:00:00 - - - -"} << QStringList{"E1", "E2"} << O::Report
            << QStringList{"E1 Ann Lee 9 10 15 4 5 40 75 115", "E2 Bob Ray 0 12 <null> 0 0 0 0 0"};
        QTest::newRow("list order, not table order")
            << QStringList{"E1 01/05/2024 08:00:00 12:00:00 - - - -"} << QStringList{"E2", "E1"} << O::Report
            << QStringList{"E2 Bob Ray 0 12 <null> 0 0 0 0 0", "E1 Ann Lee 4 10 15 4 0 40 0 40"};
        QTest::newRow("incomplete pairs are skipped silently")
            << QStringList{"E1 01/05/2024 08:00:00 12:00:00 13:00:00 - 14:00:00 15:00:00",
                           "E1 01/06/2024 08:00:00 12:01:00 - - - -"}
            << QStringList{"E1"} << O::Report << QStringList{"E1 Ann Lee 9.0167 10 15 9 0.0167 90 0.2505 90.2505"};
        QTest::newRow("missing employee row: zeros, name and wages empty")
            << QStringList{"GONE 01/05/2024 08:00:00 17:00:00 - - - -"} << QStringList{"GONE"} << O::Report
            << QStringList{"GONE <null> 9 <null> <null> 4 5 0 0 0"};
        QTest::newRow("same ID twice: two identical rows")
            << QStringList{"E1 01/05/2024 08:00:00 12:00:00 - - - -"} << QStringList{"E1", "E1"} << O::Report
            << QStringList{"E1 Ann Lee 4 10 15 4 0 40 0 40", "E1 Ann Lee 4 10 15 4 0 40 0 40"};
        QTest::newRow("no wages at all, empty first name")
            << QStringList{"NOWAGE 01/05/2024 22:00:00 06:00:00 - - - -"} << QStringList{"NOWAGE"} << O::Report
            << QStringList{"NOWAGE  Solo 8 <null> <null> 4 4 0 0 0"};
        QTest::newRow("nothing ticked: emptied, no report")
            << QStringList{"E1 01/05/2024 08:00:00 12:00:00 - - - -"} << QStringList{} << O::NoReport << QStringList{};
    }
    void summaryRunRefillsSummaryInListOrder()
    {
        QFETCH(QStringList, punches);
        QFETCH(QStringList, ids);
        QFETCH(PayrollRun::Outcome, outcome);
        QFETCH(QStringList, rows);
        addRows(db(), punches);
        SummaryRun(db(), {QDate(2024, 1, 1), QDate(2024, 1, 31)}, {"E1", "E2", "E1"}).runToEnd();
        QCOMPARE(db().countRows("summary"), 3);
        SummaryRun run(db(), {QDate(2024, 1, 1), QDate(2024, 1, 31)}, ids);
        run.runToEnd();
        QCOMPARE(run.outcome(), outcome);
        QCOMPARE(tableRows(db(), "summary", kSummaryFields), rows);
        if (outcome == PayrollRun::Outcome::Report)
            QCOMPARE(run.captions().header.periodEnd, QStringLiteral("31-Jan-2024"));
    }

    void companyHeader()
    {
        RecordSet c;
        c.open(db(), "Select * from company");
        c.addNew();
        c.setValue("biztitle", "Zed Works");
        c.setValue("address", "1 Main St");
        c.setValue("city", "Springfield");
        c.setValue("country", "USA");
        c.setValue("zip", "12345");
        c.setValue("logo", "/nowhere/logo.bmp");
        c.update();
        SummaryRun run(db(), {QDate(2024, 1, 1), QDate(2024, 1, 31)}, {"E1"});
        run.runToEnd();
        const CompanyFacts &f = run.captions().header.company;
        QVERIFY(f.found);
        QCOMPARE(f.title, QStringLiteral("Zed Works"));
        QCOMPARE(f.address, QStringLiteral("1 Main St, Springfield\n, USA 12345")); // empty state
        QCOMPARE(f.phone, QString());
        QCOMPARE(f.logoPath, QStringLiteral("/nowhere/logo.bmp"));
    }

    void storeStaysFreeBetweenSteps_data()
    {
        QTest::addColumn<bool>("detail");
        QTest::newRow("detailed run") << true;
        QTest::newRow("summary run") << false;
    }
    void storeStaysFreeBetweenSteps()
    {
        // Enough rows that clearing and refilling take many chunks.
        QFETCH(bool, detail);
        db().execScript(QStringLiteral(
            "BEGIN; WITH RECURSIVE c(x) AS (SELECT 0 UNION ALL SELECT x+1 FROM c WHERE x < 5999) "
            "INSERT INTO timesheet SELECT 'E' || (1 + x % 2), date('2024-01-01', '+' || (x / 2 % 366) || ' days'), "
            "'08:00:00', '12:00:00', '13:00:00', '17:30:00', NULL, NULL FROM c; "
            "INSERT INTO details (emp_id) SELECT 'old' FROM timesheet; "
            "INSERT INTO summary (emp_id) SELECT 'old' FROM timesheet; COMMIT;"));
        QStringList ids;
        for (int i = 0; i < 400; ++i)
            ids << (i % 2 ? "E1" : "E2");
        const PayPeriod year{QDate(2024, 1, 1), QDate(2024, 12, 31)};
        std::unique_ptr<PayrollRun> run;
        if (detail)
            run.reset(new DetailRun(db(), year, ChosenEmployee{"E1", "Ann Lee"}));
        else
            run.reset(new SummaryRun(db(), year, ids));
        // At every event-loop turn of the run, a punch must be able to take the store.
        int turns = 0, refused = 0;
        QTimer punch;
        QObject::connect(&punch, &QTimer::timeout, [&] {
            ++turns;
            try {
                Transaction t(db());
                t.commit();
            } catch (const DbError &) {
                ++refused;
            }
        });
        punch.start(0);
        QSignalSpy done(run.get(), &PayrollRun::finished);
        run->start();
        QVERIFY(done.wait(60000));
        punch.stop();
        QCOMPARE(run->outcome(), PayrollRun::Outcome::Report);
        QCOMPARE(refused, 0);
        QVERIFY2(turns > 3, qPrintable(QString::number(turns)));
        if (detail) {
            QCOMPARE(db().countRows("details"), 6000);
            QCOMPARE(qobject_cast<DetailRun *>(run.get())->captions().workHours, std::optional<QString>("25500"));
        } else {
            QCOMPARE(db().countRows("summary"), 400);
            QCOMPARE(tableRows(db(), "summary", {"emp_id", "work_hours", "regular", "ot"}).first(),
                     QStringLiteral("E2 25500 24000 1500"));
        }
    }
};

QTEST_GUILESS_MAIN(TestPayrollRuns)
#include "tst_payrollruns.moc"
