#include "gui/widgets/ui_resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must stand outside any namespace.
static void registerTalskResources() {
    Q_INIT_RESOURCE(talsk);
}

namespace talsk {

void initUiResources() {
    static const bool done = (registerTalskResources(), true);
    (void)done;
}

} // namespace talsk
