// An employee's hours so far (today, this week) by the payroll's pair arithmetic, and the
// setting of the week's first day.
#include "hourssofar.h"
#include "testdb.h"
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace zarvo;
using zarvo::test::ServerDb;

namespace {
void writeFile(const QString &path, const QByteArray &text)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
}
} // namespace

class TestHoursSoFar : public QObject {
    Q_OBJECT
private slots:
    void twoClosedPairsAndAnOpenOneCountUpToTheMoment()
    {
        ServerDb t;
        // Wednesday: 4 h + 3.25 h closed, the third pair open since 16:00.
        zarvo::test::addTimesheetRow(t.db, "E1", "12/09/2026", {"08:00:00", "12:00:00", "12:30:00", "15:45:00", "16:00:00"});
        zarvo::test::addTimesheetRow(t.db, "E1", "12/07/2026", {"08:00:00", "17:00:00"}); // Monday: 9 h
        zarvo::test::addTimesheetRow(t.db, "E1", "12/08/2026", {"22:00:00"});             // left open yesterday: nothing
        zarvo::test::addTimesheetRow(t.db, "E2", "12/09/2026", {"06:00:00", "14:00:00"}); // someone else's
        const HoursSoFar h = hoursSoFar(t.db, "E1", QDateTime(QDate(2026, 12, 9), QTime(17, 15, 40)), Qt::Monday);
        QCOMPARE(h.today, 8.5); // 4 + 3.25 + 1.25 (the seconds dropped, as in the payroll)
        QCOMPARE(h.week, 17.5);
        QCOMPARE(hoursFigure(h.today) + "|" + hoursFigure(h.week), QString("8.50|17.50"));
        // Right after signing in, the new pair counts 0; an open pair "later" than now counts nothing.
        QCOMPARE(hoursSoFar(t.db, "E1", QDateTime(QDate(2026, 12, 9), QTime(16, 0)), Qt::Monday).today, 7.25);
        QCOMPARE(hoursSoFar(t.db, "E1", QDateTime(QDate(2026, 12, 9), QTime(15, 50)), Qt::Monday).today, 7.25);
    }

    void weekAcrossMonthAndYearEnds_data()
    {
        QTest::addColumn<QDateTime>("at");
        QTest::addColumn<int>("firstDay");
        QTest::addColumn<double>("today");
        QTest::addColumn<double>("week");
        // Rows (below): Sun 11/29 2 h, Mon 11/30 3 h, Tue 12/01 4 h, Wed 12/02 1.5 h, Thu 12/03 6 h;
        // Sun 12/27 1 h, Mon 12/28 2 h, Thu 12/31 3 h, Fri 01/01/2027 4.5 h, Mon 01/04/2027 5 h.
        QTest::newRow("Wed, Monday start") << QDateTime(QDate(2026, 12, 2), QTime(18, 0)) << int(Qt::Monday) << 1.5 << 8.5;
        QTest::newRow("Wed, Sunday start") << QDateTime(QDate(2026, 12, 2), QTime(18, 0)) << int(Qt::Sunday) << 1.5 << 10.5;
        QTest::newRow("Wed, Wednesday start") << QDateTime(QDate(2026, 12, 2), QTime(18, 0)) << int(Qt::Wednesday) << 1.5 << 1.5;
        QTest::newRow("Tue, Thursday start") << QDateTime(QDate(2026, 12, 1), QTime(18, 0)) << int(Qt::Thursday) << 4.0 << 9.0;
        QTest::newRow("Fri 1 Jan, Monday start") << QDateTime(QDate(2027, 1, 1), QTime(18, 0)) << int(Qt::Monday) << 4.5 << 9.5;
        QTest::newRow("Fri 1 Jan, Sunday start") << QDateTime(QDate(2027, 1, 1), QTime(18, 0)) << int(Qt::Sunday) << 4.5 << 10.5;
        QTest::newRow("Mon 4 Jan, Monday start") << QDateTime(QDate(2027, 1, 4), QTime(18, 0)) << int(Qt::Monday) << 5.0 << 5.0;
    }
    void weekAcrossMonthAndYearEnds()
    {
        QFETCH(QDateTime, at);
        QFETCH(int, firstDay);
        QFETCH(double, today);
        QFETCH(double, week);
        ServerDb t;
        const QList<QPair<QString, QStringList>> rows = {
            {"11/29/2026", {"08:00:00", "10:00:00"}}, {"11/30/2026", {"08:00:00", "11:00:00"}},
            {"12/01/2026", {"08:00:00", "12:00:00"}}, {"12/02/2026", {"08:00:00", "09:30:00"}},
            {"12/03/2026", {"08:00:00", "14:00:00"}}, {"12/27/2026", {"08:00:00", "09:00:00"}},
            {"12/28/2026", {"08:00:00", "10:00:00"}}, {"12/31/2026", {"08:00:00", "11:00:00"}},
            {"01/01/2027", {"08:00:00", "12:30:00"}}, {"01/04/2027", {"08:00:00", "13:00:00"}}};
        for (const auto &[day, times] : rows)
            zarvo::test::addTimesheetRow(t.db, "E1", day, times);
        const HoursSoFar h = hoursSoFar(t.db, "E1", at, Qt::DayOfWeek(firstDay));
        QCOMPARE(h.today, today);
        QCOMPARE(h.week, week);
    }

    void weekStartSettingIsReadFromTheFile()
    {
        QCOMPARE(WeekStartSetting::parseDay(" sat "), std::optional(Qt::Saturday));
        QCOMPARE(WeekStartSetting::parseDay("Su"), std::nullopt);
        QTemporaryDir dir;
        const QString file = dir.filePath("zarvo.ini");
        WeekStartSetting setting(file);
        QCOMPARE(setting.firstDay(), Qt::Monday); // no file
        writeFile(file, "week_starts_on=Sunday\n");
        QCOMPARE(setting.firstDay(), Qt::Sunday);
        writeFile(file, "; the payroll week\n[General]\nweek_starts_on = fri\n");
        QCOMPARE(setting.firstDay(), Qt::Friday); // a changed file is read again, no restart
        writeFile(file, "week_starts_on=someday\n");
        QCOMPARE(setting.firstDay(), Qt::Monday); // unreadable: the default
    }
};

QTEST_GUILESS_MAIN(TestHoursSoFar)
#include "tst_hourssofar.moc"
