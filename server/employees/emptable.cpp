#include "emptable.h"
#include "dialogs.h"
#include "module1.h"
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include "uiutil.h"
#include <QPushButton>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

using namespace zarvo;

EmpTable::EmpTable(QWidget *parent) : ConsoleWindow(parent)
{
    setObjectName(QStringLiteral("EmpTable"));
    setWindowTitle(QStringLiteral("Employee Table"));
    // A grid makes use of any room it is given (the console's "Tile" may widen it).
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);

    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("DataGrid1"));
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setAlternatingRowColors(true);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 8);
    m_model = new RecordSetModel(&m_rs, this);

    m_previous = zarvo::makeButton(this, "PushButton1", QStringLiteral("Previous"));
    m_next = zarvo::makeButton(this, "PushButton2", QStringLiteral("Next"));
    m_close = zarvo::makeButton(this, "PushButton3", QStringLiteral("Close"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_previous);
    buttons->addWidget(m_next);
    buttons->addWidget(m_close);
    auto *root = new QVBoxLayout(this);
    root->addWidget(m_grid, 1);
    root->addLayout(buttons);

    connect(m_previous, &QPushButton::clicked, this, &EmpTable::previousClicked);
    connect(m_next, &QPushButton::clicked, this, &EmpTable::nextClicked);
    connect(m_close, &QPushButton::clicked, this, &ConsoleWindow::closeWindow);
}

EmpTable::~EmpTable() = default;

QString EmpTable::selectText()
{
    return QStringLiteral("Select emp_id as [Employee ID], emp_lname as [Last Name], ") +
           QStringLiteral("emp_fname as [First Name], emp_mname as [Middle Name], emp_sex as Sex, ") +
           QStringLiteral("emp_dob as [Birth Date], emp_address as Address, emp_apt as Apartment, ") +
           QStringLiteral("city as City, emp_state as [State], Zip as Zip ") +
           QStringLiteral("from Employee ");
}

bool EmpTable::load()
{
    try {
        m_rs.open(Module1::instance().db, selectText());
    } catch (const DbError &) {
    }
    if (!Module1::instance().db.isOpen() || !m_rs.isOpen())
        Dialogs::message(this, QStringLiteral("Could not open database ..."));
    // Bind the grid (an empty one when nothing could be opened); the window stays open.
    m_grid->setModel(m_model);
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_grid->resizeColumnsToContents();
    int columns = 0;
    for (int c = 0; c < m_model->columnCount(); ++c) {
        m_grid->setColumnWidth(c, qMax(m_grid->columnWidth(c) + 16, 70));
        columns += m_grid->columnWidth(c);
    }
    m_grid->horizontalHeader()->setStretchLastSection(true);
    openWideEnoughFor(columns);
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (m_syncing || !current.isValid() || !m_rs.isOpen())
                    return;
                try {
                    m_rs.setPosition(current.row());
                } catch (const DbError &) {
                }
            });
    showPosition();
    return true;
}

void EmpTable::openWideEnoughFor(int columns)
{
    // Every column in view at opening, the last ones not hidden behind the scroll bar, as far
    // as the console's client area allows.
    const QMargins m = layout()->contentsMargins();
    const int gridWidth = columns + m_grid->verticalHeader()->sizeHint().width() +
                          2 * m_grid->frameWidth() +
                          style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_grid);
    m_columnsWidth = gridWidth + m.left() + m.right();
    updateGeometry();
    auto *frame = qobject_cast<QMdiSubWindow *>(parentWidget());
    if (!frame || !frame->mdiArea())
        return;
    const QMargins chrome = frame->contentsMargins(); // the frame's borders
    const int wanted = m_columnsWidth + chrome.left() + chrome.right();
    const int room = frame->mdiArea()->viewport()->width();
    if (wanted > frame->width())
        frame->resize(qMin(wanted, room), frame->height());
}

void EmpTable::showPosition()
{
    // Before the first or past the last row there is no current row to select.
    m_syncing = true;
    const int row = m_rs.position();
    if (m_rs.isOpen() && row >= 0 && row < m_rs.recordCount()) {
        const QModelIndex index = m_model->index(row, 0);
        m_grid->selectionModel()->setCurrentIndex(
            index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        m_grid->scrollTo(index);
    } else {
        m_grid->selectionModel()->clear();
    }
    m_syncing = false;
}

void EmpTable::previousClicked()
{
    try {
        if (!m_rs.bof())
            m_rs.movePrevious();
    } catch (const DbError &) {
    }
    showPosition();
    if (m_rs.bof())
        Dialogs::message(this, QStringLiteral("You're At The First Record"),
                         QStringLiteral("BOF Reached"), BoxIcon::Exclamation);
}

void EmpTable::nextClicked()
{
    try {
        if (!m_rs.eof())
            m_rs.moveNext();
    } catch (const DbError &) {
    }
    showPosition();
    if (m_rs.eof())
        Dialogs::message(this, QStringLiteral("You're At The Last Record"),
                         QStringLiteral("EOF Reached"), BoxIcon::Exclamation);
}
