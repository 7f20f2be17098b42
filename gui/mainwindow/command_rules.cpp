#include "gui/mainwindow/command_rules.h"

#include "gui/mainwindow/commands.h"

namespace talsk {

CommandState commandState(int id, const FrameFlags& f) {
    CommandState s;
    switch (id) {
    // The panel's own commands, reachable from the menu only while it shows.
    case cmd::AddToBase:
    case cmd::FieldSearchMenu:
    case cmd::SearchLogDialog:
    case cmd::LogForward:
    case cmd::LogBack:
        s.enabled = f.fieldPanelVisible;
        break;
    case cmd::GeneralSearchMenu:
        s.enabled = f.generalBarVisible;
        break;
    case cmd::GeneralBar:
        s.checked = f.generalBarVisible;
        break;
    case cmd::FieldPanel:
        s.checked = f.fieldPanelVisible;
        break;
    case cmd::ToolBar:
        s.checked = f.toolBarVisible;
        break;
    case cmd::SearchAreaBar:
        s.checked = f.searchAreaBarVisible;
        break;
    case cmd::AlwaysOnTop:
        s.checked = f.alwaysOnTop;
        break;
    case cmd::CaseSensitive:
        s.checked = f.caseSensitive;
        break;
    case cmd::YoAsYe:
        s.checked = f.yoAsYe;
        break;
    case cmd::GridLines:
        s.checked = f.gridLines;
        break;
    default:
        break;
    }
    return s;
}

} // namespace talsk
