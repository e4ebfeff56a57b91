#pragma once
// The employee editor: adds employees to table Employee and rewrites the one it was opened on.

#include "consolewindow.h"
#include "database.h"
#include <QHash>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

/// Window "Employee Form/Records".
///
/// Controls carry the names of the fields they edit (`emp_id`, `emp_lname`, ..., `zip1`, `SSS`,
/// `Job_Description`, `reg_wage`, `ot_wage`, `date_hired`, `cur_stat`, `Notes`) inside the tab
/// control `TabControl1`. The buttons, left to right: `PushButton1` "Add New", `PushButton2`
/// "Save", `PushButton3` "Edit"/"Update", `PushButton4` "Search", `PushButton5` "Close".
///
/// The load step reads and clears Module1::SelectedEmpID and shows the first employee whose ID
/// equals it exactly; closing the window by any means clears SelectedEmpID.
class Employee : public ConsoleWindow {
    Q_OBJECT
public:
    explicit Employee(QWidget *parent = nullptr);
    ~Employee() override;

    bool load() override;
    QSize sizeHint() const override { return {640, 430}; }
    /// Enables "Edit" (the employee search does it after uploading a record).
    void enableEdit();
    /// Makes every entry field read-only (true) or editable again (false).
    void LockFields(bool lock);
    /// True between "Edit" and "Update".
    bool isEditing() const { return m_editing; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    enum class WriteMode { Save, Update };

    void addNewClicked();
    void saveClicked();
    void editClicked();
    void searchClicked();

    void buildPersonalTab(QWidget *page);
    void buildJobTab(QWidget *page);
    void buildOtherTab(QWidget *page);
    QLineEdit *line(const QString &name);
    void fillFromRow();
    void clearFields(const QString &wageText);
    bool wagesAreNumbers();
    bool idTakenByAnother(const QString &id, const QString &ownId);
    bool writeRow(WriteMode mode);

    zarvo::RecordSet m_rs;
    bool m_editing = false;
    /// True while the boxes show the row the record set stands on, so "Update" may rewrite it.
    bool m_showsRow = false;
    /// True when "Save" emptied the fields (the reason "Update" is then refused).
    bool m_clearedBySave = false;
    /// True when "Add New" emptied the fields while the record set stood on a row.
    bool m_clearedByAddNew = false;

    QTabWidget *m_tabs = nullptr;
    QHash<QString, QLineEdit *> m_lines; ///< text boxes by control name
    QComboBox *m_sex = nullptr;
    QDateEdit *m_dob = nullptr;
    QDateEdit *m_hired = nullptr;
    QCheckBox *m_status = nullptr;
    QPlainTextEdit *m_job = nullptr;
    QPlainTextEdit *m_notes = nullptr;
    QPushButton *m_addNew = nullptr;
    QPushButton *m_save = nullptr;
    QPushButton *m_edit = nullptr;
    QPushButton *m_search = nullptr;
    QPushButton *m_close = nullptr;
};
