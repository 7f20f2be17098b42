#pragma once
// A program folder for the main window's tests: a demo base "talsk.btn" of
// the given size and settings reset and pointed at the folder. The per-user
// keys and bars' state go to the test's ConfigHome.

#include "base/base_file.h"
#include "base/settings.h"
#include "support/temp_dir.h"
#include "tools/demo_data.h"

#include <gtest/gtest.h>

namespace talsk::test {

inline testing::AssertionResult makeDemoFolder(const TempDir& dir, ProgramSettings& settings,
                                               int residents, int organizations, int cityCodes) {
    PhoneBase base;
    base.path = dir.file("talsk.btn");
    DemoOptions demo;
    demo.residents = residents;
    demo.organizations = organizations;
    demo.cityCodes = cityCodes;
    const bool made = fillDemoBase(base, demo) && saveBase(base, kMaskAllTables);
    closeBase(base);
    if (!made) return testing::AssertionFailure() << "the demo base was not written";
    resetSettings(settings, ResetMode::All);
    settings.programFolder = dir.path();
    settings.backgroundDelayMs = 30;
    settings.startFocus = 2; // the surname
    settings.notFoundMessage = 0;
    return testing::AssertionSuccess();
}

} // namespace talsk::test
