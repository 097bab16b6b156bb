#include "registry.h"

namespace glyphmill {

bool GetKeyValue(const Registry& registry, Registry::Root root, const QString& keyName,
                 const QString& valueName, QString& text) {
    const std::optional<Registry::RawValue> raw = registry.query(root, keyName, valueName);
    if (!raw) {
        text.clear();
        return false;
    }
    if (const auto decoded = decodeRegistryValue(raw->type, raw->buffer, raw->reportedSize))
        text = QString::fromLocal8Bit(decoded->data(), static_cast<qsizetype>(decoded->size()));
    return true;
}

} // namespace glyphmill
