#include "base/load_status.h"

namespace talsk {

std::string statusMessage(int32_t status, bool shortForm, WriteError cause) {
    // A known cause is the truth of a file that was there but could not be
    // read; a file another program holds keeps the status's own words.
    const bool causeKnown =
        cause != WriteError::None && cause != WriteError::Locked && cause != WriteError::Other;
    if ((status == StatusCannotOpen || status == StatusNotFound) && causeKnown)
        return std::string("Невозможно открыть файл: ") +
               (cause == WriteError::NoAccess ? "нет доступа к файлу" : writeErrorText(cause)) +
               ".";
    const char* first = "Неизвестная ошибка.";
    const char* second = "";
    switch (status) {
    case StatusConnected:
        first = "Файл успешно подключен.";
        break;
    case StatusCannotOpen:
        first = "Невозможно открыть файл.\nФайл занят другим процессом.";
        break;
    case StatusNoData:
        first = "Файл не содержит данных.\nНет необходимой информации о базе.";
        break;
    case StatusHeaderInvalid:
        first = "Ошибка при чтении заголовка.";
        second = "\nФайл поврежден или неверный формат файла.";
        break;
    case StatusLoadFailed:
        first = "Ошибка при загрузке данных.";
        second = "\nФайл поврежден или введен неверный ключ.";
        break;
    case StatusKeyMissing:
        first = "Не введен ключ.";
        second = "\nВведите его в разделе \"Подключаемые файлы\".";
        break;
    case StatusVersionMismatch:
        first = "Несоответствие версии файла.";
        break;
    case StatusNotFound:
        first = "Файл не найден.";
        second = "\nПроверьте, находится ли файл в текущем каталоге справочника.";
        break;
    case StatusReadOnlyBusy:
        first = "Файл не доступен для записи.";
        second = "\nВозтожно он открыт другой программой. Редактирование невозможно.";
        break;
    case StatusReadOnlyIncomplete:
        first = "Файл открыт только для чтения.";
        second = "\nТак как из файла загружены не все данные. Редактирование невозможно.";
        break;
    case StatusReadOnlyAttribute:
        first = "Файл открыт только для чтения.";
        second = "\nУ файла установлен атрибут \"Только чтение\". Редактирование невозможно.";
        break;
    case StatusUnknownFormat:
        first = "Неверный формат файла.";
        break;
    default:
        break;
    }
    std::string text = first;
    if (!shortForm) text += second;
    return text;
}

} // namespace talsk
