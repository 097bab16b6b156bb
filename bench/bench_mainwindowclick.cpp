// What one click on an option costs the user: the handler, the full recomposition (main window
// and options dialog read) and the text field update.
#include "main/formmain.h"
#include "main/systemservices.h"

#include <QAbstractButton>
#include <QApplication>

#include <benchmark/benchmark.h>

namespace {

void BM_OptionClickRecomposes(benchmark::State& state) {
    glyphmill::SystemServices system(QStringLiteral("/opt/glyphmill"));
    glyphmill::MainWindowServices services = system.mainWindowServices();
    services.convention = glyphmill::PathConvention::posix();
    glyphmill::FormMain window(services);
    auto* overwrite = window.findChild<QAbstractButton*>(QStringLiteral("CheckOverwrite"));
    for (auto _ : state)
        overwrite->click();
}
BENCHMARK(BM_OptionClickRecomposes);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
