#pragma once

#include <string>
#include <string_view>

namespace rastix {

// Text as it may appear within one line of a message: a file name can hold any byte but '/' and
// NUL, and a newline in one would split a line that scripts read as one, or an escape sequence
// would reach the terminal. Control characters (C0, DEL and C1) become C-style escapes ("\n",
// "\x1b"); everything else, backslashes and bytes that are not UTF-8 included, stays as given.
std::string messageLine(std::string_view text);

// The line for a failed write to standard output, given errno (0 when the stream did not say).
std::string standardOutputFailure(int error);

} // namespace rastix
