#pragma once
// When a command of the main window is enabled and when it is checked, from
// what the window shows at the moment. Each row of the command table names
// one of these rules.

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

// A command's update rule.
using CommandRule = CommandState (*)(const FrameFlags& shown);

namespace rule {

// No state governs the command: enabled, unchecked.
CommandState always(const FrameFlags&);
// The field panel's own commands, reachable from the menu only while it shows;
// the general search likewise with its bar.
CommandState whileFieldPanel(const FrameFlags& f);
CommandState whileGeneralBar(const FrameFlags& f);
// Checked while the bar, option or mode is on.
CommandState generalBarShown(const FrameFlags& f);
CommandState fieldPanelShown(const FrameFlags& f);
CommandState toolBarShown(const FrameFlags& f);
CommandState searchAreaBarShown(const FrameFlags& f);
CommandState alwaysOnTop(const FrameFlags& f);
CommandState caseSensitive(const FrameFlags& f);
CommandState yoAsYe(const FrameFlags& f);
CommandState gridLines(const FrameFlags& f);

} // namespace rule

} // namespace talsk
