#pragma once
// Creating a new, empty base file from the "Сохранить как ..." dialog and
// connecting it at once. Plain rules without a window; questions and
// messages go through EditorPrompts.

#include "base/base_set.h"
#include "edit/editor_prompts.h"

#include <string>

namespace talsk {

struct NewBaseRequest {
    std::string name; // Windows-1251, as typed
    bool useKey = true;
    std::string key; // typed key text, Windows-1251
    bool rememberKey = true;
};

// The name a new file gets: ".btn" appended unless it ends the name
// (case-sensitive, so ".BTN" gets one too).
std::string withBtnExtension(const std::string& name);

// Checks the request, asks before overwriting a file outside the set, writes
// an empty base file and connects it: a base the set knows but has not
// connected is reused, else one is added at the end of the set and, when
// given, of the settings' file list. Returns the base's index, or kNoBase
// after the message that says why nothing was created (the set is then
// unchanged, but a reused base loses its loaded tables).
int createBaseFile(BaseSet& set, ProgramSettings* settings, const NewBaseRequest& request,
                   EditorPrompts& prompts);

} // namespace talsk
