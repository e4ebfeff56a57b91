#pragma once
// Tables written out for accountants and payroll software: CSV (RFC 4180, UTF-8, a header row
// of the field names, '.' decimal point) and an .xlsx spreadsheet with the same cells.
// Widget-free; used by ZarvoReport and by the report preview's "Export…".

#include "datatable.h"
#include <QIODevice>
#include <QString>

namespace zarvo {

/// The cell as CSV and the spreadsheet's text cells show it: Null empty, a double in general
/// form, a QDate "YYYY-MM-DD", a QTime "HH:MM:SS", anything else its text.
QString cellText(const QVariant &cell);

/// Writes the table as CSV (CRLF line ends, fields quoted only where needed).
void writeCsv(QIODevice &out, const DataTable &table);
/// Writes the table as CSV into `path`; false with `error` set when it cannot be written.
bool writeCsvFile(const QString &path, const DataTable &table, QString *error);
/// Writes the table as a one-sheet spreadsheet; numbers stay numbers. False with `error` set.
bool writeXlsxFile(const QString &path, const DataTable &table, const QString &sheetName,
                   QString *error);

/// Writes the table by the file's suffix: .xlsx as a spreadsheet (sheet `sheetName`), any other
/// as CSV. False with `error` set.
bool writeTableFile(const QString &path, const DataTable &table, const QString &sheetName, QString *error);

} // namespace zarvo
