#pragma once
// The console command table: every menu entry and toolbar button with its numeric id.

#include <QList>
#include <QString>

namespace ConsoleCommands {

enum Id {
    ID_HELP_BUTT = 1020,
    ID_LOGIN = 1022,
    ID_TIMESHEETS = 1023,
    ID_NEWEMPLOYEE = 1024,
    ID_CLOCK = 1026,
    ID_LOCK = 1027,
    ID_HELP = 1028,
    ID_ABOUTVELOPUNCHCLOCK = 1029,
    ID_MANUAL = 1030,
    ID_ADMINISTRATOR = 1031,
    ID_CHANGEADMINPASSWORD = 1033,
    ID_EXIT = 1034,
    ID_PAYROLLREPORTS = 1035,
    ID_EMPLOYEETABLE = 1036,
    ID_CHANGEEMPLOYEEID = 1037,
    ID_TERMINALS = 1038,
    ID_COMPANYINFO = 1039,
    ID_CHANGELOG = 1040,
    // Built-in commands of the menus
    ID_EDIT_UNDO = 57643,
    ID_EDIT_CUT = 57635,
    ID_EDIT_COPY = 57634,
    ID_EDIT_PASTE = 57637,
    XTP_ID_TOOLBARLIST = 59392,
    ID_VIEW_STATUS_BAR = 59393,
    ID_WINDOW_CASCADE = 57650,
    ID_WINDOW_TILE_HORZ = 57651,
    ID_WINDOW_ARRANGE = 57649,
    XTP_ID_WINDOWLIST = 35000,
};

/// One row of the table.
struct Command {
    int id;
    QString name;      ///< "ID_LOGIN": the objectName of its QAction
    QString caption;   ///< menu and toolbar text
    QString tooltip;
    QString statusTip; ///< the built-ins' descriptions
    QString shortcut;  ///< portable text, e.g. "Ctrl+Z"
    QString iconName;  ///< toolbar image (Artwork::icon), empty for none
};

/// Every command that gets a QAction, own commands first, then the built-ins.
const QList<Command> &all();
const Command *byId(int id);

/// True for the commands that need the unlocked console.
bool needsUnlocked(int id);
/// True for the built-ins that are never enabled.
bool alwaysDisabled(int id);

} // namespace ConsoleCommands
