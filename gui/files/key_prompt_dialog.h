#pragma once
// The one-file "Декодирование" dialog: the key of one file (the dBASE import and the
// merge ask with it).

#include <string>

class QWidget;

namespace talsk {

// Shows path (Windows-1251) and asks its key. OK: true, typedKey the text as
// typed (Windows-1251, at most 32 characters). The dialog has no box to
// remember the key, so remember always comes back false. Cancel: false,
// typedKey and remember untouched.
bool runKeyPromptDialog(QWidget* parent, const std::string& path, std::string& typedKey,
                        bool& remember);

} // namespace talsk
