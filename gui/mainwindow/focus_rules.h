#pragma once
// Where the keyboard focus goes among the search inputs. Inputs are numbered
// as SearchFocus: 0 the general search text, 1 comment, 2 surname, 3 street,
// 4 house, 5 apartment, 6 organization, 7 telephone.

namespace talsk {

constexpr int kFocusGeneral = 0;
constexpr int kFocusComment = 1;
constexpr int kFocusSurname = 2;
constexpr int kFocusStreet = 3;
constexpr int kFocusHouse = 4;
constexpr int kFocusApartment = 5;
constexpr int kFocusOrganization = 6;
constexpr int kFocusPhone = 7;

enum class PanelOrientation { Horizontal, Vertical };

// Down and Up in the field search panel: the order of the rows as laid out.
int fieldBelow(int focus, PanelOrientation o);
int fieldAbove(int focus, PanelOrientation o);
// Right at the end of a text, Left at its start: plain numbering.
int fieldAfter(int focus);
int fieldBefore(int focus);

// Ctrl+Tab: the input that takes the focus next; -1 means the results table.
int focusCycleTarget(bool resultsHaveFocus, int searchFocus);

// Which bar schedules its search when input v receives the focus.
enum class FocusSchedule { None, FieldPanel, GeneralBar };
FocusSchedule scheduleOnFocus(int searchFocus, int v, bool dirty);

} // namespace talsk
