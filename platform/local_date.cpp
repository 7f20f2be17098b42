#include "platform/local_date.h"

#include <ctime>
#include <mutex>

namespace talsk {

namespace {
std::mutex gMutex;
std::function<LocalDate()> gSource;
} // namespace

LocalDate today() {
    {
        std::lock_guard<std::mutex> lock(gMutex);
        if (gSource) return gSource();
    }
    std::time_t now = std::time(nullptr);
    std::tm parts{};
#ifdef _WIN32
    localtime_s(&parts, &now);
#else
    localtime_r(&now, &parts);
#endif
    LocalDate d;
    d.year = static_cast<int16_t>(parts.tm_year + 1900);
    d.month = static_cast<uint8_t>(parts.tm_mon + 1);
    d.day = static_cast<uint8_t>(parts.tm_mday);
    return d;
}

void setDateSource(std::function<LocalDate()> source) {
    std::lock_guard<std::mutex> lock(gMutex);
    gSource = std::move(source);
}

} // namespace talsk
