#pragma once
// ZarvoReport's command line: summary, detail and exceptions over a pay period, written as CSV
// (standard output or a file) and optionally as a spreadsheet; the change log's entries over a
// period (audit) and the check of its chain (verify). Only reads the database.

#include <QIODevice>
#include <QStringList>

namespace zarvo {

/// Exit statuses of ZarvoReport.
enum ReportStatus { ReportOk = 0, ReportStoreFailed = 1, ReportUsage = 2, ReportIncomplete = 3, ReportLogBroken = 4 };

/// Runs one command (`args` without the program name). `defaultDatabase` is used unless
/// --database names another. CSV goes to `out` unless --csv names a file; messages go to `err`.
int runReportCommand(const QStringList &args, const QString &defaultDatabase, QIODevice &out, QIODevice &err);

/// The usage text.
QString reportUsage();

} // namespace zarvo
