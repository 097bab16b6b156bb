#pragma once

#include "registryvalue.h"

#include <QString>

#include <optional>
#include <vector>

namespace glyphmill {

// Read-only access to the Windows registry; tests hand in a fake.
class Registry {
public:
    enum class Root { LocalMachine, CurrentUser };

    // A value as the query returned it: the whole query buffer and the byte count reported.
    struct RawValue {
        RegistryValueType type = RegistryValueType::Other;
        std::vector<unsigned char> buffer;
        std::size_t reportedSize = 0;
    };

    // The query buffer's size; longer values count as unreadable.
    static constexpr std::size_t kBufferSize = 1024;

    virtual ~Registry() = default;
    // Empty when the key cannot be opened for reading or the value cannot be queried.
    virtual std::optional<RawValue> query(Root root, const QString& keyName,
                                          const QString& valueName) const = 0;
};

/// Reads one value as text into `text`. False, with `text` emptied, when the key or the
/// value cannot be read. A value of a type that carries no text counts as read and leaves
/// `text` as it was.
bool GetKeyValue(const Registry& registry, Registry::Root root, const QString& keyName,
                 const QString& valueName, QString& text);

} // namespace glyphmill
