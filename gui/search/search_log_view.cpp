#include "gui/search/search_log_view.h"

#include <cstdio>

namespace talsk {

std::string logStampText(const LogStamp& stamp) {
    static const char* const kWeekdays[] = {"Воскресенье", "Понедельник", "Вторник", "Среда",
                                            "Четверг",     "Пятница",     "Суббота"};
    if (stamp.day == 0) return {};
    const char* weekday = stamp.weekday < 7 ? kWeekdays[stamp.weekday] : "";
    char text[160];
    std::snprintf(text, sizeof text,
                  "%d:%02d      %d.%02d.%d  -  %s      Было найдено записей - %d", stamp.hour,
                  stamp.minute, stamp.day, stamp.month, stamp.year, weekday,
                  static_cast<int>(stamp.hits));
    return text;
}

std::string logSelectionText(int firstRow, int lastRow, int count) {
    if (count <= 0 || firstRow < 0) return {};
    std::string text = std::to_string(firstRow + 1);
    if (lastRow > firstRow) text += "-" + std::to_string(lastRow + 1);
    return text + " / " + std::to_string(count);
}

int initialLogRow(int position, int count) {
    return position > 0 && position < count ? position : count - 1;
}

bool usableLogRect(const SettingsRect& rect, int screenWidth, int screenHeight) {
    return rect.left < screenWidth && rect.top < screenHeight && rect.right > 0 &&
           rect.bottom > 0 && rect.right > rect.left && rect.bottom > rect.top;
}

} // namespace talsk
