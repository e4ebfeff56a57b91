#include "velopunch.h"
#include "about.h"
#include "adminpass.h"
#include "artwork.h"
#include "commands.h"
#include "changelogwindow.h"
#include "company.h"
#include "consolewindow.h"
#include "dialogs.h"
#include "employee.h"
#include "emptable.h"
#include "innerlayout.h"
#include "login.h"
#include "module1.h"
#include "payroll.h"
#include "operatornotices.h"
#include "punchserver.h"
#include "searchid.h"
#include "terminallist.h"
#include "terminalhealth.h"
#include "timesheets.h"
#include "clockwindow.h"
#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QResizeEvent>
#include <QShortcut>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <exception>

using namespace ConsoleCommands;
using zarvo::BoxIcon;
namespace Dialogs = zarvo::Dialogs;

VeloPunch::VeloPunch(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("VeloPunch"));
    setWindowTitle(QStringLiteral("Zarvo Punch Clock System "));
    setWindowIcon(zarvo::Artwork::appIcon());
    resize(1024, 768);

    m_area = new QMdiArea(this);
    m_area->setObjectName(QStringLiteral("MdiArea"));
    // Closing a window brings back the one used before it, as Ctrl+Tab goes to it first.
    m_area->setActivationOrder(QMdiArea::ActivationHistoryOrder);
    m_background = zarvo::Artwork::consoleBackground();
    m_area->setBackground(QBrush(m_background));
    m_area->viewport()->installEventFilter(this);
    setCentralWidget(m_area);
    m_host = new MdiWindowHost(m_area, this);
    setWindowHost(m_host);

    for (const Command &c : all())
        makeAction(c.id);
    buildMenus();
    buildToolBar();
    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    statusBar()->showMessage(QStringLiteral("Ready"));
    // A menu entry's description replaces "Ready" while the pointer is on it and leaves an
    // empty bar behind: "Ready" comes back whenever the bar would be left blank.
    connect(statusBar(), &QStatusBar::messageChanged, this, [this](const QString &message) {
        if (message.isEmpty())
            statusBar()->showMessage(QStringLiteral("Ready"));
    });

    // Keys for the toolbar's commands that no menu holds, and Alt+F4 for "Exit" also where no
    // window manager handles it. Kept off the commands themselves, which carry no keys.
    const std::pair<int, QKeySequence> keys[] = {
        {ID_LOGIN, QKeySequence(Qt::CTRL | Qt::Key_L)},
        {ID_LOCK, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L)},
        {ID_CLOCK, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C)},
        {ID_HELP_BUTT, QKeySequence(Qt::Key_F1)},
        {ID_EXIT, QKeySequence(Qt::ALT | Qt::Key_F4)}};
    for (const auto &[id, key] : keys) {
        auto *shortcut = new QShortcut(key, this);
        shortcut->setObjectName(command(id)->objectName() + QStringLiteral("_KEY"));
        connect(shortcut, &QShortcut::activated, this, [this, id] { invoke(id); });
    }

    connect(m_area, &QMdiArea::subWindowActivated, this, &VeloPunch::refreshWindowList);
    connect(&Module1::instance(), &Module1::adminLockedChanged, this, &VeloPunch::updateCommandStates);
    updateCommandStates();
}

VeloPunch::~VeloPunch()
{
    if (windowHost() == m_host)
        setWindowHost(nullptr);
    // The inner windows go first, while this object is whole: their closing signals would
    // otherwise reach a half-destroyed console.
    m_area->viewport()->removeEventFilter(this);
    m_area->disconnect(this);
    for (QMdiSubWindow *frame : m_area->subWindowList())
        frame->disconnect(this);
    delete m_area;
}

QAction *VeloPunch::makeAction(int id)
{
    const Command *c = byId(id);
    auto *a = new QAction(c->caption, this);
    a->setObjectName(c->name);
    a->setProperty("commandId", c->id);
    a->setToolTip(c->tooltip);
    if (!c->statusTip.isEmpty())
        a->setStatusTip(c->statusTip);
    if (!c->shortcut.isEmpty())
        a->setShortcut(QKeySequence(c->shortcut));
    if (!c->iconName.isEmpty())
        a->setIcon(zarvo::Artwork::icon(c->iconName));
    connect(a, &QAction::triggered, this, [this, id] { invoke(id); });
    m_actions.insert(id, a);
    return a;
}

QAction *VeloPunch::command(int id) const { return m_actions.value(id); }

void VeloPunch::buildMenus()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MenuBar"));
    bar->setWindowTitle(QStringLiteral("Menu Bar"));

    QMenu *file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("menuFile"));
    file->addAction(command(ID_COMPANYINFO));
    file->addAction(command(ID_TERMINALS));
    file->addSeparator();
    file->addAction(command(ID_TIMESHEETS));
    file->addAction(command(ID_CHANGEADMINPASSWORD));
    file->addSeparator();
    file->addAction(command(ID_EXIT));

    QMenu *edit = bar->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("menuEdit"));
    edit->addAction(command(ID_EDIT_UNDO));
    edit->addSeparator();
    edit->addAction(command(ID_EDIT_CUT));
    edit->addAction(command(ID_EDIT_COPY));
    edit->addAction(command(ID_EDIT_PASTE));

    QMenu *view = bar->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("menuView"));
    QMenu *toolbars = view->addMenu(QStringLiteral("Toolbars"));
    toolbars->setObjectName(QStringLiteral("menuToolbars"));
    toolbars->menuAction()->setObjectName(QStringLiteral("menuToolbarsAction"));
    view->addAction(command(ID_VIEW_STATUS_BAR));
    command(ID_VIEW_STATUS_BAR)->setCheckable(true);
    command(ID_VIEW_STATUS_BAR)->setChecked(true);

    auto *admin = new QMenu(QStringLiteral("Administrator"), bar);
    admin->setObjectName(QStringLiteral("menuAdministrator"));
    admin->menuAction()->setObjectName(QStringLiteral("ID_ADMINISTRATOR"));
    admin->menuAction()->setProperty("commandId", int(ID_ADMINISTRATOR));
    admin->menuAction()->setToolTip(QStringLiteral("Administrator"));
    bar->addMenu(admin);
    admin->addAction(command(ID_PAYROLLREPORTS));
    admin->addAction(command(ID_EMPLOYEETABLE));
    admin->addSeparator();
    admin->addAction(command(ID_NEWEMPLOYEE));
    admin->addSeparator();
    admin->addAction(command(ID_CHANGEEMPLOYEEID));
    admin->addSeparator();
    admin->addAction(command(ID_CHANGELOG));

    m_windowMenu = bar->addMenu(QStringLiteral("&Window"));
    m_windowMenu->setObjectName(QStringLiteral("menuWindow"));
    m_windowMenu->addAction(command(ID_WINDOW_CASCADE));
    m_windowMenu->addAction(command(ID_WINDOW_TILE_HORZ));
    m_windowMenu->addAction(command(ID_WINDOW_ARRANGE));
    m_windowListSeparator = m_windowMenu->addSeparator();
    connect(m_windowMenu, &QMenu::aboutToShow, this, &VeloPunch::refreshWindowList);

    auto *help = new QMenu(QStringLiteral("Help"), bar);
    help->setObjectName(QStringLiteral("menuHelp"));
    help->menuAction()->setObjectName(QStringLiteral("ID_HELP"));
    help->menuAction()->setProperty("commandId", int(ID_HELP));
    help->menuAction()->setToolTip(QStringLiteral("Help"));
    bar->addMenu(help);
    help->addAction(command(ID_MANUAL));
    help->addSeparator();
    help->addAction(command(ID_ABOUTVELOPUNCHCLOCK));
}

void VeloPunch::buildToolBar()
{
    m_toolBar = addToolBar(QStringLiteral("Standard"));
    m_toolBar->setObjectName(QStringLiteral("Standard"));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_toolBar->setIconSize(QSize(32, 32));
    for (int id : {ID_LOGIN, ID_NEWEMPLOYEE, ID_TIMESHEETS, ID_CLOCK, ID_LOCK, ID_HELP_BUTT})
        m_toolBar->addAction(command(id));

    // The "&Toolbars" list: one tick entry per bar, showing or hiding it.
    QAction *toggle = m_toolBar->toggleViewAction();
    toggle->setObjectName(QStringLiteral("XTP_ID_TOOLBARLIST"));
    toggle->setProperty("commandId", int(XTP_ID_TOOLBARLIST));
    toggle->setToolTip(QStringLiteral("Toggle ToolBar"));
    toggle->setStatusTip(QStringLiteral("Show or hide the toolbar"));
    findChild<QMenu *>(QStringLiteral("menuToolbars"))->addAction(toggle);
}

void VeloPunch::updateCommandStates()
{
    const bool locked = Module1::instance().adminLocked();
    for (auto it = m_actions.cbegin(); it != m_actions.cend(); ++it) {
        if (alwaysDisabled(it.key()))
            it.value()->setEnabled(false);
        else if (needsUnlocked(it.key()))
            it.value()->setEnabled(!locked);
    }
}

bool VeloPunch::load()
{
    Module1::instance().setAdminLocked(true);
    if (!m_server) {
        m_server = new PunchServer(this, Module1::instance().db);
        statusBar()->addPermanentWidget(new NotStoredIndicator(m_server->notices(), statusBar()));
        auto *terminals = new TerminalsIndicator(m_server->terminalRegistry(), statusBar());
        statusBar()->addPermanentWidget(terminals);
        // The same road as the "Terminals" command: table Terminal is rebuilt first.
        connect(terminals, &QToolButton::clicked, this, [this] { invoke(ID_TERMINALS); });
    }
    if (!m_server->listen()) {
        Dialogs::message(this, m_server->errorString());
        return false;
    }
    return true;
}

void VeloPunch::notAvailableYet(const QString &window)
{
    Dialogs::message(this, QStringLiteral("The ") + window + QStringLiteral(" window is not available yet."),
                     window, BoxIcon::Information);
}

void VeloPunch::invoke(int id)
{
    // A disabled command does nothing, whichever way it is reached.
    if (QAction *a = command(id); a && !a->isEnabled())
        return;
    try {
        switch (id) {
        case ID_HELP_BUTT:
            Dialogs::openWithDefaultHandler(Module1::programFolder() + QStringLiteral("/help.hlp"));
            break;
        case ID_MANUAL:
            Dialogs::openWithDefaultHandler(Module1::programFolder() + QStringLiteral("/help.doc"));
            break;
        case ID_LOGIN: ShowInsideConsole<LogIn>(); break;
        case ID_TIMESHEETS: ShowInsideConsole<Timesheets>(); break;
        case ID_PAYROLLREPORTS: ShowInsideConsole<Payroll>(); break;
        case ID_NEWEMPLOYEE: ShowInsideConsole<Employee>(); break;
        case ID_CLOCK: ShowInsideConsole<Clock>(); break;
        case ID_LOCK: Module1::instance().setAdminLocked(true); break;
        case ID_ABOUTVELOPUNCHCLOCK: ShowInsideConsole<About>(); break;
        case ID_CHANGEADMINPASSWORD: ShowInsideConsole<AdminPass>(); break;
        case ID_EXIT: close(); break;
        case ID_EMPLOYEETABLE: ShowInsideConsole<EmpTable>(); break;
        case ID_CHANGEEMPLOYEEID: ShowInsideConsole<SearchID>(); break;
        case ID_TERMINALS:
            if (m_server)
                RebuildTerminalList(this, Module1::instance().db, m_server->connectedTerminals());
            break;
        case ID_COMPANYINFO: ShowInsideConsole<Company>(); break;
        case ID_CHANGELOG: ShowInsideConsole<ChangeLogWindow>(); break;
        case ID_VIEW_STATUS_BAR: statusBar()->setVisible(command(id)->isChecked()); break;
        case ID_WINDOW_CASCADE: InnerLayout::cascade(m_area); break;
        case ID_WINDOW_TILE_HORZ: InnerLayout::tile(m_area); break;
        case ID_WINDOW_ARRANGE: arrangeIcons(); break;
        default: break; // menu titles and built-ins without an action of their own
        }
    } catch (const std::exception &e) {
        // No failure of a window's load may take the console down with it.
        Dialogs::message(this, QString::fromLocal8Bit(e.what()), {}, BoxIcon::Exclamation);
    }
}

void VeloPunch::ShowMeHelp(qint16 contextId)
{
    // The desktop's viewer opens the whole file; picking the topic (or the index, for 0) is
    // left to it, since a default handler takes no topic argument.
    Q_UNUSED(contextId)
    QString error;
    if (m_helpFile.isEmpty())
        error = QStringLiteral("No help file has been set.");
    else if (!QFileInfo(m_helpFile).isFile())
        error = QStringLiteral("The help file ") + m_helpFile + QStringLiteral(" cannot be found.");
    if (!error.isEmpty()) {
        Dialogs::message(this, error);
        return;
    }
    Dialogs::openWithDefaultHandler(m_helpFile);
}

void VeloPunch::arrangeIcons()
{
    // Minimised inner windows in a row along the bottom edge, left to right.
    int x = 0;
    const int bottom = m_area->viewport()->height();
    for (QMdiSubWindow *w : m_area->subWindowList()) {
        if (!w->isMinimized())
            continue;
        w->move(x, bottom - w->height());
        x += w->width();
    }
}

void VeloPunch::refreshWindowList()
{
    for (QAction *a : std::as_const(m_windowList)) {
        m_windowMenu->removeAction(a);
        a->deleteLater();
    }
    m_windowList.clear();
    QMdiSubWindow *active = m_area->activeSubWindow();
    int n = 0;
    for (QMdiSubWindow *frame : m_area->subWindowList()) {
        if (frame->isHidden() && !frame->isMinimized())
            continue; // closing
        connect(frame, &QObject::destroyed, this, &VeloPunch::scheduleWindowListRefresh,
                Qt::UniqueConnection);
        ++n;
        auto *a = new QAction(QStringLiteral("&%1 %2").arg(n).arg(frame->windowTitle()), m_windowMenu);
        a->setObjectName(QStringLiteral("XTP_ID_WINDOWLIST"));
        a->setProperty("commandId", int(XTP_ID_WINDOWLIST));
        // Only the active window carries a mark; the others show no empty box beside them.
        a->setCheckable(frame == active);
        a->setChecked(frame == active);
        QMdiSubWindow *target = frame;
        QMdiArea *area = m_area;
        connect(a, &QAction::triggered, frame, [area, target] {
            if (target->isMinimized())
                target->showNormal();
            area->setActiveSubWindow(target);
            target->raise();
        });
        m_windowMenu->addAction(a);
        m_windowList.append(a);
    }
}

void VeloPunch::scheduleWindowListRefresh()
{
    // A frame being destroyed may still be listed by the area: look again once it has gone.
    QTimer::singleShot(0, this, &VeloPunch::refreshWindowList);
}

bool VeloPunch::eventFilter(QObject *watched, QEvent *event)
{
    // The picture covers the whole client area at any size rather than tiling.
    if (watched == m_area->viewport() && event->type() == QEvent::Resize) {
        const QSize size = static_cast<QResizeEvent *>(event)->size();
        if (!size.isEmpty())
            m_area->setBackground(QBrush(m_background.scaled(size, Qt::KeepAspectRatioByExpanding,
                                                             Qt::SmoothTransformation)));
    }
    return QMainWindow::eventFilter(watched, event);
}

void VeloPunch::closeEvent(QCloseEvent *event)
{
    QMainWindow::closeEvent(event);
    if (event->isAccepted())
        emit closed();
}
