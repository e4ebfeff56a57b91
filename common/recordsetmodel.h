#pragma once
// A read-only item model over an open record set, for the grids and report-view lists of the
// server's windows: every row or a chosen subset, every field or chosen columns.

#include "database.h"
#include <QAbstractTableModel>
#include <functional>
#include <vector>

namespace zarvo {

class RecordSetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    /// The value of a model row and column, as a record-set row read by its index.
    using CellValue = std::function<QVariant(const RecordSet &rs, int record)>;
    struct ModelColumn {
        QString header;
        QString field;       ///< shown as its value's display text...
        CellValue computed;  ///< ...unless this is set (for columns joined from several fields)
    };

    /// Every row and field of `rs`, headed by the field names (the select's aliases).
    explicit RecordSetModel(const RecordSet *rs, QObject *parent = nullptr);

    /// Chosen columns instead of every field.
    void setColumns(const QList<ModelColumn> &columns);
    /// Shows only the records `keep` accepts, in record-set order, from the next refresh().
    /// A record that cannot be read ends the listing there (what was kept stays); refresh()
    /// then returns false.
    void setRowFilter(std::function<bool(const RecordSet &rs, int record)> keep);
    /// Marks the cells of `column` whose record `note` gives a text for: an icon beside the
    /// value, the text as its tooltip (Qt::DecorationRole, Qt::ToolTipRole).
    void setMarker(int column, std::function<QString(const RecordSet &rs, int record)> note);
    /// Reads the record set again (after it was reopened or a row was deleted).
    bool refresh();

    /// The record-set row of a model row.
    int recordOf(int modelRow) const;

    /// Text of a stored value as the desktop shows it: dates in the short date form, times in
    /// the long time form, numbers without trailing zeros, Null as the empty text.
    static QString displayText(const QVariant &value);

    /// DisplayRole: the text; Qt::UserRole: the stored value (a QDate, a QTime ...), so a
    /// date can be handed on without reading the shown text back.
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    QVariant value(int modelRow, int column) const;

    const RecordSet *m_rs;
    QList<ModelColumn> m_columns; // empty: every field
    std::function<bool(const RecordSet &, int)> m_keep;
    std::vector<int> m_rows;      // record-set rows shown, when filtered
    int m_markColumn = -1;
    std::function<QString(const RecordSet &, int)> m_note;
};

} // namespace zarvo
