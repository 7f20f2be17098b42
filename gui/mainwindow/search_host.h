#pragma once
// What the search bars ask of the main window: the shared objects, the
// search area, the active input, and the showing of results.

#include "base/base_set.h"
#include "gui/mainwindow/panel_record.h"
#include "search/search_session.h"
#include "search/similar_search.h"

#include <functional>
#include <string>

namespace talsk {

// What a search of the field panel or the general bar that found nothing
// offers: names like its word, and its search run again with one of them.
struct SimilarOffer {
    SimilarRequest request;
    std::function<void(const std::string& name)> runWith; // the name as Windows-1251 bytes
};

class SearchHost {
public:
    virtual ~SearchHost() = default;

    virtual BaseSet& baseSet() = 0;
    virtual ProgramSettings& settings() = 0;
    virtual SearchSession& session() = 0;
    virtual SearchLog& searchLog() = 0;
    virtual TableMask tableMaskFromBar() const = 0;
    virtual FileMask fileMaskFromBar() const = 0;
    // The files and tables the search-area bar chooses.
    SearchArea searchArea() const { return {fileMaskFromBar(), tableMaskFromBar()}; }
    // The SearchFocus value of the active input.
    virtual int searchFocus() const = 0;
    // A search input received the keyboard focus.
    virtual void focusChanged(int v) = 0;
    virtual void focusSearchField(int n) = 0;
    // n < 0: the state's hit total. offer: what a search that found nothing
    // offers instead; none: nothing.
    virtual void showResults(const SearchState& state, int n,
                             const SimilarOffer* offer = nullptr) = 0;
    // historyPosition back to one past the newest log entry.
    virtual void resetHistoryPosition() = 0;
    virtual void minimizeWindow() = 0;
    // "Добавить в базу": the record editor with the panel's texts.
    virtual void addToBase(const PanelRecord& record) = 0;
    // A command the bar hands on to the main window.
    virtual void runCommand(int id) = 0;
};

} // namespace talsk
