#pragma once

#include "registry.h"

namespace glyphmill {

// The Win32 registry, opened for reading only.
class WinRegistry final : public Registry {
public:
    std::optional<RawValue> query(Root root, const QString& keyName,
                                  const QString& valueName) const override;
};

} // namespace glyphmill
