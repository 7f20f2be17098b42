#include "gui/mainwindow/focus_rules.h"

namespace talsk {

int fieldAfter(int a) {
    return a >= kFocusPhone ? kFocusComment : a + 1;
}

int fieldBefore(int a) {
    return a <= kFocusComment ? kFocusPhone : a - 1;
}

int fieldBelow(int a, PanelOrientation o) {
    // Street, house and apartment share a row when horizontal; house and
    // apartment when vertical.
    if (o == PanelOrientation::Horizontal && a == kFocusStreet) return kFocusOrganization;
    if (o == PanelOrientation::Vertical && a == kFocusHouse) return kFocusOrganization;
    return fieldAfter(a);
}

int fieldAbove(int a, PanelOrientation o) {
    if (a == kFocusOrganization)
        return o == PanelOrientation::Horizontal ? kFocusStreet : kFocusHouse;
    return fieldBefore(a);
}

int focusCycleTarget(bool resultsHaveFocus, int searchFocus) {
    if (resultsHaveFocus) return kFocusPhone;
    if (searchFocus != kFocusGeneral) return kFocusGeneral;
    return -1;
}

FocusSchedule scheduleOnFocus(int searchFocus, int v, bool dirty) {
    if (searchFocus < 0) return FocusSchedule::None;
    if (v != kFocusGeneral && (searchFocus == kFocusGeneral || dirty))
        return FocusSchedule::FieldPanel;
    if (v == kFocusGeneral && (searchFocus != kFocusGeneral || dirty))
        return FocusSchedule::GeneralBar;
    return FocusSchedule::None;
}

} // namespace talsk
