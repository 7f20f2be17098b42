#pragma once
// The About box's picture and the licence text (resources/about.qrc), built
// into a static library: registered only when asked for.

namespace talsk {

void initAboutResources();

} // namespace talsk
