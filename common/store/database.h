#pragma once
// The embedded store: one encrypted SQLite (SQLCipher) file per program, reached through a
// DatabaseSession and read and written through RecordSets, with the meanings the time clock's
// SQL texts rely on (case-blind names and text "=", rows in the order they were added, dates as
// month/day/year, a static snapshot per record set, every write durable when it returns).

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <vector>

namespace zarvo {

/// The one error type of the store, carrying the store's own message.
class DbError : public std::runtime_error {
public:
    explicit DbError(const QString &message);
    QString message() const { return m_message; }

private:
    QString m_message;
};

class SessionImpl;
struct StoreAccess;

/// An open database file (password optional). Copies share the same connection.
class DatabaseSession {
public:
    DatabaseSession();
    ~DatabaseSession();
    DatabaseSession(const DatabaseSession &) = delete;
    DatabaseSession &operator=(const DatabaseSession &) = delete;

    /// Opens an existing file; throws DbError with the store's text when the file is missing,
    /// the password is wrong or the file is not a database.
    void open(const QString &path, const QString &password = {});
    /// Opens an existing file for reading only: nothing of it is ever written (programs that
    /// read a database another program may be writing, tools that inspect a delivered file).
    void openReadOnly(const QString &path, const QString &password = {});
    /// Creates a new file (tools and tests only: the programs never create files or tables).
    void create(const QString &path, const QString &password = {});
    /// Lists every table's rows in the background, so the first whole-table record set of a
    /// large table opens without a full scan (start-up of the server).
    void prewarm();
    bool isOpen() const;
    void close();

    /// Runs SQL statements as they stand (tools and tests only).
    void execScript(const QString &sql);
    /// Number of rows of a table (tests and benchmarks).
    qint64 countRows(const QString &table);

private:
    friend struct StoreAccess; // the store's record sets, transactions and checks
    std::shared_ptr<SessionImpl> d;
};

class RecordSet;
class RecordCursor;
struct CursorState;

/// Commits on commit(), rolls back when left without it. Inside another transaction it is a
/// part of that one (a savepoint): its commit keeps its writes for the outer commit, and rolled
/// back it takes back only its own. The record sets named in `writers` are the ones the
/// transaction writes through: rolled back, they are put back as they were at its start, so
/// none of them shows a row added, changed or deleted that the file never kept.
class Transaction {
public:
    explicit Transaction(DatabaseSession &db, std::initializer_list<RecordSet *> writers = {});
    ~Transaction();
    void commit();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

private:
    DatabaseSession &m_db;
    bool m_open = true;
    bool m_nested = false;
    struct Writer {
        RecordSet *rs;
        const RecordCursor *opened; // the cursor the state belongs to (not one opened since)
        std::shared_ptr<CursorState> state;
    };
    std::vector<Writer> m_writers;
};

/// A static, updatable snapshot over one single-table select.
///
/// The SQL text is the program's select ("Select * from timesheet where emp_id = ?"), with
/// values passed in `params` and bound, never pasted. Date literals "#mm/dd/yyyy#" are read as
/// month/day/year. Rows come in the order they were added. Rows that other record sets add
/// later are not seen; rows they change or delete keep, here, the values seen at opening.
///
/// Field values: an invalid QVariant is Null; text is QString, date QDate, time QTime,
/// number double, integer qlonglong. Writes are converted to the column's type ("mm/dd/yyyy"
/// into a date, "hh:mm:ss" into a time, number text into a number); what cannot be converted
/// is refused with DbError and nothing is written.
class RecordSet {
public:
    RecordSet();
    ~RecordSet();
    RecordSet(RecordSet &&) noexcept;
    RecordSet &operator=(RecordSet &&) noexcept;

    void open(DatabaseSession &db, const QString &sql, const QVariantList &params = {});
    bool isOpen() const;
    void close();

    int recordCount() const;
    bool bof() const;
    bool eof() const;
    /// Index of the current row (0-based); -1 before the first, recordCount() past the last.
    int position() const;
    void setPosition(int row);

    void moveFirst(); ///< throws DbError on an empty record set
    void moveLast();  ///< throws DbError on an empty record set
    void moveNext();
    void movePrevious();

    /// The table the select reads, as written in it.
    QString table() const;
    QStringList fieldNames() const;
    bool hasField(const QString &name) const;
    /// Value of the current row's field (names match without regard to case); Null is an
    /// invalid QVariant. Throws DbError when there is no current row or no such field.
    QVariant value(const QString &field) const;
    /// The value as text, Null giving the empty text ("joining Null to text yields the text").
    QString text(const QString &field) const;
    /// Value of any row by index, for grids.
    QVariant valueAt(int row, int column) const;

    /// Assigns a field of the current row; written at the next update().
    void setValue(const QString &field, const QVariant &value);
    void addNew();
    void update();
    /// Deletes the current row from the table at once; the position stays on it until the
    /// next move.
    void remove();
    /// Criterion "field = 'value'" (or "field ='value'"): moves to the first row at or after
    /// the current one whose field equals the value, or to EOF. Returns !eof().
    bool find(const QString &criterion);

    /// The current row's bookmark: its identity in the table, the same in every record set
    /// over that table, so a row found by a narrow select can be shown in a wide one.
    /// Throws DbError when there is no current row.
    qint64 bookmark() const;
    /// The bookmark of any row by index (as valueAt() reads any row).
    qint64 bookmarkAt(int row) const;
    /// Moves to the row with that bookmark; false (position unchanged, but off a deleted row)
    /// when this snapshot does not hold it or holds only a row deleted elsewhere meanwhile.
    /// Costs a binary search, whatever the size of the set.
    bool moveToBookmark(qint64 bookmark);

private:
    friend class Transaction;
    std::unique_ptr<RecordCursor> d;
};

/// "mm/dd/yyyy", the day text.
QString dayText(const QDate &date);
/// "hh:mm:ss" on the 24-hour clock, the time text.
QString timeText(const QTime &time);

} // namespace zarvo
