#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace glyphmill {

// The value types the program tells apart; the registry knows more, and they all count as
// "other".
enum class RegistryValueType { Text, Number32, Other };

/// Turns the bytes of a registry value into the text the program works with.
///
/// `buffer` is the query buffer as the registry filled it and `reportedSize` the byte count it
/// reported; the value is cut to that size (never beyond the buffer) and a trailing zero byte
/// is dropped, since text values are usually stored with their terminator. A text value gives
/// its bytes unchanged, a 32-bit number (little-endian) gives "&h" and its upper-case hex
/// digits, and any other type gives no text: the caller keeps what it had.
std::optional<std::string> decodeRegistryValue(RegistryValueType type,
                                               std::span<const unsigned char> buffer,
                                               std::size_t reportedSize);

} // namespace glyphmill
