#include "reportcli.h"
#include "changelog.h"
#include "database.h"
#include "layout.h"
#include "module1.h"
#include "serverlayout.h"
#include "payrollbinding.h"
#include "payrolldata.h"
#include "reportdocument.h"
#include "tableexport.h"
#include <QBuffer>
#include <QFileInfo>
#include <QSet>

namespace zarvo {

QString reportUsage()
{
    return QStringLiteral(
        "usage:\n"
        "  ZarvoReport summary    --from MM/DD/YYYY --to MM/DD/YYYY [--employee ID]... [--csv FILE] [--xlsx FILE] [--pdf FILE] [--database FILE]\n"
        "  ZarvoReport detail     --from MM/DD/YYYY --to MM/DD/YYYY --employee ID [--csv FILE] [--xlsx FILE] [--pdf FILE] [--database FILE]\n"
        "  ZarvoReport exceptions --from MM/DD/YYYY --to MM/DD/YYYY [--employee ID]... [--database FILE]\n"
        "  ZarvoReport audit      --from MM/DD/YYYY --to MM/DD/YYYY [--employee ID] [--csv FILE] [--database FILE]\n"
        "  ZarvoReport verify     [--database FILE]\n"
        "Dates may also be written YYYY-MM-DD. Without --employee, every employee in table order.\n");
}

namespace {

struct Options {
    QString command;
    PayPeriod period;
    QStringList employees;
    QString csv, xlsx, pdf, database;
};

QDate parseDay(const QString &text)
{
    for (const char *format : {"MM/dd/yyyy", "M/d/yyyy", "yyyy-MM-dd"}) {
        const QDate d = QDate::fromString(text.trimmed(), QLatin1String(format));
        if (d.isValid())
            return d;
    }
    return {};
}

/// Reads the options; an empty result with `problem` set is a usage error.
std::optional<Options> parse(const QStringList &args, const QString &defaultDatabase, QString &problem)
{
    Options o;
    o.database = defaultDatabase;
    if (args.isEmpty()) {
        problem = QStringLiteral("no command given");
        return std::nullopt;
    }
    o.command = args.first();
    if (o.command != QLatin1String("summary") && o.command != QLatin1String("detail") &&
        o.command != QLatin1String("exceptions") && o.command != QLatin1String("audit") &&
        o.command != QLatin1String("verify")) {
        problem = QStringLiteral("unknown command \"%1\"").arg(o.command);
        return std::nullopt;
    }
    bool haveFrom = false, haveTo = false;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString &a = args[i];
        const bool known = a == QLatin1String("--from") || a == QLatin1String("--to") ||
                           a == QLatin1String("--employee") || a == QLatin1String("--csv") ||
                           a == QLatin1String("--xlsx") || a == QLatin1String("--pdf") ||
                           a == QLatin1String("--database");
        if (!known) {
            problem = QStringLiteral("unknown option \"%1\"").arg(a);
            return std::nullopt;
        }
        if (i + 1 >= args.size()) {
            problem = QStringLiteral("%1 needs a value").arg(a);
            return std::nullopt;
        }
        const QString v = args[++i];
        if (a == QLatin1String("--from") || a == QLatin1String("--to")) {
            const QDate d = parseDay(v);
            if (!d.isValid()) {
                problem = QStringLiteral("%1: \"%2\" is not a date (MM/DD/YYYY or YYYY-MM-DD)").arg(a, v);
                return std::nullopt;
            }
            (a == QLatin1String("--from") ? o.period.from : o.period.to) = d;
            (a == QLatin1String("--from") ? haveFrom : haveTo) = true;
        } else if (a == QLatin1String("--employee")) {
            o.employees << v;
        } else if (a == QLatin1String("--csv")) {
            o.csv = v;
        } else if (a == QLatin1String("--xlsx")) {
            o.xlsx = v;
        } else if (a == QLatin1String("--pdf")) {
            o.pdf = v;
        } else {
            o.database = v;
        }
    }
    const bool verify = o.command == QLatin1String("verify");
    if (verify && (haveFrom || haveTo || !o.employees.isEmpty() || !o.csv.isEmpty() || !o.xlsx.isEmpty() ||
                   !o.pdf.isEmpty()))
        problem = QStringLiteral("verify takes only --database");
    else if (!verify && (!haveFrom || !haveTo))
        problem = QStringLiteral("--from and --to are both needed");
    else if (o.command == QLatin1String("audit") && (o.employees.size() > 1 || !o.xlsx.isEmpty() || !o.pdf.isEmpty()))
        problem = QStringLiteral("audit takes at most one --employee, and writes CSV only");
    else if (o.command == QLatin1String("detail") && o.employees.size() != 1)
        problem = QStringLiteral("detail needs exactly one --employee");
    else if (o.command == QLatin1String("exceptions") && (!o.csv.isEmpty() || !o.xlsx.isEmpty() || !o.pdf.isEmpty()))
        problem = QStringLiteral("exceptions writes to standard output only");
    if (!problem.isEmpty())
        return std::nullopt;
    // Data is sacred: an export never lands on the database it reads.
    const QString dbPath = QFileInfo(o.database).absoluteFilePath();
    for (const QString &target : {o.csv, o.xlsx, o.pdf}) {
        if (!target.isEmpty() && QFileInfo(target).absoluteFilePath() == dbPath) {
            problem = QStringLiteral("refusing to write over the database %1").arg(o.database);
            return std::nullopt;
        }
    }
    return o;
}

void say(QIODevice &err, const QString &text) { err.write(text.toUtf8() + '\n'); }

/// The report's pages as the preview shows them, written as PDF when --pdf asks for it.
bool writePdf(const report::FilledReport &filled, const Options &o, QIODevice &err)
{
    if (o.pdf.isEmpty())
        return true;
    QString error;
    if (report::writeReportPdf(filled.design, filled.rows, o.pdf, &error))
        return true;
    say(err, QStringLiteral("ZarvoReport: cannot write %1: %2").arg(o.pdf, error));
    return false;
}

/// Exceptions: what the runs cannot count or count in a way a person should look at.
DataTable exceptionsTable(DatabaseSession &db, const Options &o)
{
    DataTable t;
    t.fields = QStringList{"emp_id", "rsdate", "pair", "time_in", "time_out", "problem", "note"};
    for (const PayrollException &e : findExceptions(db, o.period, o.employees))
        t.rows.append({e.empId, e.rsdate, e.pair, e.timeIn, e.timeOut, e.problem, e.note});
    return t;
}

/// The change log's entries of the period, oldest first.
DataTable auditTable(DatabaseSession &db, const Options &o)
{
    DataTable t;
    t.fields = QStringList{"entry", "changed_at", "window", "action", "table", "row", "emp_id", "day", "before",
                           "after", "hash"};
    for (const ChangeLog::Entry &e : ChangeLog::entries(db, o.period.from, o.period.to, o.employees.value(0)))
        t.rows.append({e.id, e.at.toString(Qt::ISODate), e.window, e.action, e.table, e.key,
                       e.empId.isNull() ? QVariant() : QVariant(e.empId), e.day.isValid() ? QVariant(e.day) : QVariant(),
                       e.before.isNull() ? QVariant() : QVariant(e.before),
                       e.after.isNull() ? QVariant() : QVariant(e.after), e.hash});
    return t;
}

/// Writes the table where the options say; false (message written) when a file failed.
bool writeOut(const DataTable &table, const Options &o, QIODevice &out, QIODevice &err)
{
    QString error;
    if (o.csv.isEmpty())
        writeCsv(out, table);
    else if (!writeCsvFile(o.csv, table, &error)) {
        say(err, QStringLiteral("ZarvoReport: cannot write %1: %2").arg(o.csv, error));
        return false;
    }
    if (!o.xlsx.isEmpty() && !writeXlsxFile(o.xlsx, table, o.command, &error)) {
        say(err, QStringLiteral("ZarvoReport: cannot write %1: %2").arg(o.xlsx, error));
        return false;
    }
    return true;
}

} // namespace

int runReportCommand(const QStringList &args, const QString &defaultDatabase, QIODevice &out, QIODevice &err)
{
    QString problem;
    const std::optional<Options> o = parse(args, defaultDatabase, problem);
    if (!o) {
        say(err, QStringLiteral("ZarvoReport: ") + problem);
        err.write(reportUsage().toUtf8());
        return ReportUsage;
    }
    try {
        DatabaseSession db;
        // Only reading, even of a copy taken with its write-ahead log beside it.
        db.openReadOnly(o->database, Module1::databasePassword());
        // Every layout this program knows is read as it is (it is never brought up to date
        // here); a newer one may mean something else by its tables.
        const int version = layoutVersion(db);
        if (version > ServerLayout::newest())
            throw DbError(newerLayoutFault(o->database, version, ServerLayout::newest()).replace(QLatin1Char('\r'), QLatin1Char(' ')));
        if (o->command == QLatin1String("summary")) {
            const QStringList ids = o->employees.isEmpty() ? allEmployeeIds(db) : o->employees;
            QList<SummaryRow> rows;
            for (const QString &id : ids)
                rows.append(computeSummary(db, id, o->period));
            const report::FilledReport filled = report::fillSummaryReport(reportHeaderCaptions(db, o->period), rows);
            if (!writeOut(filled.rows, *o, out, err))
                return ReportStoreFailed;
            return writePdf(filled, *o, err) ? ReportOk : ReportStoreFailed;
        }
        if (o->command == QLatin1String("detail")) {
            const DetailFigures f = computeDetail(db, o->employees.first(), o->period);
            if (!writeOut(detailTable(f.rows), *o, out, err))
                return ReportStoreFailed;
            if (f.incomplete) {
                say(err, QStringLiteral("ZarvoReport: incomplete pair: employee %1, date %2, pair %3 "
                                        "(time-in %4, time-out %5); the rows before it are written")
                             .arg(f.incomplete->empId, cellText(f.incomplete->rsdate))
                             .arg(f.incomplete->pair)
                             .arg(cellText(f.incomplete->timeIn), cellText(f.incomplete->timeOut)) +
                         (o->pdf.isEmpty() ? QString() : QStringLiteral("; no PDF is written")));
                return ReportIncomplete; // as in the server: no report for an incomplete pair
            }
            const QString id = o->employees.first();
            const EmployeeFacts e = lookUpEmployee(db, id);
            const DetailCaptions captions =
                detailCaptions(db, o->period, ChosenEmployee{id, e.found ? e.name() : id}, f.totals);
            return writePdf(report::fillDetailReport(captions, f.rows), *o, err) ? ReportOk : ReportStoreFailed;
        }
        if (o->command == QLatin1String("audit"))
            return writeOut(auditTable(db, *o), *o, out, err) ? ReportOk : ReportStoreFailed;
        if (o->command == QLatin1String("verify")) {
            const ChangeLog::Verdict v = ChangeLog::verify(db);
            if (!v.intact) {
                say(err, QStringLiteral("ZarvoReport: the change log of %1 is broken: %2").arg(o->database, v.problem));
                return ReportLogBroken;
            }
            out.write(QStringLiteral("The change log of %1 is intact: %2 entries, last hash %3\n")
                          .arg(o->database)
                          .arg(v.entries)
                          .arg(v.head)
                          .toUtf8());
            return ReportOk;
        }
        return writeOut(exceptionsTable(db, *o), *o, out, err) ? ReportOk : ReportStoreFailed;
    } catch (const DbError &e) {
        say(err, QStringLiteral("ZarvoReport: ") + e.message());
        return ReportStoreFailed;
    }
}

} // namespace zarvo
