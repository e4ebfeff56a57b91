#pragma once
// The employee table: every employee in a read-only grid, walked with "Previous" and "Next".

#include "consolewindow.h"
#include "database.h"
#include "recordsetmodel.h"

class QPushButton;
class QTableView;

/// Window "Employee Table": grid `DataGrid1`, buttons `PushButton1` "Previous",
/// `PushButton2` "Next", `PushButton3` "Close". The grid's selected row and the record set's
/// current row are one.
class EmpTable : public ConsoleWindow {
    Q_OBJECT
public:
    explicit EmpTable(QWidget *parent = nullptr);
    ~EmpTable() override;

    bool load() override;
    /// Wide enough for every column once they are sized at load (Cascade keeps to it).
    QSize sizeHint() const override { return {m_columnsWidth > 0 ? m_columnsWidth : 900, 420}; }
    /// The grid's select, joined from its five pieces.
    static QString selectText();
    const zarvo::RecordSet &records() const { return m_rs; }

private:
    void previousClicked();
    void nextClicked();
    void showPosition();
    void openWideEnoughFor(int columns);

    zarvo::RecordSet m_rs;
    zarvo::RecordSetModel *m_model = nullptr;
    QTableView *m_grid = nullptr;
    QPushButton *m_previous = nullptr;
    QPushButton *m_next = nullptr;
    QPushButton *m_close = nullptr;
    bool m_syncing = false;
    int m_columnsWidth = 0;
};
