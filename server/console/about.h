#pragma once
// The About window: the product, its maker and a link to the maker's web page.

#include "consolewindow.h"

class QGroupBox;
class QLabel;
class QPushButton;

/// "About Zarvo Punch Clock System".
class About : public ConsoleWindow {
    Q_OBJECT
public:
    explicit About(QWidget *parent = nullptr);
    bool load() override;

    /// The maker's web address, shown in Label6 and opened by a click on it.
    static QString makerAddress();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLabel *m_link;
    QGroupBox *m_closeFrame;
    QPushButton *m_close;
};
