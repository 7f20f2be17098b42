#include "gui/settings/settings_sheet_rules.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <utility>

namespace talsk::sheet {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// from_chars takes no plus sign; the edits do.
std::string_view withoutPlus(std::string_view text) {
    if (text.size() > 1 && text.front() == '+' && text[1] != '-') text.remove_prefix(1);
    return text;
}

// The number at the start of text, as the width total reads its edits.
float leadingNumber(std::string_view text) {
    text = withoutPlus(trimmed(text));
    float value = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    return r.ec == std::errc() && std::isfinite(value) ? value : 0.0f;
}

uint8_t flag(bool on) {
    return on ? 1 : 0;
}

Refusal refusal(int page, int control, std::string_view message) {
    return {page, control, std::string(message)};
}

} // namespace

std::string integerRangeMessage(int lo, int hi) {
    return "Please enter an integer between " + std::to_string(lo) + " and " + std::to_string(hi) +
           ".";
}

std::optional<long long> parseInteger(std::string_view text) {
    text = withoutPlus(trimmed(text));
    long long value = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || r.ec != std::errc() || r.ptr != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<float> parseNumber(std::string_view text) {
    text = withoutPlus(trimmed(text));
    float value = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || r.ec != std::errc() || r.ptr != text.data() + text.size() ||
        !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string stepSpin(std::string_view text, int delta, int lo, int hi) {
    const float now = parseNumber(text).value_or(static_cast<float>(lo));
    const auto from =
        static_cast<long long>(std::clamp(now, static_cast<float>(lo), static_cast<float>(hi)));
    return std::to_string(
        std::clamp(from + delta, static_cast<long long>(lo), static_cast<long long>(hi)));
}

GeneralPage loadGeneral(const ProgramSettings& s) {
    GeneralPage p;
    p.rememberWindowPosition = s.rememberWindowPosition != 0;
    p.confirmExit = s.confirmExit != 0;
    p.singleInstance = s.singleInstance != 0;
    p.latinToCyrillic = s.latinToCyrillic != 0;
    p.logCapacity = std::to_string(s.searchLogCapacity);
    p.startFocus = std::min<int>(s.startFocus, 7);
    return p;
}

std::optional<Refusal> storeGeneral(const GeneralPage& p, ProgramSettings& s) {
    const std::optional<long long> capacity = parseInteger(p.logCapacity);
    if (!capacity) return refusal(0, kLogCapacityEdit.control, kNotInteger);
    if (*capacity < 0 || *capacity > 64000)
        return refusal(0, kLogCapacityEdit.control, integerRangeMessage(0, 64000));
    s.rememberWindowPosition = flag(p.rememberWindowPosition);
    s.confirmExit = flag(p.confirmExit);
    s.singleInstance = flag(p.singleInstance);
    s.latinToCyrillic = flag(p.latinToCyrillic);
    s.searchLogCapacity = static_cast<uint16_t>(
        std::clamp<long long>(*capacity, kLogCapacityEdit.low, kLogCapacityEdit.high));
    s.startFocus = static_cast<uint8_t>(std::clamp(p.startFocus, 0, 7));
    return std::nullopt;
}

SearchPage loadSearch(const ProgramSettings& s) {
    return {s.backgroundSearch != 0, std::to_string(s.backgroundDelayMs), s.spacesSignificant != 0};
}

std::optional<Refusal> storeSearch(const SearchPage& p, ProgramSettings& s) {
    const std::optional<long long> delay = parseInteger(p.delayMs);
    if (!delay || *delay > INT32_MAX) return refusal(1, kDelayEdit.control, kNotInteger);
    s.backgroundSearch = flag(p.backgroundSearch);
    s.backgroundDelayMs = static_cast<int32_t>(std::max<long long>(*delay, 1));
    s.spacesSignificant = flag(p.spacesSignificant);
    return std::nullopt;
}

ResultsPage loadResults(const ProgramSettings& s) {
    ResultsPage p;
    for (size_t i = 0; i < p.widthPercents.size(); ++i)
        p.widthPercents[i] = percentText(s.columnWidthShares[i]);
    p.autoColumnWidths = s.autoColumnWidths != 0;
    p.notFoundMessage = s.notFoundMessage != 0;
    p.notFoundClearTable = s.notFoundClearTable != 0;
    p.mouseTracking = s.mouseTracking != 0;
    return p;
}

std::optional<Refusal> storeResults(const ResultsPage& p, ProgramSettings& s) {
    std::array<float, 5> shares{};
    for (size_t i = 0; i < shares.size(); ++i) {
        const std::optional<float> percent = parseNumber(p.widthPercents[i]);
        if (!percent) return refusal(2, kWidthEdits[i].control, kNotNumber);
        shares[i] = *percent * 0.01f;
    }
    s.columnWidthShares = shares;
    s.autoColumnWidths = flag(p.autoColumnWidths);
    s.notFoundMessage = flag(p.notFoundMessage);
    s.notFoundClearTable = flag(p.notFoundClearTable);
    s.mouseTracking = flag(p.mouseTracking);
    return std::nullopt;
}

EditPage loadEdit(const ProgramSettings& s) {
    return {s.confirmSaveRecord != 0, s.checkDuplicatePhone != 0, s.askToSaveChanges != 0,
            s.saveOnClose != 0};
}

void storeEdit(const EditPage& p, ProgramSettings& s) {
    s.confirmSaveRecord = flag(p.confirmSaveRecord);
    s.checkDuplicatePhone = flag(p.checkDuplicatePhone);
    s.askToSaveChanges = flag(p.askToSaveChanges);
    s.saveOnClose = flag(p.saveOnClose);
}

LoadedPage loadLoaded(const ProgramSettings& s) {
    return {s.autoRemoveMissing != 0, s.autoKeyEntry != 0, s.connectFolderFiles != 0,
            s.noLoadErrorMessage == 0, s.noReadOnlyMessage == 0};
}

void storeLoaded(const LoadedPage& p, ProgramSettings& s) {
    s.autoRemoveMissing = flag(p.autoRemoveMissing);
    s.autoKeyEntry = flag(p.autoKeyEntry);
    s.connectFolderFiles = flag(p.connectFolderFiles);
    s.noLoadErrorMessage = flag(!p.loadErrorMessage);
    s.noReadOnlyMessage = flag(!p.readOnlyMessage);
}

std::string percentText(float share) {
    // Six significant digits, as the edit shows a float.
    char buffer[32];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, share * 100.0f,
                                 std::chars_format::general, 6);
    return std::string(buffer, r.ptr);
}

std::string totalWidthText(const std::array<std::string, 5>& percents) {
    double sum = 0;
    for (const std::string& p : percents)
        sum += leadingNumber(p);
    sum = std::clamp(sum, -1e15, 1e15); // a whole number, whatever the edits hold
    return "Общая длина\t-   " + std::to_string(static_cast<long long>(sum)) + " %";
}

void restoreAll(ProgramSettings& copy) {
    resetSettings(copy, ResetMode::KeepFiles);
}

bool commitCopy(ProgramSettings copy, ProgramSettings& target, SearchLog& log) {
    validateSettings(copy);
    target = std::move(copy);
    if (log.capacity == target.searchLogCapacity) return true;
    return resizeLog(log, target.searchLogCapacity);
}

} // namespace talsk::sheet
