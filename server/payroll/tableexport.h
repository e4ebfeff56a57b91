#pragma once
// Payroll tables written out for accountants and payroll software: CSV (RFC 4180, UTF-8, a
// header row, '.' decimal point) and an .xlsx spreadsheet with the same cells. Widget-free;
// used by ZarvoReport and by the report preview.

#include "payrolldata.h"
#include <QIODevice>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace zarvo {

/// A table of cells: Null is an empty cell, a double a number (general form), a QDate
/// "YYYY-MM-DD", a QTime "HH:MM:SS", anything else its text.
struct ExportTable {
    QStringList header;
    QList<QVariantList> rows;
};

/// The cell as CSV and the spreadsheet's text cells show it.
QString cellText(const QVariant &cell);

/// Writes the table as CSV (CRLF line ends, fields quoted only where needed).
void writeCsv(QIODevice &out, const ExportTable &table);
/// Writes the table as CSV into `path`; false with `error` set when it cannot be written.
bool writeCsvFile(const QString &path, const ExportTable &table, QString *error);
/// Writes the table as a one-sheet spreadsheet; numbers stay numbers. False with `error` set.
bool writeXlsxFile(const QString &path, const ExportTable &table, const QString &sheetName,
                   QString *error);

/// The tables of the payroll runs.
ExportTable summaryTable(const QList<SummaryRow> &rows);
ExportTable detailTable(const QList<DetailRow> &rows);

} // namespace zarvo
