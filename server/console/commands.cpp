#include "commands.h"

namespace ConsoleCommands {

const QList<Command> &all()
{
    // Own commands: tooltips equal captions.
    static const QList<Command> table = [] {
        QList<Command> t;
        auto own = [&t](int id, const char *name, const char *caption, const char *icon = "") {
            t.append({id, QString::fromLatin1(name), QString::fromLatin1(caption),
                      QString::fromLatin1(caption), {}, {}, QString::fromLatin1(icon)});
        };
        own(ID_HELP_BUTT, "ID_HELP_BUTT", "Help", "help");
        own(ID_LOGIN, "ID_LOGIN", "Log-In", "login");
        own(ID_TIMESHEETS, "ID_TIMESHEETS", "Time Sheets", "timesheets");
        own(ID_NEWEMPLOYEE, "ID_NEWEMPLOYEE", "New Employee", "employee");
        own(ID_CLOCK, "ID_CLOCK", "Clock", "clock");
        own(ID_LOCK, "ID_LOCK", "Lock", "lock");
        own(ID_ABOUTVELOPUNCHCLOCK, "ID_ABOUTVELOPUNCHCLOCK", "About Zarvo Punch Clock");
        own(ID_MANUAL, "ID_MANUAL", "Manual");
        own(ID_CHANGEADMINPASSWORD, "ID_CHANGEADMINPASSWORD", "Change Admin Password");
        own(ID_EXIT, "ID_EXIT", "Exit");
        own(ID_PAYROLLREPORTS, "ID_PAYROLLREPORTS", "Payroll Reports");
        own(ID_EMPLOYEETABLE, "ID_EMPLOYEETABLE", "Employee Table");
        own(ID_CHANGEEMPLOYEEID, "ID_CHANGEEMPLOYEEID", "Change Employee ID");
        own(ID_TERMINALS, "ID_TERMINALS", "Terminals");
        own(ID_COMPANYINFO, "ID_COMPANYINFO", "Company Info");
        own(ID_CHANGELOG, "ID_CHANGELOG", "Change Log");

        auto builtIn = [&t](int id, const char *name, const char *caption, const char *tip,
                            const char *status, const char *key) {
            t.append({id, QString::fromLatin1(name), QString::fromLatin1(caption),
                      QString::fromLatin1(tip), QString::fromLatin1(status),
                      QString::fromLatin1(key), {}});
        };
        builtIn(ID_EDIT_UNDO, "ID_EDIT_UNDO", "&Undo", "Undo", "Undo the last action", "Ctrl+Z");
        builtIn(ID_EDIT_CUT, "ID_EDIT_CUT", "Cu&t", "Cut",
                "Cut the selection and put it on the Clipboard", "Ctrl+X");
        builtIn(ID_EDIT_COPY, "ID_EDIT_COPY", "&Copy", "Copy",
                "Copy the selection and put it on the Clipboard", "Ctrl+C");
        builtIn(ID_EDIT_PASTE, "ID_EDIT_PASTE", "&Paste", "Paste", "Insert Clipboard contents", "Ctrl+V");
        builtIn(ID_VIEW_STATUS_BAR, "ID_VIEW_STATUS_BAR", "&Status Bar", "Toggle StatusBar",
                "Show or hide the status bar", "");
        builtIn(ID_WINDOW_CASCADE, "ID_WINDOW_CASCADE", "&Cascade", "Cascade Windows",
                "Arrange windows so they overlap", "");
        builtIn(ID_WINDOW_TILE_HORZ, "ID_WINDOW_TILE_HORZ", "&Tile", "Tile Windows",
                "Arrange windows as non-overlapping tiles", "");
        builtIn(ID_WINDOW_ARRANGE, "ID_WINDOW_ARRANGE", "&Arrange Icons", "Arrange Icons",
                "Arrange icons at the bottom of the window", "");
        return t;
    }();
    return table;
}

const Command *byId(int id)
{
    for (const Command &c : all())
        if (c.id == id)
            return &c;
    return nullptr;
}

bool needsUnlocked(int id)
{
    switch (id) {
    case ID_TIMESHEETS:
    case ID_NEWEMPLOYEE:
    case ID_CHANGEADMINPASSWORD:
    case ID_PAYROLLREPORTS:
    case ID_EMPLOYEETABLE:
    case ID_CHANGEEMPLOYEEID:
    case ID_COMPANYINFO:
    case ID_CHANGELOG:
        return true;
    default:
        return false;
    }
}

bool alwaysDisabled(int id)
{
    return id == ID_EDIT_UNDO || id == ID_EDIT_CUT || id == ID_EDIT_COPY || id == ID_EDIT_PASTE;
}

} // namespace ConsoleCommands
