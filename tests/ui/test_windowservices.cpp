// A main window handed no service for something it uses would have to reach the real system for
// it; instead it stops the program and says which one is missing. A real box showing in a window
// test stops that test the same way.
#include "fakes.h"
#include "main/formmain.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <ostream>
#include <string>

using namespace glyphmill;
using namespace glyphmill::testing;

namespace {

template <auto service> void leaveOut(MainWindowServices& services) {
    services.*service = nullptr;
}

struct Missing {
    const char* name;
    void (*leaveOut)(MainWindowServices&);
};

void PrintTo(const Missing& missing, std::ostream* out) {
    *out << missing.name;
}

class MissingService : public ::testing::TestWithParam<Missing> {};

TEST_P(MissingService, StopsTheWindowNamingIt) {
    FakeServices fakes;
    MainWindowServices services = fakes.services();
    GetParam().leaveOut(services);
    EXPECT_DEATH(FormMain window(services), std::string("no ") + GetParam().name + " service");
}

using S = MainWindowServices;
INSTANTIATE_TEST_SUITE_P(
    EveryService, MissingService,
    ::testing::Values(
        Missing{"files", leaveOut<&S::files>}, Missing{"prompt", leaveOut<&S::prompt>},
        Missing{"launcher", leaveOut<&S::launcher>},
        Missing{"systemInformation", leaveOut<&S::systemInformation>},
        Missing{"volumes", leaveOut<&S::volumes>}, Missing{"pictures", leaveOut<&S::pictures>},
        Missing{"folders", leaveOut<&S::folders>}, Missing{"cursors", leaveOut<&S::cursors>},
        Missing{"listing", leaveOut<&S::listing>}, Missing{"watcher", leaveOut<&S::watcher>},
        Missing{"runner", leaveOut<&S::runner>}),
    [](const ::testing::TestParamInfo<Missing>& row) { return std::string(row.param.name); });

TEST(WindowServices, EveryFakeHandedInOpensTheWindow) {
    FakeServices fakes;
    const FormMain window(fakes.services());
    EXPECT_TRUE(fakes.prompt.messages.isEmpty());
}

TEST(ModalWindowGuard, ARealBoxStopsTheTest) {
    EXPECT_DEATH(MessageBoxPrompt().ask(nullptr, {QStringLiteral("Real box"), QStringLiteral("?"),
                                                  Prompt::Icon::None, Prompt::Buttons::Ok}),
                 "modal QDialog \"Real box\" showed in a window test");
}

} // namespace

int main(int argc, char* argv[]) {
    // The death tests start this program afresh rather than fork a process that runs Qt.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
