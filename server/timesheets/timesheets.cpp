#include "timesheets.h"
#include "serverlayout.h"
#include "changelog.h"
#include "addtime.h"
#include "clock.h"
#include "dialogs.h"
#include "module1.h"
#include "recordsetmodel.h"
#include "timesheetshared.h"
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include "uiutil.h"
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

using namespace zarvo;

namespace {
using ServerLayout::TimeSlots;
const char *const kSlotHeaders[] = {"IN 1", "OUT 1", "IN 2", "OUT 2", "IN 3", "OUT 3"};
constexpr int kDateColumn = 6;

QTreeView *reportList(const QString &name, QAbstractItemModel *model, QWidget *parent)
{
    auto *list = new QTreeView(parent);
    list->setObjectName(name);
    list->setModel(model);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->header()->setSectionsMovable(false);
    return list;
}

QString employeeName(const RecordSet &rs, int record)
{
    const QStringList names = rs.fieldNames();
    auto text = [&](const char *field) {
        for (int f = 0; f < names.size(); ++f)
            if (names[f].compare(QLatin1String(field), Qt::CaseInsensitive) == 0)
                return RecordSetModel::displayText(rs.valueAt(record, f));
        return QString();
    };
    return text("emp_lname") + QStringLiteral(", ") + text("emp_fname") + QLatin1Char(' ') + text("emp_mname");
}
} // namespace

Timesheets::Timesheets(QWidget *parent) : ConsoleWindow(parent)
{
    setObjectName(QStringLiteral("Timesheets"));
    setWindowTitle(QStringLiteral("Employee Timesheets"));
    // The lists make use of any room they are given (the console's "Tile" may widen them).
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);

    m_empModel = new RecordSetModel(&m_employees, this);
    m_empModel->setColumns({{QStringLiteral("Employee ID"), QStringLiteral("emp_id"), {}},
                            {QStringLiteral("Name"), QString(), employeeName}});
    m_timeModel = new RecordSetModel(&m_times, this);
    QList<RecordSetModel::ModelColumn> timeColumns;
    for (int i = 0; i < 6; ++i)
        timeColumns.append({QString::fromLatin1(kSlotHeaders[i]), QString::fromLatin1(TimeSlots[i]), {}});
    timeColumns.append({QStringLiteral("DATE"), QStringLiteral("rsdate"), {}});
    m_timeModel->setColumns(timeColumns);

    auto *filter = new QGroupBox(QStringLiteral("Filter Criteria"), this);
    filter->setObjectName(QStringLiteral("Frame1"));
    m_from = Timesheet::datePicker(QStringLiteral("DTPicker1"), filter);
    m_to = Timesheet::datePicker(QStringLiteral("DTPicker2"), filter);
    auto *fromLabel = new QLabel(QStringLiteral("From"), filter);
    fromLabel->setObjectName(QStringLiteral("Label1"));
    auto *toLabel = new QLabel(QStringLiteral("To"), filter);
    toLabel->setObjectName(QStringLiteral("Label2"));
    auto *filterGrid = new QGridLayout(filter);
    filterGrid->addWidget(fromLabel, 0, 0);
    filterGrid->addWidget(m_from, 0, 1);
    filterGrid->addWidget(toLabel, 1, 0);
    filterGrid->addWidget(m_to, 1, 1);
    filterGrid->setColumnStretch(1, 1);

    m_empList = reportList(QStringLiteral("EmpList"), m_empModel, this);
    m_empList->header()->setSectionResizeMode(QHeaderView::Interactive);
    m_empList->setColumnWidth(0, 100);

    auto *sheets = new QGroupBox(QStringLiteral("Timesheets"), this);
    sheets->setObjectName(QStringLiteral("Frame2"));
    m_timeList = reportList(QStringLiteral("TimeList"), m_timeModel, sheets);
    m_timeList->header()->setStretchLastSection(false);
    m_timeList->header()->setSectionResizeMode(QHeaderView::Stretch);
    // The day's column grows to its text, so a row's changed-by-hand mark never cuts the date short.
    m_timeList->header()->setSectionResizeMode(kDateColumn, QHeaderView::ResizeToContents);
    m_timeList->header()->setMinimumSectionSize(72);
    auto *sheetsBox = new QVBoxLayout(sheets);
    sheetsBox->addWidget(m_timeList);

    m_add = zarvo::makeButton(this, "PushButton1", QStringLiteral("Add"));
    m_edit = zarvo::makeButton(this, "PushButton2", QStringLiteral("Edit"));
    m_delete = zarvo::makeButton(this, "PushButton3", QStringLiteral("Delete"));
    m_close = zarvo::makeButton(this, "PushButton4", QStringLiteral("Close"));
    // "Add" would open the editor without a row to start on; nothing here enables it.
    for (QPushButton *b : {m_add, m_edit, m_delete})
        b->setEnabled(false);

    auto *left = new QVBoxLayout;
    left->addWidget(filter);
    left->addWidget(m_empList, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton *b : {m_add, m_edit, m_delete, m_close})
        buttons->addWidget(b);
    auto *right = new QVBoxLayout;
    right->addWidget(sheets, 1);
    right->addLayout(buttons);
    auto *root = new QHBoxLayout(this);
    root->addLayout(left, 2);
    root->addLayout(right, 5);

    // A click anywhere in a list counts, as it did on the desktop's list views (and Enter on
    // an employee does the same as a click).
    m_empList->viewport()->installEventFilter(this);
    m_timeList->viewport()->installEventFilter(this);
    m_empList->installEventFilter(this);
    // Choosing a row with the keys counts as the click too (a mouse press waits for its release).
    auto byKeyboard = [](QTreeView *list) {
        return list->hasFocus() && QGuiApplication::mouseButtons() == Qt::NoButton && selectedRow(list) >= 0;
    };
    connect(m_empList->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this, byKeyboard] {
        if (byKeyboard(m_empList))
            employeeChosen();
    });
    connect(m_timeList->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this, byKeyboard] {
        if (byKeyboard(m_timeList))
            timeListClicked();
    });
    setFocusConsoleOnClose(true);
    connect(m_add, &QPushButton::clicked, this, [] { ShowInsideConsole<AddTime>(); });
    connect(m_edit, &QPushButton::clicked, this, &Timesheets::editClicked);
    connect(m_delete, &QPushButton::clicked, this, &Timesheets::deleteClicked);
    connect(m_close, &QPushButton::clicked, this, &ConsoleWindow::closeWindow);
}

Timesheets::~Timesheets() = default;

bool Timesheets::load()
{
    if (!openRecordSetChecked(m_employees, QStringLiteral("Select * from Employee"), this))
        return false;
    if (!m_employees.isOpen())
        return true; // the store's failure is told; the window stays, empty
    const QDate today = Clock::now().date();
    m_from->setDate(today);
    m_to->setDate(today);
    // Every row is read once here, so a row that cannot be read is reported now.
    m_empModel->setRowFilter([](const RecordSet &rs, int record) {
        rs.valueAt(record, 0);
        return true;
    });
    if (!m_empModel->refresh() || m_employees.recordCount() == 0)
        Dialogs::message(this, QStringLiteral("No Record to Filter...") + QStringLiteral("\r\r") +
                                   QStringLiteral("Please Add an Employee to Continue"),
                         QStringLiteral("Error! Filtering Database"), BoxIcon::Information);
    m_empList->resizeColumnToContents(0);
    return true;
}

int Timesheets::selectedRow(const QTreeView *list)
{
    const QModelIndexList rows = list->selectionModel()->selectedRows();
    return rows.size() == 1 ? rows.first().row() : -1;
}

MessageBox Timesheets::listingFailedBox()
{
    return {QStringLiteral("Unable to Browse Employee Timesheets") + QStringLiteral("\r\r") +
                QStringLiteral("Please Add a Time-In/Time-Out..."),
            QStringLiteral("Timesheet Error!"), BoxIcon::Information};
}

void Timesheets::listingFailed()
{
    const MessageBox box = listingFailedBox();
    Dialogs::message(this, box.text, box.title, box.icon);
}

void Timesheets::employeeChosen()
{
    m_times.close();
    m_timeModel->refresh();
    m_listedId.clear();
    const int row = selectedRow(m_empList);
    if (row < 0)
        return listingFailed();
    const QDate from = m_from->date();
    const QDate to = m_to->date();
    const QString id = m_empModel->index(row, 0).data(Qt::UserRole).toString();
    if (!openRecordSetChecked(m_times,
                              QStringLiteral("Select * from timesheet where emp_id = ? and rsdate >= ? and rsdate <= ?"),
                              this, {id, from, to}, listingFailedBox())) {
        closeWindow();
        return;
    }
    if (!m_times.isOpen())
        return; // the listing failed (and said so); the window stays
    m_listedId = id;
    // Rows changed by hand carry a mark beside their day (the log is only read: a log that
    // cannot be read leaves the rows unmarked).
    QSet<qint64> byHand;
    try {
        byHand = ChangeLog::handChangedTimesheetRows(Module1::instance().db, id, from, to);
    } catch (const DbError &) {
    }
    m_timeModel->setMarker(kDateColumn, [byHand](const RecordSet &rs, int record) {
        return byHand.contains(rs.bookmarkAt(record)) ? QStringLiteral("Changed by hand") : QString();
    });
    // The select ignores letter case; only the employee's own rows, exactly, are listed.
    const int idField = int(m_times.fieldNames().indexOf(QStringLiteral("emp_id")));
    const int dateField = int(m_times.fieldNames().indexOf(QStringLiteral("rsdate")));
    m_timeModel->setRowFilter([=](const RecordSet &rs, int record) {
        const QVariant empId = rs.valueAt(record, idField);
        const QDate day = rs.valueAt(record, dateField).toDate();
        return empId.isValid() && empId.toString() == id && day.isValid() && from <= day && day <= to;
    });
    if (idField < 0 || dateField < 0 || !m_timeModel->refresh())
        listingFailed();
}

void Timesheets::timeListClicked()
{
    m_edit->setEnabled(true);
    m_delete->setEnabled(true);
}

void Timesheets::editClicked()
{
    const int row = selectedRow(m_timeList);
    if (selectedRow(m_empList) < 0 || row < 0 || m_listedId.isNull())
        return;
    Module1 &m = Module1::instance();
    const QModelIndex date = m_timeModel->index(row, kDateColumn);
    m.SelectedEmpID = m_listedId;
    m.SelectedDate = date.data().toString();
    m.SelectedDay = date.data(Qt::UserRole).toDate();
    ShowInsideConsole<AddTime>();
}

void Timesheets::deleteClicked()
{
    const int row = selectedRow(m_timeList);
    if (selectedRow(m_empList) < 0 || row < 0 || m_listedId.isNull())
        return;
    if (Dialogs::message(this, QStringLiteral("Are You Sure to Delete This Time Record"),
                         QStringLiteral("Warning! Deletion in Progress"), BoxIcon::None,
                         BoxButtons::YesNo) != BoxAnswer::Yes)
        return;
    // The chosen item's own row goes, not merely the first row of that employee and day.
    const int record = m_timeModel->recordOf(row);
    const QDate day = m_timeModel->index(row, kDateColumn).data(Qt::UserRole).toDate();
    try {
        m_times.setPosition(record);
        if (!Timesheet::rowIs(m_times, m_listedId, day))
            return;
        ChangeLog::HandChange logged(Module1::instance().db, objectName(), m_times, ChangeLog::Action::Delete);
        m_times.remove();
        logged.commit();
        m_times.setPosition(-1); // leaves the deleted row, which drops it from the set
    } catch (const DbError &e) {
        Dialogs::message(this, QStringLiteral("The time record could not be deleted: %1").arg(e.message()),
                         QStringLiteral("Delete Failed"), BoxIcon::Exclamation);
    }
    m_timeModel->refresh();
}

bool Timesheets::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        if (watched == m_empList->viewport())
            employeeChosen();
        else if (watched == m_timeList->viewport())
            timeListClicked();
    } else if (event->type() == QEvent::KeyPress && watched == m_empList) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            employeeChosen();
    }
    return ConsoleWindow::eventFilter(watched, event);
}
