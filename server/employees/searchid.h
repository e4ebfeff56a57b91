#pragma once
// The employee search: finds employees by exact ID or by last name, then uploads one into the
// employee editor or deletes it.

#include "consolewindow.h"
#include "database.h"

class QGroupBox;
class QLineEdit;
class QPushButton;
class QTreeWidget;

/// Window "Search Employee".
///
/// Groups `Frame1` "Employee ID" (`Srch_Emp_ID`, `PushButton1` "Search"), `Frame2` "Last Name"
/// (`Srch_LName`, `PushButton2` "Search") and `Frame3` "Result" (`ListView1`, `PushButton3`
/// "Upload this Record", `PushButton4` "Delete this Record", both picture buttons).
class SearchID : public ConsoleWindow {
    Q_OBJECT
public:
    explicit SearchID(QWidget *parent = nullptr);
    ~SearchID() override;

    bool load() override;
    QSize sizeHint() const override { return {640, 380}; }
    /// The rows the list was last filled from.
    const zarvo::RecordSet &records() const { return m_rs; }

private:
    void searchById();
    void searchByLastName();
    void search(QLineEdit *box, const QString &sql, bool upperCase);
    void fillList();
    void uploadClicked();
    void deleteClicked();

    zarvo::RecordSet m_rs;
    QLineEdit *m_idBox = nullptr;
    QLineEdit *m_nameBox = nullptr;
    QPushButton *m_idSearch = nullptr;
    QPushButton *m_nameSearch = nullptr;
    QPushButton *m_upload = nullptr;
    QPushButton *m_delete = nullptr;
    QTreeWidget *m_list = nullptr;
    QList<QGroupBox *> m_groups;
};
