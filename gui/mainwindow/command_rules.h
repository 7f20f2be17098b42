#pragma once
// When a command of the main window is enabled and when it is checked, from
// what the window shows at the moment.

namespace talsk {

struct FrameFlags {
    bool generalBarVisible = true;
    bool fieldPanelVisible = true;
    bool toolBarVisible = true;
    bool searchAreaBarVisible = true;
    bool alwaysOnTop = false;
    bool caseSensitive = false;
    bool yoAsYe = false;
    bool gridLines = false;
};

struct CommandState {
    bool enabled = true;
    bool checked = false;
};

CommandState commandState(int id, const FrameFlags& flags);

} // namespace talsk
