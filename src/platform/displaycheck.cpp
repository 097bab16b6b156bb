#include "displaycheck.h"

#include <QtGlobal>

namespace glyphmill {

QString missingDisplayMessage() {
#if defined(_WIN32) || defined(__APPLE__)
    return {};
#else
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    // A platform chosen explicitly (offscreen, vnc, ...) is the user's business.
    if (!platform.isEmpty() && !platform.startsWith("xcb") && !platform.startsWith("wayland"))
        return {};
    if (!qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return {};
    return QStringLiteral("glyphmill needs a graphical display, and none was found (DISPLAY and "
                          "WAYLAND_DISPLAY are unset); to run it headless, start it under a "
                          "virtual display, as in 'xvfb-run -a glyphmill'.");
#endif
}

} // namespace glyphmill
