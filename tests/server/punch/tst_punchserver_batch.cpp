// Punches answered together: one transaction, replies only for what was stored, nothing lost or
// recorded twice when one of them fails.
#include "clock.h"
#include "serverlayout.h"
#include "punchbatch.h"
#include "testdb.h"
#include <QTest>

using namespace zarvo;
using zarvo::test::ServerDb;

namespace {
int slotsOf(DatabaseSession &db, const QString &id)
{
    RecordSet rs;
    rs.open(db, "Select * from timesheet where emp_id = ?", {id});
    int n = 0;
    for (; !rs.eof(); rs.moveNext())
        for (const char *f : ServerLayout::TimeSlots)
            n += rs.value(QLatin1String(f)).isValid();
    return n;
}
} // namespace

class TestPunchBatch : public QObject {
    Q_OBJECT
private slots:
    void init() { Clock::setFixed(QDateTime(QDate(2026, 12, 9), QTime(9, 0))); }
    void cleanup() { Clock::clearFixed(); }

    void repliesInOrder()
    {
        ServerDb t;
        test::addEmployee(t.db, "E1", "Ann", "Lee");
        test::addEmployee(t.db, "E2", "Bo", "Kim");
        const QList<QByteArray> replies = answerPunches(t.db, {"E1", "nobody", "E2", "E1", "e1"});
        QCOMPARE(replies, QList<QByteArray>({"RINAnn Lee", "NRF", "RINBo Kim", "OUTAnn Lee", ""}));
        QCOMPARE(slotsOf(t.db, "E1"), 2);
        QCOMPARE(slotsOf(t.db, "E2"), 1);
    }

    void storedDurablyWhenAnswered()
    {
        ServerDb t;
        test::addEmployee(t.db, "E1", "Ann", "Lee");
        QCOMPARE(answerPunches(t.db, {"E1", "E1"}), QList<QByteArray>({"RINAnn Lee", "OUTAnn Lee"}));
        // Another connection sees the commit at once: nothing is left pending.
        DatabaseSession other;
        other.open(t.path, "pluma");
        QCOMPARE(slotsOf(other, "E1"), 2);
    }

    void oneFailingPunchCostsOnlyItsOwnReply()
    {
        ServerDb t;
        test::addEmployee(t.db, "E1", "Ann", "Lee");
        test::addEmployee(t.db, "BAD", "Bad", "Row");
        test::addEmployee(t.db, "E2", "Bo", "Kim");
        t.db.execScript("CREATE TRIGGER refuse BEFORE INSERT ON timesheet WHEN NEW.emp_id = 'BAD' "
                        "BEGIN SELECT RAISE(ABORT, 'refused'); END");
        QStringList failures;
        const QList<QByteArray> replies = answerPunches(t.db, {"E1", "BAD", "E2"}, &failures);
        QCOMPARE(replies, QList<QByteArray>({"RINAnn Lee", "", "RINBo Kim"}));
        // The store's own message of the refused punch, for the operator; none for the others.
        QCOMPARE(failures, QStringList({"", "refused", ""}));
        // The batch was undone and redone one by one: each punch stored exactly once.
        QCOMPARE(slotsOf(t.db, "E1"), 1);
        QCOMPARE(slotsOf(t.db, "E2"), 1);
        QCOMPARE(slotsOf(t.db, "BAD"), 0);
        QCOMPARE(t.db.countRows("timesheet"), 2);
    }

    void closedStoreGivesNoRepliesAndNoThrow()
    {
        ServerDb t;
        t.db.close();
        QCOMPARE(answerPunches(t.db, {"E1", "E2"}), QList<QByteArray>({"", ""}));
        QCOMPARE(answerPunches(t.db, {"E1"}), QList<QByteArray>({""}));
    }
};

QTEST_GUILESS_MAIN(TestPunchBatch)
#include "tst_punchserver_batch.moc"
