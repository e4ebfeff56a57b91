#include "recordsetmodel.h"
#include "artwork.h"
#include <QDate>
#include <QLocale>
#include <QRegularExpression>
#include <QTime>

namespace zarvo {
namespace {
// Some locales put narrow or non-breaking blanks before AM/PM; a plain blank reads the same.
QString plainBlanks(QString text)
{
    return text.replace(QChar(0x202F), QLatin1Char(' ')).replace(QChar(0x00A0), QLatin1Char(' '));
}

// A time of day shows no time zone.
QString timeFormat(const QLocale &locale)
{
    static const QRegularExpression zone(QStringLiteral("\\s*(?<![A-Za-z'])t+(?![A-Za-z'])"));
    return locale.timeFormat(QLocale::LongFormat).remove(zone).trimmed();
}
} // namespace

RecordSetModel::RecordSetModel(const RecordSet *rs, QObject *parent) : QAbstractTableModel(parent), m_rs(rs) {}

void RecordSetModel::setColumns(const QList<ModelColumn> &columns)
{
    beginResetModel();
    m_columns = columns;
    endResetModel();
}

void RecordSetModel::setRowFilter(std::function<bool(const RecordSet &, int)> keep)
{
    m_keep = std::move(keep);
}

bool RecordSetModel::refresh()
{
    beginResetModel();
    m_rows.clear();
    bool complete = true;
    if (m_keep && m_rs->isOpen()) {
        try {
            for (int r = 0; r < m_rs->recordCount(); ++r)
                if (m_keep(*m_rs, r))
                    m_rows.push_back(r);
        } catch (const DbError &) {
            complete = false;
        }
    }
    endResetModel();
    return complete;
}

int RecordSetModel::recordOf(int modelRow) const
{
    if (!m_keep)
        return modelRow;
    return modelRow >= 0 && modelRow < int(m_rows.size()) ? m_rows[size_t(modelRow)] : -1;
}

QString RecordSetModel::displayText(const QVariant &v)
{
    const QLocale locale;
    switch (v.typeId()) {
    case QMetaType::QDate: return plainBlanks(locale.toString(v.toDate(), QLocale::ShortFormat));
    case QMetaType::QTime: return plainBlanks(locale.toString(v.toTime(), timeFormat(locale)));
    case QMetaType::Double: return QString::number(v.toDouble(), 'g', 15);
    default: return v.isValid() ? v.toString() : QString();
    }
}

int RecordSetModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_rs->isOpen())
        return 0;
    return m_keep ? int(m_rows.size()) : m_rs->recordCount();
}

int RecordSetModel::columnCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return m_columns.isEmpty() ? int(m_rs->fieldNames().size()) : int(m_columns.size());
}

QVariant RecordSetModel::value(int modelRow, int column) const
{
    const int record = recordOf(modelRow);
    if (m_columns.isEmpty())
        return m_rs->valueAt(record, column);
    const ModelColumn &c = m_columns[column];
    if (c.computed)
        return c.computed(*m_rs, record);
    const QStringList names = m_rs->fieldNames();
    for (int f = 0; f < names.size(); ++f)
        if (names[f].compare(c.field, Qt::CaseInsensitive) == 0)
            return m_rs->valueAt(record, f);
    return {};
}

void RecordSetModel::setMarker(int column, std::function<QString(const RecordSet &, int)> note)
{
    beginResetModel();
    m_markColumn = column;
    m_note = std::move(note);
    endResetModel();
}

QVariant RecordSetModel::data(const QModelIndex &index, int role) const
{
    if (index.isValid() && index.column() == m_markColumn && m_note &&
        (role == Qt::DecorationRole || role == Qt::ToolTipRole)) {
        QString note;
        try {
            note = m_note(*m_rs, recordOf(index.row()));
        } catch (const DbError &) {
        }
        if (note.isEmpty())
            return {};
        return role == Qt::ToolTipRole ? QVariant(note) : QVariant(Artwork::icon(QStringLiteral("changed")));
    }
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::UserRole))
        return {};
    QVariant v;
    try {
        v = value(index.row(), index.column());
    } catch (const DbError &) {
        return {};
    }
    return role == Qt::UserRole ? v : QVariant(displayText(v));
}

QVariant RecordSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    return m_columns.isEmpty() ? QVariant(m_rs->fieldNames().value(section)) : QVariant(m_columns.value(section).header);
}

Qt::ItemFlags RecordSetModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren : Qt::NoItemFlags;
}

} // namespace zarvo
