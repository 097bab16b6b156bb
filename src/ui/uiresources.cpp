#include "uiresources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE declares the registration function, which lives in the global namespace.
static void registerResources() {
    Q_INIT_RESOURCE(resources);
}

namespace glyphmill {

void initUiResources() {
    static const bool registered = [] {
        registerResources();
        return true;
    }();
    (void)registered;
}

} // namespace glyphmill
