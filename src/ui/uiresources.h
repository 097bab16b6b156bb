#pragma once

namespace glyphmill {

// Registers the icons and texts compiled into the ui library. The linker drops the resource
// data of a static library unless something refers to it, so every window that reads a
// resource calls this first; calling it again does no harm.
void initUiResources();

} // namespace glyphmill
