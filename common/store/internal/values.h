#pragma once
// The stored form of the program's values: the logical type of a column, conversions both
// ways, and the case-blind comparison of stored text that replaces the store's NOCASE.

#include <QString>
#include <QVariant>
#include <vector>

struct sqlite3_stmt;

namespace zarvo {

enum class LogicalType { Text, Date, Time, Number, Integer };

/// One row of a select, one value per column.
using Row = std::vector<QVariant>;

/// A program value in the column's stored form; DbError naming `field` when it cannot be one.
QVariant toStored(const QVariant &value, LogicalType type, const QString &field);
/// The value of a statement's column as the program sees it (Null is an invalid QVariant).
QVariant fromStored(sqlite3_stmt *stmt, int column, LogicalType type);
/// The logical type of a declared column type ("DATETIME", "DOUBLE", ...).
LogicalType typeOfDeclared(const char *declared);
/// Text comparison ignoring the case of every letter; replaces the store's ASCII-only NOCASE.
int compareIgnoringCase(void *, int size1, const void *text1, int size2, const void *text2);

} // namespace zarvo
