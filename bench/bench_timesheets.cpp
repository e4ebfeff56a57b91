// Prints what the timesheet windows cost on a small and a large timesheet: opening the time
// record editor on a handed-over row, one "Fetch", one browser listing of a year for one
// employee, and the worst wait of a terminal punching meanwhile.
//   bench_timesheets [row counts...=10000 5000000]
// Each timesheet is built once (one transaction of bulk inserts) as
// /tmp/zarvo_bench_timesheets_<rows>.mdb and kept; every run works on a copy of it.
#include "addtime.h"
#include "benchstats.h"
#include "boxrecorder.h"
#include "database.h"
#include "module1.h"
#include "punchserver.h"
#include "testdb.h"
#include "timesheets.h"
#include <QApplication>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QFile>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <functional>
#include <QTreeView>
#include <arpa/inet.h>
#include <atomic>
#include <cstdio>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

using namespace zarvo;

namespace {
constexpr int kEmployees = 2000;
const QDate kLastDay(2026, 12, 8); // rows go back day by day from here

double msSince(const QElapsedTimer &t) { return t.nsecsElapsed() / 1e6; }

/// The kept file for `rows`, built when missing: `kEmployees` employees, each with one full
/// day per row, days going back from kLastDay.
QString benchFile(qint64 rows)
{
    const QString path = QStringLiteral("/tmp/zarvo_bench_timesheets_%1.mdb").arg(rows);
    if (QFile::exists(path))
        return path;
    QElapsedTimer timer;
    timer.start();
    const QString building = path + QStringLiteral(".building");
    test::createServerDatabase(building);
    {
        DatabaseSession db;
        db.open(building, Module1::databasePassword());
        db.execScript(QStringLiteral(
            "BEGIN; WITH RECURSIVE c(x) AS (SELECT 0 UNION ALL SELECT x+1 FROM c WHERE x < %1) "
            "INSERT INTO Employee (emp_id, emp_fname, emp_lname) SELECT 'E' || x, 'First' || x, 'Last' || x FROM c; "
            "WITH RECURSIVE c(x) AS (SELECT 0 UNION ALL SELECT x+1 FROM c WHERE x < %2) "
            "INSERT INTO timesheet SELECT 'E' || (x % %3), date('%4', '-' || (x / %3) || ' days'), "
            "'08:00:00', '12:00:00', '13:00:00', '17:00:00', NULL, NULL FROM c; COMMIT;")
                          .arg(kEmployees - 1)
                          .arg(rows - 1)
                          .arg(kEmployees)
                          .arg(kLastDay.toString(Qt::ISODate)));
    }
    if (!QFile::rename(building, path))
        qFatal("cannot keep %s", qPrintable(path));
    std::printf("built %s in %.1f s\n", qPrintable(path), timer.elapsed() / 1000.0);
    return path;
}

/// One terminal on its own thread: punches a different employee every few milliseconds and
/// records how long each answer took.
class Terminal : public QThread {
public:
    explicit Terminal(quint16 port) : m_port(port) {}
    std::atomic<bool> stop{false};
    std::vector<double> waits;
    int unanswered = 0;

protected:
    void run() override
    {
        const int fd = connectLoopback(m_port);
        timeval tv{5, 0};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        char buf[512];
        if (::recv(fd, buf, sizeof buf, 0) < 3) // "CRA"
            qFatal("terminal not accepted");
        for (int i = 0; !stop; ++i) {
            const QByteArray id = "E" + QByteArray::number(i % kEmployees);
            QElapsedTimer t;
            t.start();
            ::send(fd, id.constData(), size_t(id.size()), 0);
            if (::recv(fd, buf, sizeof buf, 0) > 0)
                waits.push_back(msSince(t));
            else
                ++unanswered;
            QThread::msleep(3);
        }
        ::close(fd);
    }

private:
    quint16 m_port;
};

/// Lets the event loop run for a while, as between two clicks of a user: the punch server
/// answers the terminal meanwhile.
void idle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

/// Runs one user action from the event loop (as a click would) and returns its cost in ms.
double timed(const std::function<void()> &action)
{
    double cost = 0;
    QEventLoop loop;
    QTimer::singleShot(0, &loop, [&] {
        QElapsedTimer t;
        t.start();
        action();
        cost = msSince(t);
        loop.quit();
    });
    loop.exec();
    return cost;
}

void report(const char *what, qint64 rows, const std::vector<double> &costs)
{
    const Stats s = stats(costs);
    const double worst = *std::max_element(costs.begin(), costs.end());
    std::printf("  %-44s %9lld rows: median %8.3f ms, p99 %8.3f ms, worst %8.3f ms (%zu runs)\n", what,
                (long long)rows, s.median, s.p99, worst, costs.size());
}

void benchRows(qint64 rows, QMdiArea &area, PunchServer &server)
{
    QTemporaryDir dir;
    const QString work = dir.path() + QStringLiteral("/punched.mdb");
    if (!QFile::copy(benchFile(rows), work))
        qFatal("cannot copy the bench file");
    Module1 &m = Module1::instance();
    m.db.open(work, Module1::databasePassword());
    QElapsedTimer timer;
    timer.start();
    m.db.prewarm(); // as start-up does
    {
        RecordSet warm; // waits for the background listing, as the first window would
        warm.open(m.db, QStringLiteral("Select * from timesheet"));
    }
    std::printf("timesheet of %lld rows: start-up listing taken in after %.1f ms\n", (long long)m.db.countRows("timesheet"),
                msSince(timer));

    // The floor of opening the editor: the store's snapshot of the whole table.
    std::vector<double> snapshots;
    for (int i = 0; i < 10; ++i) {
        RecordSet whole;
        timer.restart();
        whole.open(m.db, QStringLiteral("Select * from timesheet"));
        snapshots.push_back(msSince(timer));
    }
    report("the store alone: a whole-table record set", rows, snapshots);

    // The terminal alone first: the floor of its answers (network, event loop, durable commit).
    Terminal alone(server.port());
    alone.start();
    idle(1500);
    alone.stop = true;
    while (!alone.wait(10))
        idle(1);
    report("a terminal's punch answered, nothing else running", rows, alone.waits);

    Terminal terminal(server.port());
    terminal.start();
    idle(200);
    auto *rng = QRandomGenerator::global();
    const int days = int(rows / kEmployees);
    auto someRow = [&](QString &id, QDate &day) {
        id = QStringLiteral("E%1").arg(rng->bounded(kEmployees));
        day = kLastDay.addDays(-rng->bounded(std::max(days, 1)));
    };

    // Opening the editor on a handed-over row (newest, oldest, any), then closing it.
    std::vector<double> opens;
    for (int i = 0; i < 30; ++i) {
        if (i == 0) {
            m.SelectedEmpID = QStringLiteral("E%1").arg(kEmployees - 1), m.SelectedDay = kLastDay;
        } else if (i == 1) {
            m.SelectedEmpID = QStringLiteral("E0"), m.SelectedDay = kLastDay.addDays(-(days - 1));
        } else {
            someRow(m.SelectedEmpID, m.SelectedDay);
        }
        AddTime *editor = nullptr;
        const double cost = timed([&] { editor = ShowInsideConsole<AddTime>(); });
        if (i == 0)
            std::printf("  %-44s %9lld rows: %8.3f ms\n", "first editor (creates the window kind)", (long long)rows, cost);
        else
            opens.push_back(cost);
        if (!editor || editor->records().eof())
            qFatal("the editor did not find the handed-over row");
        editor->closeWindow();
        idle(5);
    }
    report("open the editor on a handed-over row", rows, opens);

    // One "Fetch" each: "Search", type an ID and a day, "Fetch".
    AddTime *editor = ShowInsideConsole<AddTime>();
    auto *search = editor->findChild<QPushButton *>(QStringLiteral("Srch"));
    std::vector<double> fetches;
    for (int i = 0; i < 50; ++i) {
        QString id;
        QDate day;
        someRow(id, day);
        search->click();
        editor->findChild<QLineEdit *>(QStringLiteral("EmpID"))->setText(id);
        editor->findChild<QDateEdit *>(QStringLiteral("rDate"))->setDate(day);
        fetches.push_back(timed([&] { search->click(); }));
        if (editor->records().eof())
            qFatal("Fetch did not find the row");
        idle(5);
    }
    report("one Fetch", rows, fetches);
    editor->closeWindow();
    idle(5);

    // One browser listing of a year for one employee.
    Timesheets *browser = ShowInsideConsole<Timesheets>();
    browser->findChild<QDateEdit *>(QStringLiteral("DTPicker1"))->setDate(kLastDay.addYears(-1).addDays(1));
    browser->findChild<QDateEdit *>(QStringLiteral("DTPicker2"))->setDate(kLastDay);
    auto *empList = browser->findChild<QTreeView *>(QStringLiteral("EmpList"));
    auto *timeList = browser->findChild<QTreeView *>(QStringLiteral("TimeList"));
    std::vector<double> listings;
    int listed = 0;
    for (int i = 0; i < 30; ++i) {
        empList->selectionModel()->setCurrentIndex(empList->model()->index(rng->bounded(kEmployees), 0),
                                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        listings.push_back(timed([&] {
            browser->employeeChosen();
            timeList->viewport()->repaint(); // the list shows its rows
        }));
        listed = timeList->model()->rowCount();
        idle(5);
    }
    report(qPrintable(QStringLiteral("browser: a year of one employee (%1 rows)").arg(listed)), rows, listings);
    browser->closeWindow();
    idle(5);

    terminal.stop = true;
    while (!terminal.wait(10))
        idle(1);
    report("a terminal's punch answered, windows at work", rows, terminal.waits);
    std::printf("  %d punches unanswered\n", terminal.unanswered);
    m.db.close();
}
} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    qputenv("ZARVO_PUNCH_PORT", "0");
    QApplication app(argc, argv);
    std::vector<qint64> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(QByteArray(argv[i]).toLongLong());
    if (sizes.empty())
        sizes = {10000, 5000000};

    test::BoxRecorder boxes;
    boxes.autoDismissAsync = true; // the punch server's "Connected with" box
    QMdiArea area;
    area.resize(1200, 800);
    MdiWindowHost host(&area, &area);
    setWindowHost(&host);
    area.show();
    QWidget console;
    PunchServer server(&console, Module1::instance().db);
    if (!server.listen())
        qFatal("listen: %s", qPrintable(server.errorString()));
    for (qint64 rows : sizes)
        benchRows(rows, area, server);
    if (!boxes.boxes.isEmpty())
        std::printf("boxes shown: %lld, last \"%s\"\n", (long long)boxes.boxes.size(), qPrintable(boxes.last().text));
    setWindowHost(nullptr);
    return 0;
}
