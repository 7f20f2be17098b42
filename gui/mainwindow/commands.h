#pragma once
// Every command of the main window as data: its id, where it stands in the
// menu, its keys and the accelerator table they belong to, its tool tip, its
// status-bar prompt, when it is enabled and checked, and what the main window
// does. Menus, toolbar, accelerators, tool tips, the update of the items and
// the dispatch are all built from this one table.

#include "gui/mainwindow/command_rules.h"

#include <string_view>
#include <vector>

namespace talsk {
class CMainFrame;
} // namespace talsk

namespace talsk::cmd {

// Command ids, shared by menu items, keys, toolbar and picture buttons.
enum : int {
    Help = 9,
    ReloadFiles = 106,
    FieldSearchNow = 105,
    NextField = 109,
    PreviousField = 110,
    GeneralSearchNow = 113,
    RunActiveSearch = 1000,
    ClearFieldsButton = 1011,
    AddToBase = 30010,
    LogBack = 30034,
    Minimize = 32771,
    FileInfo = 32779,
    EditRecords = 32780,
    SearchLogDialog = 32782,
    LogForward = 32784,
    SortName = 32787,
    SortAddress = 32788,
    SortOrganization = 32789,
    SortPhone = 32790,
    ClearTable = 32796,
    FieldSearchMenu = 32801,
    GeneralBar = 32802,
    CaseSensitive = 32804,
    ChangeKey = 32805,
    SaveToDbf = 32806,
    ConnectFiles = 32807,
    RestoreSettings = 32809,
    SaveSettings = 32810,
    RemoveFromList = 32811,
    Settings = 32812,
    GridLines = 32813,
    AlwaysOnTop = 32815,
    SortComment = 32816,
    ChangeVersion = 32817,
    ImportDbf = 32822,
    MergeFiles = 32823,
    EditRecord = 32824,
    DeleteFromFile = 32825,
    PanelEscape = 32826,
    GeneralSearchMenu = 32827,
    ToolBar = 32828,
    SearchAreaBar = 32829,
    FieldPanel = 32830,
    FocusCycle = 32831,
    SelectAll = 32833,
    InvertSelection = 32834,
    ClearSelection = 32835,
    ShowAllRecords = 32836,
    ClearAll = 32837,
    CopyRows = 32840,
    CopyPhone = 32841,
    SaveList = 32842,
    PrintList = 32843,
    YoAsYe = 32844,
    Undo = 57643,
    About = 57664,
    Exit = 57665,
    HelpKey = 57670,
};

// Accelerator tables: the main window's, the results table's and the field
// search panel's. Keys of the last two work only while that window has the
// keyboard focus, and there they come first.
enum class KeyTable : int { Main = 128, Results = 188, FieldPanel = 189 };

struct Command {
    int id;
    // Popup path of the menu item, parts separated by '/'; empty: no menu item.
    std::string_view menu;
    std::string_view text; // menu text
    // Keys in Qt's portable form, separated by ';'.
    std::string_view keys;
    KeyTable table;
    // What the menu shows after the text when it is not the keys themselves.
    std::string_view keyLabel;
    std::string_view toolTip;
    std::string_view prompt; // status bar pane 0 while the item is highlighted
    bool checkable;
    CommandRule state; // enabled and checked, from what the window shows
    // What the main window does, given what it shows; none: the command runs
    // in another window (the results table's rows) or has no handler.
    void (*run)(CMainFrame& frame, const FrameFlags& shown) = nullptr;
};

const std::vector<Command>& commandTable();
const Command* findCommand(int id);
// The keys of a command split at ';'.
std::vector<std::string_view> commandKeys(const Command& c);
// Popups of the menu bar, in their order.
const std::vector<std::string_view>& menuPopups();

// The toolbar's buttons: id 0 is a separator.
struct ToolButton {
    int id;
    std::string_view text;
    std::string_view icon; // resource path
};
const std::vector<ToolButton>& toolbarButtons();

// Pane 0 while no item is highlighted: a single blank.
constexpr std::string_view kIdlePrompt = " ";

} // namespace talsk::cmd
