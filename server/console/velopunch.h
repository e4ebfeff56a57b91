#pragma once
// The console: the server's main window, its command table, menus, toolbar and the
// administrator lock, with every other window living inside its client area.

#include <QHash>
#include <QMainWindow>
#include <QPixmap>

class MdiWindowHost;
class PunchServer;
class QAction;
class QMdiArea;
class QMenu;
class QToolBar;

/// The main window of ZarvoServer.
class VeloPunch : public QMainWindow {
    Q_OBJECT
public:
    explicit VeloPunch(QWidget *parent = nullptr);
    ~VeloPunch() override;

    /// The load step: locks the administrator commands and starts listening for terminals.
    /// Shows the listener's error and returns false when the punch port cannot be opened.
    bool load();

    /// The QAction of a command id (menu and toolbar share it), or nullptr.
    QAction *command(int id) const;
    /// Runs a command as if it had been invoked from the menu or toolbar.
    void invoke(int id);

    /// Shows help from the help-file setting: the topic `contextId`, or the index for 0.
    /// Any failure shows its description in a box (OK, the program's title).
    void ShowMeHelp(qint16 contextId);
    /// The help-file setting ShowMeHelp uses; the program configures none.
    void setHelpFile(const QString &path) { m_helpFile = path; }
    QString helpFile() const { return m_helpFile; }

    QMdiArea *mdiArea() const { return m_area; }
    QToolBar *standardBar() const { return m_toolBar; }
    MdiWindowHost *host() const { return m_host; }
    /// The punch server created by load() (nullptr before).
    PunchServer *punchServer() const { return m_server; }
    /// The entries of the live window list, in order.
    QList<QAction *> windowListActions() const { return m_windowList; }

signals:
    /// Emitted once the console has closed: the program ends with it.
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QAction *makeAction(int id);
    void buildMenus();
    void buildToolBar();
    void updateCommandStates();
    void refreshWindowList();
    void scheduleWindowListRefresh();
    void arrangeIcons();
    void notAvailableYet(const QString &window);

    QMdiArea *m_area;
    QPixmap m_background;
    MdiWindowHost *m_host;
    QToolBar *m_toolBar = nullptr;
    QMenu *m_windowMenu = nullptr;
    QAction *m_windowListSeparator = nullptr;
    QHash<int, QAction *> m_actions;
    QList<QAction *> m_windowList;
    PunchServer *m_server = nullptr;
    QString m_helpFile;
};
