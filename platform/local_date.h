#pragma once
// Today's local date; tests replace the source to get fixed dates.

#include <cstdint>
#include <functional>

namespace talsk {

struct LocalDate {
    int16_t year = 0;
    uint8_t month = 0;
    uint8_t day = 0;
};

LocalDate today();
// Installs a replacement source; an empty function restores the clock.
void setDateSource(std::function<LocalDate()> source);

} // namespace talsk
