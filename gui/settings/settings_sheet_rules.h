#pragma once
// What the pages of "Настройки" show for a settings record and how their
// controls go back into it: the checks of the numeric edits with their
// refusals, the width total, the spin steps and the commit after OK. No
// widgets here, so every rule can be checked without a window.

#include "base/settings.h"
#include "search/search_log.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace talsk::sheet {

// The standard refusals of the numeric edits.
inline constexpr std::string_view kNotInteger = "Please enter an integer.";
inline constexpr std::string_view kNotNumber = "Please enter a number.";
// "Please enter an integer between lo and hi."
std::string integerRangeMessage(int lo, int hi);

// The whole text as a number, blanks around it allowed; nothing otherwise.
std::optional<long long> parseInteger(std::string_view text);
std::optional<float> parseNumber(std::string_view text);

// An up-down step on the text of its edit: the value moved by delta and kept
// within lo..hi (a text that is no number counts as lo).
std::string stepSpin(std::string_view text, int delta, int lo, int hi);

// A numeric edit and its spin.
struct NumericEdit {
    int control;
    int spin;
    int maxChars;
    int low, high;
};
inline constexpr NumericEdit kLogCapacityEdit{1049, 1077, 3, 10, 999};
inline constexpr NumericEdit kDelayEdit{1072, 1073, 4, 1, 9999};
inline constexpr std::array<NumericEdit, 5> kWidthEdits{{{1127, 1128, 2, 0, 99},
                                                         {1130, 1129, 2, 0, 99},
                                                         {1132, 1131, 2, 0, 99},
                                                         {1134, 1133, 2, 0, 99},
                                                         {1136, 1135, 2, 0, 99}}};

// A refused edit: its page (0..4 in tab order), control id and message.
struct Refusal {
    int page = 0;
    int control = 0;
    std::string message;
};

// "Общее".
struct GeneralPage {
    bool rememberWindowPosition = false, confirmExit = false, singleInstance = false,
         latinToCyrillic = false;
    std::string logCapacity;
    int startFocus = 0;
};
// "Поиск".
struct SearchPage {
    bool backgroundSearch = false;
    std::string delayMs;
    bool spacesSignificant = false;
};
// "Результаты поиска".
struct ResultsPage {
    std::array<std::string, 5> widthPercents;
    bool autoColumnWidths = false, notFoundMessage = false, notFoundClearTable = false,
         mouseTracking = false;
};
// "Редактирование".
struct EditPage {
    bool confirmSaveRecord = false, checkDuplicatePhone = false, askToSaveChanges = false,
         saveOnClose = false;
};
// "Подключаемые файлы"; the two messages are ticked while their "no ..." field is 0.
struct LoadedPage {
    bool autoRemoveMissing = false, autoKeyEntry = false, connectFolderFiles = false,
         loadErrorMessage = false, readOnlyMessage = false;
};

GeneralPage loadGeneral(const ProgramSettings& s);
SearchPage loadSearch(const ProgramSettings& s);
ResultsPage loadResults(const ProgramSettings& s);
EditPage loadEdit(const ProgramSettings& s);
LoadedPage loadLoaded(const ProgramSettings& s);

// Each store writes its page into s, or leaves s untouched and says why not.
std::optional<Refusal> storeGeneral(const GeneralPage& p, ProgramSettings& s);
std::optional<Refusal> storeSearch(const SearchPage& p, ProgramSettings& s);
std::optional<Refusal> storeResults(const ResultsPage& p, ProgramSettings& s);
void storeEdit(const EditPage& p, ProgramSettings& s);
void storeLoaded(const LoadedPage& p, ProgramSettings& s);

// A share as its percent edit shows it ("7", "12.5").
std::string percentText(float share);
// The total width line: "Общая длина\t-   " with the whole part of the five percents' sum
// and " %"; an edit that starts with no number adds nothing.
std::string totalWidthText(const std::array<std::string, 5>& percents);

// "Восстановить все настройки": defaults on the sheet's copy, connected files kept.
void restoreAll(ProgramSettings& copy);

// After OK: the copy, validated, replaces the window's record; the log takes a
// changed capacity. False when the log could not be resized.
bool commitCopy(ProgramSettings copy, ProgramSettings& target, SearchLog& log);

} // namespace talsk::sheet
