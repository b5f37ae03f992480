// The INI window's progress display against the engine alone: one group file of 30,000 entries
// converted by Form1's "Start Convertion" with the window shown (offscreen), and by the engine with
// progress operations that do nothing. The window repaints at most about 60 times a second, so its
// run should take no more than 1.2 times the engine's.
//
// The export window's Preview against the command line's dry run, the same engine with its plan
// printed nowhere: a PCDJ FX library of 3,063 playlists. The window's results list takes the
// preview's files in one go, so its Preview should take about as long as the dry run.
//
// The engine is fast enough on a RAM-backed file system that the machine's noise shows; run with
// --benchmark_repetitions=5 and compare the medians. DECKSHIFT_BENCH_DIR chooses where the group
// file and the playlists go.

#include "bench_support.h"

#include "convert/ConvertRedIniToVrm.h"
#include "convert/ExportLibrary.h"
#include "formats/FilePlan.h"
#include "formats/GroupIni.h"
#include "formats/GroupList.h"
#include "formats/VrmPlaylist.h"
#include "ui/Dialog.h"
#include "ui/Dialog2.h"
#include "ui/DirList.h"
#include "ui/ExportWindow.h"
#include "ui/FileList.h"
#include "ui/Form1.h"
#include "ui/MessageBox.h"
#include "ui/Progress.h"
#include "ui/Widgets.h"
#include "ui/Windows.h"

#include <QApplication>
#include <QLineEdit>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;
using namespace deckshift;

namespace {

constexpr std::uint64_t kEntries = 30000;
constexpr std::uint64_t kPerSubgroup = 300;

struct Group {
    bench::ScratchDir dir{"ui-progress"};
    fs::path red = dir.path() / "red";
    fs::path out = dir.path() / "out";
    Group() {
        fs::create_directories(red);
        fs::create_directories(out);
        std::FILE* f = std::fopen((red / "Big.INI").string().c_str(), "wb");
        if (!f)
            throw std::runtime_error("cannot write the group file");
        std::string line, directory, name;
        for (std::uint64_t n = 0; n < kEntries; ++n) {
            line.clear();
            if (n % kPerSubgroup == 0) {
                line = formats::headerLine("Subgroup " + std::to_string(n / kPerSubgroup));
                line += "\r\n";
            }
            bench::trackPath(n, directory, name);
            formats::appendEntryLine(line, n % kPerSubgroup + 1, name, directory);
            line += "\r\n";
            std::fwrite(line.data(), 1, line.size(), f);
        }
        std::fclose(f);
    }
};

const Group& group() {
    static const Group g;
    return g;
}

class ThrowingMessages : public convert::MessageSink {
public:
    void message(convert::MessageKind, std::string_view text, std::string_view) override {
        throw std::runtime_error(std::string(text));
    }
};

void BM_EngineNoOpProgress(benchmark::State& state) {
    const Group& g = group();
    convert::IniToVrmInputs in;
    in.sourceDirectory = g.red.string();
    in.sourceName = "Big.INI";
    in.outputDirectory = g.out.string();
    convert::IniToVrmProgress progress;
    ThrowingMessages messages;
    for (auto _ : state) {
        const auto result = convert::ConvertRedIniToVrm(in, progress, messages);
        if (result.playlistsWritten != kEntries / kPerSubgroup)
            state.SkipWithError("not every playlist was written");
    }
    state.counters["entries"] = static_cast<double>(kEntries);
}

/// The window as the user clicks it: the run with its progress display, then the paint of the
/// final values and the dropping of input that came during the run.
void BM_Form1Window(benchmark::State& state) {
    const Group& g = group();
    ui::MessageRecorder messages;
    ui::Form1& form = ui::show<ui::Form1>();
    ui::Dialog& source = ui::load<ui::Dialog>();
    source.Dir1->setPath(g.red.string());
    source.File1->selectName("Big.INI");
    source.OKButton_Click();
    ui::Dialog2& output = ui::load<ui::Dialog2>();
    output.Dir1->setPath(g.out.string());
    output.OKButton_Click();
    QApplication::processEvents();
    for (auto _ : state) {
        form.Command3_Click();
        if (!messages.messages().empty()) {
            state.SkipWithError(messages.messages().front().text.toStdString().c_str());
            break;
        }
        state.PauseTiming();
        form.Command3->setEnabled(true); // as "Convert Another One" would
        state.ResumeTiming();
    }
    if (form.Label11->text() != QString::number(kEntries + kEntries / kPerSubgroup))
        state.SkipWithError("the final position is not shown");
    state.counters["entries"] = static_cast<double>(kEntries);
    ui::unloadAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

/// The run with Form1's progress display alone, without what follows the run.
void BM_Form1ProgressDuringRun(benchmark::State& state) {
    const Group& g = group();
    ui::MessageRecorder messages;
    ui::Form1& form = ui::show<ui::Form1>();
    QApplication::processEvents();
    convert::IniToVrmInputs in;
    in.sourceDirectory = g.red.string();
    in.sourceName = "Big.INI";
    in.outputDirectory = g.out.string();
    for (auto _ : state) {
        ui::Form1Progress progress(form);
        convert::ConvertRedIniToVrm(in, progress, progress);
        progress.flush();
    }
    if (!messages.messages().empty())
        state.SkipWithError(messages.messages().front().text.toStdString().c_str());
    state.counters["entries"] = static_cast<double>(kEntries);
    ui::unloadAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

constexpr int kLibraryPlaylists = 3063;
constexpr int kPlaylistsPerGroup = 20;
constexpr int kTracksPerPlaylist = 20;

/// A PCDJ FX library in rc/, its RC directory named as a native path.
struct Library {
    bench::ScratchDir dir{"ui-export"};
    fs::path rc = dir.path() / "rc";
    fs::path out = dir.path() / "out";
    std::string rcDirectory = rc.string() + "/";
    Library() {
        fs::create_directories(rc / "Playlists");
        fs::create_directories(out);
        std::ofstream list(rc / "Groups.xml", std::ios::binary);
        list << "<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>\r\n<Groups>\r\n";
        std::string directory, name, playlist;
        std::uint64_t n = 0;
        for (int p = 0; p < kLibraryPlaylists; ++p) {
            if (p % kPlaylistsPerGroup == 0) {
                if (p > 0)
                    list << formats::kGroupEndLine << "\r\n";
                list << formats::groupStartLine("Group " + std::to_string(p / kPlaylistsPerGroup))
                     << "\r\n";
            }
            const std::string sub = "Sub " + std::to_string(p % kPlaylistsPerGroup);
            const fs::path path =
                rc / "Playlists" /
                ("G" + std::to_string(p / kPlaylistsPerGroup) + "_" + sub + ".XML");
            playlist.clear();
            for (auto line : formats::kVrmHead)
                playlist.append(line).append("\r\n");
            for (int t = 0; t < kTracksPerPlaylist; ++t)
                formats::appendMediaLines(playlist, bench::trackPath(n++, directory, name));
            for (auto line : formats::kVrmTail)
                playlist.append(line).append("\r\n");
            std::ofstream(path, std::ios::binary) << playlist;
            list << formats::subgroupLine(sub, path.string()) << "\r\n";
        }
        list << formats::kGroupEndLine << "\r\n" << formats::kRootEndLine << "\r\n";
    }
};

const Library& library() {
    static const Library l;
    return l;
}

/// The command line's dry run without its printing: the engine with a plan that keeps nothing.
void BM_ExportDryRunEngine(benchmark::State& state) {
    const Library& l = library();
    ThrowingMessages messages;
    for (auto _ : state) {
        std::uint64_t files = 0;
        formats::FilePlan plan([&files](std::string_view) { ++files; });
        convert::EngineOptions options;
        options.dryRun = &plan;
        convert::ExportInputs in;
        in.format = convert::ExportFormat::M3u8;
        in.rcDirectory = l.rcDirectory;
        in.output = l.out.string();
        const auto result = convert::ExportLibrary(in, messages, options);
        if (result.playlists != static_cast<std::uint64_t>(kLibraryPlaylists) ||
            files < result.playlists)
            state.SkipWithError("not every playlist was planned");
    }
    state.counters["playlists"] = kLibraryPlaylists;
}

/// Preview in the export window, the results list filled as the user sees it.
void BM_ExportPreviewWindow(benchmark::State& state) {
    const Library& l = library();
    ui::MessageRecorder messages;
    ui::ExportWindow& window = ui::show<ui::ExportWindow>();
    window.rcDirectory->setText(QString::fromStdString(l.rcDirectory));
    window.reloadLibrary();
    window.outputFolder->setText(QString::fromStdString(l.out.string()));
    QApplication::processEvents();
    for (auto _ : state) {
        window.previewClicked();
        QApplication::processEvents();
    }
    if (!messages.messages().empty())
        state.SkipWithError(messages.messages().front().text.toStdString().c_str());
    else if (window.results->topLevelItemCount() == 0 ||
             !window.results->topLevelItem(0)->text(0).startsWith(QStringLiteral("Preview: ")))
        state.SkipWithError("the preview did not finish");
    state.counters["playlists"] = kLibraryPlaylists;
    ui::unloadAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

BENCHMARK(BM_EngineNoOpProgress)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();
BENCHMARK(BM_Form1ProgressDuringRun)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();
BENCHMARK(BM_Form1Window)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();
BENCHMARK(BM_ExportDryRunEngine)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();
BENCHMARK(BM_ExportPreviewWindow)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // No DJ application's settings: the export window starts from the directories it is given.
    bench::ScratchDir emptyPrefix{"ui-prefix"};
    qputenv("WINEPREFIX", emptyPrefix.path().string().c_str());
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
