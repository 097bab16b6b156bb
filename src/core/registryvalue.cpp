#include "registryvalue.h"

#include <algorithm>

namespace glyphmill {

namespace {

std::string hexNumber(std::span<const unsigned char> bytes) {
    // A dropped trailing zero byte leaves a little-endian number unchanged, so the cut bytes
    // are read as they are, missing high bytes counting as zero.
    std::uint32_t number = 0;
    const std::size_t count = std::min<std::size_t>(bytes.size(), 4);
    for (std::size_t i = 0; i < count; ++i)
        number |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);

    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string digits;
    do {
        digits.insert(digits.begin(), kDigits[number & 0xFu]);
        number >>= 4;
    } while (number != 0);
    return "&h" + digits;
}

} // namespace

std::optional<std::string> decodeRegistryValue(RegistryValueType type,
                                               std::span<const unsigned char> buffer,
                                               std::size_t reportedSize) {
    std::span<const unsigned char> value = buffer.first(std::min(reportedSize, buffer.size()));
    if (!value.empty() && value.back() == 0)
        value = value.first(value.size() - 1);

    switch (type) {
    case RegistryValueType::Text:
        return std::string(value.begin(), value.end());
    case RegistryValueType::Number32:
        return hexNumber(value);
    case RegistryValueType::Other:
        break;
    }
    return std::nullopt;
}

} // namespace glyphmill
