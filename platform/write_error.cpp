#include "platform/write_error.h"

namespace talsk {

const char* writeErrorText(WriteError error) {
    switch (error) {
    case WriteError::None:
        return "";
    case WriteError::NoSpace:
        return "нет места на диске";
    case WriteError::NoAccess:
        return "нет доступа";
    case WriteError::Locked:
        return "файл занят другой программой";
    case WriteError::IsFolder:
        return "это папка";
    case WriteError::NoFolder:
        return "папка не найдена";
    case WriteError::NotRegular:
        return "не обычный файл";
    case WriteError::LinkLoop:
        return "ссылки идут по кругу";
    case WriteError::Other:
        break;
    }
    return "ошибка записи";
}

} // namespace talsk
