#pragma once
// The time record editor: walks the whole timesheet table row by row, corrects a row's six
// punches, appends rows and deletes them.

#include "consolewindow.h"
#include "database.h"

class QDateEdit;
class QLineEdit;
class QPushButton;
class SlotPicker;

/// Window "Add/Edit/Delete Timesheet": time pickers `In1` `Out1` `In2` `Out2` `In3` `Out3`,
/// text box `EmpID`, date picker `rDate`, buttons `New`, `Save`, `Prev` "Previous", `Neks`
/// "Next", `Srch` "Search"/"Fetch", `edit` "Edit"/"Update", `cancel` "Delete". Opens on the row
/// handed over in Module1::SelectedEmpID and Module1::SelectedDay.
class AddTime : public ConsoleWindow {
    Q_OBJECT
public:
    explicit AddTime(QWidget *parent = nullptr);
    ~AddTime() override;

    bool load() override;
    QSize sizeHint() const override { return {470, 330}; }

    bool editing() const { return m_editing; }
    bool searching() const { return m_searching; }
    const zarvo::RecordSet &records() const { return m_rs; }

private:
    void previousClicked();
    void nextClicked();
    void newClicked();
    void saveClicked();
    void editClicked();
    void deleteClicked();
    void searchClicked();

    /// Shows the current row in the seven pickers and the ID box.
    void showRow();
    /// The six time pickers from the current row, a missing time blank.
    void showTimes();
    /// Assigns the pickers and the ID box to the current (or new) row; update() writes them.
    void assignFields();
    /// After a write: the times as stored, no picker edited any more.
    void showWritten();
    void setPickersEnabled(bool enabled);

    zarvo::RecordSet m_rs;
    SlotPicker *m_times[6] = {};
    QLineEdit *m_empId = nullptr;
    QDateEdit *m_date = nullptr;
    QPushButton *m_new = nullptr;
    QPushButton *m_save = nullptr;
    QPushButton *m_prev = nullptr;
    QPushButton *m_next = nullptr;
    QPushButton *m_search = nullptr;
    QPushButton *m_edit = nullptr;
    QPushButton *m_delete = nullptr;
    bool m_editing = false;
    bool m_searching = false;
};
