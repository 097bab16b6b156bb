#pragma once

#include "conversionsettings.h"
#include "pathconvention.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace glyphmill {

// The converter command in its two forms: the text shown to the user, and the program with
// its argument list that is actually started. Arguments are kept as spans of the text, since
// every argument appears in it verbatim; that keeps composing cheap for long selections.
class ComposedCommand {
public:
    // 32 bits are plenty: no system takes a command line of 4 GiB.
    struct Span {
        std::uint32_t offset;
        std::uint32_t length;
    };

    const std::string& text() const { return m_text; }
    std::string program() const { return slice(m_program); }
    std::vector<std::string> arguments() const;
    std::size_t argumentCount() const { return m_arguments.size(); }
    std::string_view argument(std::size_t index) const;

private:
    friend class CommandBuilder;
    std::string slice(Span span) const { return m_text.substr(span.offset, span.length); }

    std::string m_text;
    Span m_program{0, 0};
    std::vector<Span> m_arguments;
};

using DirectoryTest = std::function<bool(const std::string& path)>;

struct CommandInput {
    const ConversionSettings& settings;
    std::string_view appFolder;
    // Bare names of the selected file-list entries, in list order.
    const std::vector<std::string>& selectedFiles;
    const PathConvention& convention;
    // Asked only for a non-empty target folder text.
    const DirectoryTest& isDirectory;
};

ComposedCommand composeCommand(const CommandInput& input);

} // namespace glyphmill
