#include "winregistry.h"

#include <QByteArray>

#include <windows.h>

namespace glyphmill {

std::optional<Registry::RawValue> WinRegistry::query(Root root, const QString& keyName,
                                                     const QString& valueName) const {
    HKEY rootKey = root == Root::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    const QByteArray keyBytes = keyName.toLocal8Bit();
    const QByteArray valueBytes = valueName.toLocal8Bit();

    // Reading is all that is needed; full access to this hive is refused to ordinary users,
    // who would then never find anything.
    HKEY key = nullptr;
    if (RegOpenKeyExA(rootKey, keyBytes.constData(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;

    RawValue value;
    value.buffer.assign(kBufferSize, 0);
    DWORD type = REG_NONE;
    DWORD size = static_cast<DWORD>(kBufferSize);
    const LONG status =
        RegQueryValueExA(key, valueBytes.constData(), nullptr, &type, value.buffer.data(), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return std::nullopt;

    value.reportedSize = size;
    switch (type) {
    case REG_SZ:
        value.type = RegistryValueType::Text;
        break;
    case REG_DWORD:
        value.type = RegistryValueType::Number32;
        break;
    default:
        value.type = RegistryValueType::Other;
        break;
    }
    return value;
}

} // namespace glyphmill
