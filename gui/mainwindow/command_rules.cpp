#include "gui/mainwindow/command_rules.h"

namespace talsk::rule {

namespace {

CommandState enabledIf(bool on) {
    return {on, false};
}

CommandState checkedIf(bool on) {
    return {true, on};
}

} // namespace

CommandState always(const FrameFlags&) {
    return {};
}

CommandState whileFieldPanel(const FrameFlags& f) {
    return enabledIf(f.fieldPanelVisible);
}

CommandState whileGeneralBar(const FrameFlags& f) {
    return enabledIf(f.generalBarVisible);
}

CommandState generalBarShown(const FrameFlags& f) {
    return checkedIf(f.generalBarVisible);
}

CommandState fieldPanelShown(const FrameFlags& f) {
    return checkedIf(f.fieldPanelVisible);
}

CommandState toolBarShown(const FrameFlags& f) {
    return checkedIf(f.toolBarVisible);
}

CommandState searchAreaBarShown(const FrameFlags& f) {
    return checkedIf(f.searchAreaBarVisible);
}

CommandState alwaysOnTop(const FrameFlags& f) {
    return checkedIf(f.alwaysOnTop);
}

CommandState caseSensitive(const FrameFlags& f) {
    return checkedIf(f.caseSensitive);
}

CommandState yoAsYe(const FrameFlags& f) {
    return checkedIf(f.yoAsYe);
}

CommandState gridLines(const FrameFlags& f) {
    return checkedIf(f.gridLines);
}

} // namespace talsk::rule
