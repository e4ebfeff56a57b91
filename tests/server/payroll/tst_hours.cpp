// The pair arithmetic: every pair on its own, seconds dropped, 4 decimals, 4 regular hours per
// pair at most; period sums; earnings from the wages; the general number form.
#include "hours.h"
#include <QTest>

using namespace zarvo;

namespace {
QVariant t(const char *text) { return QTime::fromString(QLatin1String(text), QStringLiteral("HH:mm:ss")); }
} // namespace

class TestHours : public QObject {
    Q_OBJECT
private slots:
    void pairSplitsIntoRegularAndOvertime_data()
    {
        QTest::addColumn<QVariant>("in");
        QTest::addColumn<QVariant>("out");
        QTest::addColumn<double>("work");
        QTest::addColumn<double>("regular");
        QTest::addColumn<double>("overtime");
        QTest::newRow("4 hours: all regular") << t("08:00:00") << t("12:00:00") << 4.0 << 4.0 << 0.0;
        QTest::newRow("9 hours: 4 regular, 5 overtime") << t("08:00:00") << t("17:00:00") << 9.0 << 4.0 << 5.0;
        QTest::newRow("one minute over") << t("08:00:00") << t("12:01:00") << 4.0167 << 4.0 << 0.0167;
        QTest::newRow("30 seconds lost") << t("08:00:30") << t("12:00:00") << 3.9833 << 3.9833 << 0.0;
        QTest::newRow("59 seconds are no minute") << t("13:00:00") << t("13:00:59") << 0.0 << 0.0 << 0.0;
        QTest::newRow("in equals out") << t("09:15:00") << t("09:15:00") << 0.0 << 0.0 << 0.0;
        QTest::newRow("editor's empty slots") << t("00:00:00") << t("00:00:00") << 0.0 << 0.0 << 0.0;
        QTest::newRow("7 h 40 min") << t("08:00:00") << t("15:40:00") << 7.6667 << 4.0 << 3.6667;
        QTest::newRow("3 h 59 min 30 s") << t("08:00:00") << t("11:59:30") << 3.9833 << 3.9833 << 0.0;
        QTest::newRow("5.5 hours") << t("13:00:00") << t("18:30:00") << 5.5 << 4.0 << 1.5;
        QTest::newRow("past midnight, 4 hours") << t("22:00:00") << t("02:00:00") << 4.0 << 4.0 << 0.0;
        QTest::newRow("past midnight, 8.5 hours") << t("20:00:00") << t("04:30:00") << 8.5 << 4.0 << 4.5;
        QTest::newRow("texts as stored") << QVariant(QStringLiteral("8:00:00")) << QVariant(QStringLiteral("12:30:00"))
                                         << 4.5 << 4.0 << 0.5;
    }
    void pairSplitsIntoRegularAndOvertime()
    {
        QFETCH(QVariant, in);
        QFETCH(QVariant, out);
        const std::optional<PairHours> h = ComputePairHours(in, out);
        QFETCH(double, work);
        QFETCH(double, regular);
        QFETCH(double, overtime);
        QVERIFY(h);
        QCOMPARE(h->work, work);
        QCOMPARE(h->regular, regular);
        QCOMPARE(h->overtime, overtime);
        QCOMPARE(generalNumber(h->regular + h->overtime), generalNumber(h->work));
    }

    void incomplete_data()
    {
        QTest::addColumn<QVariant>("in");
        QTest::addColumn<QVariant>("out");
        QTest::newRow("time-out Null") << t("08:00:00") << QVariant();
        QTest::newRow("time-in empty text") << QVariant(QString("")) << t("12:00:00");
        QTest::newRow("time-out empty text") << t("08:00:00") << QVariant(QString(""));
        QTest::newRow("time-out not a time") << t("08:00:00") << QVariant(QStringLiteral("noon"));
        QTest::newRow("time-in 25 o'clock") << QVariant(QStringLiteral("25:00:00")) << t("12:00:00");
    }
    void incomplete()
    {
        QFETCH(QVariant, in);
        QFETCH(QVariant, out);
        QVERIFY(!ComputePairHours(in, out));
    }

    void periodTotals()
    {
        // Three pairs of one day, each capped on its own: 10 hours, all regular.
        PayPeriodTotals day;
        for (auto [in, out] : {std::pair{"08:00:00", "12:00:00"}, {"13:00:00", "17:00:00"}, {"18:00:00", "20:00:00"}})
            day.add(*ComputePairHours(t(in), t(out)));
        QCOMPARE(day.work, 10.0);
        QCOMPARE(day.regular, 10.0);
        QCOMPARE(day.overtime, 0.0);
        // Three pairs of 4 hours: 12 regular; one of 9: 4 regular and 5 overtime.
        PayPeriodTotals capped;
        for (int i = 0; i < 3; ++i)
            capped.add(*ComputePairHours(t("08:00:00"), t("12:00:00")));
        capped.add(*ComputePairHours(t("08:00:00"), t("17:00:00")));
        QCOMPARE(capped.regular, 16.0);
        QCOMPARE(capped.overtime, 5.0);
        // Adding doubles leaves noise that the summary's rounding removes.
        PayPeriodTotals noisy;
        for (int i = 0; i < 30; ++i)
            noisy.add(*ComputePairHours(t("08:00:00"), t("12:01:00")));
        QVERIFY(noisy.overtime != 0.501);
        QCOMPARE(noisy.rounded().overtime, 0.501);
        QCOMPARE(generalNumber(noisy.overtime), QStringLiteral("0.501"));
        QCOMPARE(PayPeriodTotals().rounded().work, 0.0);
    }

    void earnings_data()
    {
        QTest::addColumn<double>("regular");
        QTest::addColumn<double>("overtime");
        QTest::addColumn<QVariant>("regWage");
        QTest::addColumn<QVariant>("otWage");
        QTest::addColumn<double>("regEarn");
        QTest::addColumn<double>("otEarn");
        QTest::addColumn<double>("total");
        QTest::newRow("detailed example") << 8.0 << 1.5 << QVariant(10.0) << QVariant(15.0) << 80.0 << 22.5 << 102.5;
        QTest::newRow("summary example") << 4.0 << 5.0 << QVariant(10.0) << QVariant(15.0) << 40.0 << 75.0 << 115.0;
        QTest::newRow("no hours") << 0.0 << 0.0 << QVariant(10.0) << QVariant(15.0) << 0.0 << 0.0 << 0.0;
        QTest::newRow("never rounded") << 4.0167 << 0.0167 << QVariant(12.33) << QVariant(18.5)
                                       << 4.0167 * 12.33 << 0.0167 * 18.5 << 4.0167 * 12.33 + 0.0167 * 18.5;
        QTest::newRow("empty overtime wage") << 4.0 << 5.0 << QVariant(10.0) << QVariant() << 40.0 << 0.0 << 40.0;
        QTest::newRow("both wages empty") << 4.0 << 5.0 << QVariant() << QVariant() << 0.0 << 0.0 << 0.0;
        QTest::newRow("wage as text") << 2.0 << 0.0 << QVariant(QStringLiteral("7.25")) << QVariant() << 14.5 << 0.0 << 14.5;
    }
    void earnings()
    {
        QFETCH(double, regular);
        QFETCH(double, overtime);
        QFETCH(QVariant, regWage);
        QFETCH(QVariant, otWage);
        QFETCH(double, regEarn);
        QFETCH(double, otEarn);
        QFETCH(double, total);
        const Earnings e = computeEarnings(regular, overtime, regWage, otWage);
        QCOMPARE(e.regular, regEarn);
        QCOMPARE(e.overtime, otEarn);
        QCOMPARE(e.total, total);
    }

    void generalForm_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole") << 4.0 << "4";
        QTest::newRow("4 decimals") << 4.0167 << "4.0167";
        QTest::newRow("earnings") << 102.5 << "102.5";
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("negative zero") << -0.0 << "0";
        QTest::newRow("sum noise") << 0.1 + 0.2 << "0.3";
        QTest::newRow("no thousands separator") << 12345.5 << "12345.5";
    }
    void generalForm()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(generalNumber(value), text);
    }
};

QTEST_GUILESS_MAIN(TestHours)
#include "tst_hours.moc"
