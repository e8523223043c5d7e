// A drop of a folder of 100,000 MP3 files onto the window, until the list shows them, against
// the same folder searched by the core alone into a bare list. Offscreen Qt.
//
// ratio_to_core is the drop's time over the core search's, both measured in every iteration
// on the same warm tree; the window must stay within 2.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTableView>
#include <QUrl>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "filelist/folder_search.h"
#include "filelist/list_store.h"
#include "platform/file_system.h"
#include "support/bench_files.h"
#include "ui/form1.h"
#include "ui/qt_text.h"

namespace {

using namespace tagwright;
using Clock = std::chrono::steady_clock;

constexpr int kArtists = 250;
constexpr int kAlbumsPerArtist = 8;
constexpr int kFilesPerAlbum = 50;
constexpr int kFiles = kArtists * kAlbumsPerArtist * kFilesPerAlbum;

// artist/album/track.mp3, each file a little audio and an ID3v1.1 tag.
const std::string& Library() {
    static bench::ScratchFolder dir;
    static const std::string root = [] {
        const std::string top = dir.MakeFolder("library");
        for (int a = 0; a < kArtists; ++a) {
            for (int b = 0; b < kAlbumsPerArtist; ++b) {
                const std::string folder =
                    top + "/artist" + std::to_string(a) + "/album" + std::to_string(b);
                std::filesystem::create_directories(folder);
                for (int t = 0; t < kFilesPerAlbum; ++t) {
                    const std::string title = "Track " + std::to_string(t);
                    const bench::Bytes bytes = bench::Cat(
                        {bench::Audio(64), bench::Id3v1({title, "Artist", "Album", "2001", t, 0})});
                    const std::string path = folder + "/" + std::to_string(t) + ".mp3";
                    std::FILE* f = std::fopen(path.c_str(), "wb");
                    if (f == nullptr ||
                        std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size())
                        std::abort();
                    std::fclose(f);
                }
            }
        }
        return top;
    }();
    return root;
}

double CoreSearchSeconds() {
    ListStore store;
    GetSearchMP3Module search(RealFileSystem(), store);
    const auto start = Clock::now();
    const FileAddReport report = search.SearchMP3Files(Library(), "mp3", true);
    store.UpdateFileCount();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (report.added != kFiles)
        std::abort();
    return seconds;
}

void BM_CoreSearch(benchmark::State& state) {
    CoreSearchSeconds();  // warms the page cache
    for (auto _ : state)
        state.SetIterationTime(CoreSearchSeconds());
    state.counters["files"] = kFiles;
}
BENCHMARK(BM_CoreSearch)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

void BM_WindowDrop(benchmark::State& state) {
    Form1 window;
    window.show();
    QApplication::processEvents();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(ToQt(Library()))});
    QWidget* viewport = window.table()->viewport();
    double dropSeconds = 0;
    double coreSeconds = 0;
    CoreSearchSeconds();
    for (auto _ : state) {
        window.store().ResetFileList();
        QApplication::processEvents();
        coreSeconds += CoreSearchSeconds();

        const auto start = Clock::now();
        const QPoint at(30, 30);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(viewport, &enter);
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(viewport, &drop);
        // The rows are in the list once the view has painted them.
        QApplication::processEvents();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (window.table()->model()->rowCount() != kFiles)
            std::abort();
        state.SetIterationTime(seconds);
        dropSeconds += seconds;
    }
    state.counters["files"] = kFiles;
    state.counters["ratio_to_core"] = dropSeconds / coreSeconds;
}
BENCHMARK(BM_WindowDrop)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
