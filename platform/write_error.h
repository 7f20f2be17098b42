#pragma once
// Why writing a file failed, in words the user understands. The command line
// and the window's message boxes show the same texts.

namespace talsk {

enum class WriteError {
    None,       // nothing failed
    NoSpace,    // the disk (or the user's quota) is full
    NoAccess,   // no permission to write there
    Locked,     // another program holds the file for writing
    IsFolder,   // the destination is a folder, not a file
    NoFolder,   // the folder of the destination does not exist
    NotRegular, // a pipe, a device or the like, not a file of the disk
    LinkLoop,   // symbolic links that lead back to themselves, never to a file
    Other,      // any other failure of the file system
};

// UTF-8: "нет места на диске", "нет доступа", "файл занят другой программой",
// "это папка", "папка не найдена", "не обычный файл", "ссылки идут по кругу",
// "ошибка записи"; empty for None.
const char* writeErrorText(WriteError error);

// Stores error in *cause when the caller asked for it; returns error == None.
inline bool reportWriteError(WriteError error, WriteError* cause) {
    if (cause != nullptr) *cause = error;
    return error == WriteError::None;
}

} // namespace talsk
