#pragma once
// The pictures built into the window layer (resources/talsk.qrc). A static
// library's resources are registered only when asked for.

namespace talsk {

// Registers them once; every widget that loads a picture calls it.
void initUiResources();

} // namespace talsk
