// The browser's costs in a large folder and on a large photograph, each against the cheapest
// way Qt does the same basic job in the same run: the ratios count, not the absolute times.
//   File1 fill      vs a bare sorted QDir listing of the same 100,000 files
//   Refresh_cmd     with 10,000 of those entries selected, scattered (every tenth)
//   the preview     of a 6000 x 4000 JPEG vs decoding it at full resolution
#include "fileattributes.h"
#include "folderlisting.h"
#include "main/filelist.h"
#include "main/formmain.h"
#include "main/systemservices.h"
#include "pictureloader.h"
#include "previewgeometry.h"
#include "prompt.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

using namespace glyphmill;

namespace {

constexpr int kFileCount = 100000;
constexpr int kSelectedEvery = 10;

QTemporaryDir* g_folder = nullptr;
QString g_jpeg;

bool makeFolder(QTemporaryDir& dir) {
    for (int i = 0; i < kFileCount; ++i) {
        // Names out of order, so that the listing really has to sort.
        const int n = (i * 7919) % kFileCount;
        QFile file(dir.filePath(QStringLiteral("picture %1.bmp").arg(n, 6, 10, QLatin1Char('0'))));
        if (!file.open(QIODevice::WriteOnly))
            return false;
    }
    return true;
}

bool makeJpeg(const QString& path) {
    QImage photo(6000, 4000, QImage::Format_RGB32);
    QPainter painter(&photo);
    QLinearGradient gradient(0, 0, 6000, 4000);
    gradient.setColorAt(0, Qt::darkBlue);
    gradient.setColorAt(0.5, Qt::yellow);
    gradient.setColorAt(1, Qt::darkRed);
    painter.fillRect(photo.rect(), gradient);
    for (int i = 0; i < 400; ++i)
        painter.fillRect((i * 997) % 5900, (i * 613) % 3900, 100, 100,
                         QColor::fromHsv(i % 360, 200, 220));
    painter.end();
    return photo.save(path, "JPEG", 90);
}

// The system's own services, but for the prompt and the picture loader the benchmark watches.
MainWindowServices services(const FileAttributes& files, Prompt& prompt,
                            const PictureLoader& pictures) {
    static SystemServices system(QStringLiteral("/opt/glyphmill"));
    MainWindowServices s = system.mainWindowServices();
    s.convention = PathConvention::posix();
    s.files = &files;
    s.prompt = &prompt;
    s.pictures = &pictures;
    return s;
}

class SilentPrompt final : public Prompt {
public:
    Answer ask(QWidget*, const Message& message) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(message.text));
        return Answer::Ok;
    }
};

void BM_QDirSortedListing(benchmark::State& state) {
    for (auto _ : state) {
        const QStringList names = QDir(g_folder->path())
                                      .entryList(QDir::Files | QDir::Hidden | QDir::System,
                                                 QDir::Name | QDir::IgnoreCase);
        benchmark::DoNotOptimize(names.size());
        if (names.size() != kFileCount)
            state.SkipWithError("listing is incomplete");
    }
}
BENCHMARK(BM_QDirSortedListing)->Unit(benchmark::kMillisecond)->MinTime(3);

// From setting the path to a filled list; switching between two folders so every round is a
// real change of folder. The other folder is empty, so its cost is negligible.
void BM_FileListSetPath(benchmark::State& state) {
    const bool shown = state.range(0) != 0;
    QTemporaryDir empty;
    const SystemFolderListing listing;
    FileList list;
    list.setListing(listing);
    list.resize(160, 160);
    if (shown)
        list.show();
    for (auto _ : state) {
        state.PauseTiming();
        list.setPath(empty.path());
        QCoreApplication::processEvents();
        state.ResumeTiming();
        list.setPath(g_folder->path());
        // A shown list also lays out and paints its rows before the user sees them.
        if (shown)
            QCoreApplication::processEvents();
        if (list.count() != kFileCount)
            state.SkipWithError("list is incomplete");
    }
    state.SetLabel(shown ? "shown, laid out and painted" : "hidden");
}
BENCHMARK(BM_FileListSetPath)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(3);

struct WindowInFolder {
    SystemFileAttributes files;
    SilentPrompt prompt;
    ImageReaderPictureLoader pictures;
    std::unique_ptr<FormMain> window;
    FileList* list = nullptr;

    WindowInFolder() {
        window = std::make_unique<FormMain>(services(files, prompt, pictures));
        list = window->findChild<FileList*>(QStringLiteral("File1"));
        list->setPath(g_folder->path());
        for (int row = 0; row < list->count(); row += kSelectedEvery)
            list->setSelected(row, true);
        window->Refresh_cmd();
    }
};

void BM_RefreshCmdSameSelection(benchmark::State& state) {
    WindowInFolder w;
    for (auto _ : state)
        w.window->Refresh_cmd();
    if (w.window->selectedFileNames().size() != kFileCount / kSelectedEvery)
        state.SkipWithError("selection is not the expected size");
}
BENCHMARK(BM_RefreshCmdSameSelection)->Unit(benchmark::kMillisecond)->MinTime(2);

// The selection changes between rounds, so the command text changes and TextCmd is rewritten.
void BM_RefreshCmdChangedSelection(benchmark::State& state) {
    WindowInFolder w;
    bool on = false;
    for (auto _ : state) {
        state.PauseTiming();
        on = !on;
        w.list->setSelected(5, on);
        state.ResumeTiming();
        w.window->Refresh_cmd();
    }
    const auto* text = w.window->findChild<QPlainTextEdit*>(QStringLiteral("TextCmd"));
    state.counters["command_chars"] = static_cast<double>(text->toPlainText().size());
}
BENCHMARK(BM_RefreshCmdChangedSelection)->Unit(benchmark::kMillisecond)->MinTime(2);

// The parts of a changed-selection refresh: reading the selection, and rewriting TextCmd.
void BM_SelectedFileNames(benchmark::State& state) {
    WindowInFolder w;
    for (auto _ : state) {
        const std::vector<std::string> names = w.window->selectedFileNames();
        benchmark::DoNotOptimize(names.data());
    }
}
BENCHMARK(BM_SelectedFileNames)->Unit(benchmark::kMillisecond)->MinTime(1);

void BM_TextCmdRewrite(benchmark::State& state) {
    WindowInFolder w;
    auto* text = w.window->findChild<QPlainTextEdit*>(QStringLiteral("TextCmd"));
    const QString a = text->toPlainText();
    const QString b = a + QStringLiteral(" x");
    bool flip = false;
    for (auto _ : state) {
        flip = !flip;
        // Alone: TextCmd's own change notification would recompose and write it back.
        const QSignalBlocker quiet(text);
        text->setPlainText(flip ? b : a);
    }
}
BENCHMARK(BM_TextCmdRewrite)->Unit(benchmark::kMillisecond)->MinTime(1);

void BM_FullResolutionDecode(benchmark::State& state) {
    for (auto _ : state) {
        QImageReader reader(g_jpeg);
        const QImage image = reader.read();
        if (image.size() != QSize(6000, 4000))
            state.SkipWithError("full decode failed");
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_FullResolutionDecode)->Unit(benchmark::kMillisecond)->MinTime(3);

// The whole preview as a click runs it: read the size, fit, decode at the shown size, place.
void BM_ShowPreview(benchmark::State& state) {
    SystemFileAttributes files;
    SilentPrompt prompt;
    ImageReaderPictureLoader pictures;
    FormMain window(services(files, prompt, pictures));
    const QFileInfo jpeg(g_jpeg);
    for (auto _ : state)
        window.Show_preview(jpeg.fileName(), jpeg.path());
    const auto* image = window.findChild<QLabel*>(QStringLiteral("Image1"));
    const QSize kept = image->pixmap().size();
    state.counters["kept_width"] = kept.width();
    state.counters["kept_height"] = kept.height();
    // Only the picture at the size shown stays in memory.
    if (kept.width() > 297 || kept.height() > 225)
        state.SkipWithError("a picture larger than the preview box was kept");
}
BENCHMARK(BM_ShowPreview)->Unit(benchmark::kMillisecond)->MinTime(3);

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir folder;
    QTemporaryDir pictures;
    if (!folder.isValid() || !pictures.isValid() || !makeFolder(folder)) {
        std::fprintf(stderr, "cannot create the folder of %d files\n", kFileCount);
        return 1;
    }
    g_folder = &folder;
    g_jpeg = pictures.filePath(QStringLiteral("photo.jpg"));
    if (!makeJpeg(g_jpeg)) {
        std::fprintf(stderr, "cannot write the test photograph\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
