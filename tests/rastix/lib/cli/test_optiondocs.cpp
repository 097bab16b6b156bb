// Every option the command line takes is documented where users look: --help, the manual page
// and the README's table. An option added to the parser alone fails here.
#include "cli/commandline.h"
#include "cli/helptext.h"
#include "files/pictureformats.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace rastix;

namespace {

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Groff writes a minus sign as "\-".
std::string withoutGroffEscapes(std::string text) {
    for (std::size_t at; (at = text.find("\\-")) != std::string::npos;)
        text.erase(at, 1);
    return text;
}

// Whether option stands in text as a word of its own: "--clut" is not found in "--no-clut".
bool mentions(const std::string& text, const std::string& option) {
    const auto partOfName = [](char c) {
        return c == '-' || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
    };
    for (std::size_t at = text.find(option); at != std::string::npos;
         at = text.find(option, at + 1)) {
        const std::size_t end = at + option.size();
        if ((at == 0 || !partOfName(text[at - 1])) &&
            (end == text.size() || !partOfName(text[end])))
            return true;
    }
    return false;
}

} // namespace

TEST(OptionDocs, EveryOptionIsInTheHelpTheManualAndTheReadme) {
    const std::string source = RASTIX_SOURCE_DIR;
    const std::string manual = withoutGroffEscapes(fileText(source + "/docs/man/rastix.1"));
    const std::string readme = fileText(source + "/README.md");
    ASSERT_FALSE(manual.empty());
    ASSERT_FALSE(readme.empty());
    const std::string help = helpText();
    const std::vector<std::string> options = optionNames();
    ASSERT_GE(options.size(), 30u); // a parser that lost its table would pass everything
    for (const std::string& option : options) {
        EXPECT_TRUE(mentions(help, option)) << option << " is not in --help";
        EXPECT_TRUE(mentions(manual, option)) << option << " is not in docs/man/rastix.1";
        EXPECT_TRUE(mentions(readme, "`" + option)) << option << " is not in the README's table";
    }
}

TEST(Help, DocumentsEveryOption) {
    const std::string help = helpText();
    for (const char* option :
         {"-rgb",          "-cry",         "--assembly",     "--ascii",    "--binary",
          "--no-ascii",    "--target-dir", "--clut",         "--no-clut",  "--opt-clut",
          "--no-opt-clut", "--overwrite",  "--no-overwrite", "--15-bits",  "--16-bits",
          "--gray",        "--glass",      "--normal",       "--positive", "--negative",
          "--both",        "--rotate",     "--cut",          "--help",     "--version",
          ".rgb",          ".cry",         ".map",           ".clut",      ".s",
          "Glass packing", "phrase",       "--colours"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
    for (const char* syntax : {"--syntax madmac", "--syntax gas", "--dither none",
                               "--dither ordered", "--dither diffusion"})
        EXPECT_NE(help.find(syntax), std::string::npos) << syntax;
}

// --help names the formats from the list itself; the pages written by hand must keep up.
TEST(OptionDocs, EveryPictureFormatIsInTheHelpTheManualAndTheReadme) {
    const std::string source = RASTIX_SOURCE_DIR;
    const std::string manual = fileText(source + "/docs/man/rastix.1");
    const std::string readme = fileText(source + "/README.md");
    const std::string help = helpText();
    for (const PictureFormat& format : kPictureFormats) {
        const std::string name(format.name);
        EXPECT_NE(help.find(name), std::string::npos) << name << " is not in --help";
        EXPECT_NE(manual.find(name), std::string::npos) << name << " is not in docs/man/rastix.1";
        EXPECT_NE(readme.find(name), std::string::npos) << name << " is not in the README";
    }
}

// The help is read in a terminal: no line wraps in one of 94 columns.
TEST(OptionDocs, TheHelpFitsATerminal) {
    std::istringstream help(helpText());
    int number = 0;
    for (std::string line; std::getline(help, line);) {
        ++number;
        EXPECT_LE(line.size(), 94u) << "line " << number << ": " << line;
    }
}
