#pragma once
// The company information window: the business's details and logo location, kept in the first
// row of table Company for the payroll reports' headers.

#include "consolewindow.h"
#include "database.h"

class QLabel;
class QLineEdit;
class QPushButton;

/// Window "Company Information".
///
/// Boxes `txtTitle`, `txtAddress`, `txtCity`, `txtState`, `txtCountry`, `txtZip`, `txtPhone`,
/// `txtPermit`, `txtLogo` in group `Frame1`; `PushButton1` "..." chooses the logo,
/// `PushButton2` "Ok" saves and closes; `Image1` previews the logo; `lblDate` shows today as
/// "MMM-dd-yyyy".
class Company : public ConsoleWindow {
    Q_OBJECT
public:
    explicit Company(QWidget *parent = nullptr);
    ~Company() override;

    bool load() override;
    QSize sizeHint() const override { return {640, 420}; }
    /// Today's date as the window shows it ("Jan-07-2009"), whatever the locale.
    static QString dateText(const QDate &date);

private:
    void browseClicked();
    void okClicked();
    /// Shows the picture at `path` in the preview; false (preview untouched) when unreadable.
    bool showPicture(const QString &path);

    zarvo::RecordSet m_rs;
    /// The open-file dialog's file name: empty until a file is chosen in this window.
    QString m_dialogFile;
    QLabel *m_date = nullptr;
    QLabel *m_image = nullptr;
    QLineEdit *m_title = nullptr;
    QLineEdit *m_address = nullptr;
    QLineEdit *m_city = nullptr;
    QLineEdit *m_state = nullptr;
    QLineEdit *m_country = nullptr;
    QLineEdit *m_zip = nullptr;
    QLineEdit *m_phone = nullptr;
    QLineEdit *m_permit = nullptr;
    QLineEdit *m_logo = nullptr;
    QPushButton *m_browse = nullptr;
    QPushButton *m_ok = nullptr;
};
