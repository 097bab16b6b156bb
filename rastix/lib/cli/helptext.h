#pragma once

namespace rastix {

// What --help and --version print.
const char* helpText();
const char* versionText();

} // namespace rastix
