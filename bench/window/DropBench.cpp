// Drops through the real main window, side by side with quovex-tool:
//   folder: a folder of 10,000 files of 1 KiB dropped on the window
//           (CVaultDlg::StartAddFromDrop under the progress dialog) and
//           stored by `quovex-tool store` into another vault;
//   files:  1,000 separate files dropped into a box that holds 5,000 stored
//           files, and the same 1,000 stored by the tool into a copy of
//           that vault.
// The window is shown offscreen with the vault's credentials, and the box
// is shown in its contents tree before the drop, as when the user selected
// it. Sources are deleted after storing on both sides, as by default (with
// --keep-source they are kept on both). Every run gets fresh copies of its
// sources and a vault of its own. The two sides take turns, and which goes
// first alternates. One round warms up, then RUNS rounds (default 3)
// count; the best of each side is compared.
//
// Every run deletes its 10,000 or 1,000 sources, and on ext4 without a
// journal (as on many virtual machines) each new file is checked against
// the inodes deleted in the last 30 seconds: a run right after another
// would measure its predecessor's deletions. So each counted run waits
// until the last run ended PAUSE seconds ago (default 36; 0 for a quick
// look), as bench/run.sh does. Takes about ten minutes with the defaults.
// Even so the deletions of the sources, on a disk shared with others, can
// vary from run to run by more than all the rest; --keep-source leaves them
// out and shows the difference between the two sides more steadily.
//
//   quovex-bench-drop [--runs RUNS] [--pause SECONDS] [--case folder|files]
//                     [--keep-source] [--tool PATH]
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <random>
#include <string>
#include <thread>

#include "BenchSupport.h"
#include "Boxes.h"
#include "MessageBox.h"
#include "OpenVault.h"
#include "VaultApp.h"
#include "VaultDlg.h"

using namespace quovex;
using namespace quovex::bench;

namespace {

constexpr double DROP_TARGET_RATIO = 1.5;
constexpr char BENCH_USER[] = "bench";
constexpr char BENCH_PASSWORD[] = "bench-pw";
constexpr std::size_t FILE_SIZE = 1024;

// One benchmark case: templates made once, copied afresh for every run.
struct DropCase {
    std::string strTitle;
    fs::path sources;     // template: the folder dropped, or the folder of the dropped files
    fs::path vault;       // template vault, or "" for an empty one
    bool bDropFolder;     // drop the folder itself rather than the files in it
    std::size_t nStored;  // files in the box after a run
};

struct DropOptions {
    int nRuns = 3;
    int nPauseS = 36;
    bool bKeepSource = false;
    std::string strCase;  // "folder", "files", or "" for both
    QString strTool = QStringLiteral(QUOVEX_TOOL_PATH);
};

// What one run drops, and where to.
struct DropRun {
    std::vector<fs::path> vDropList;
    fs::path box;
};

class CSideBySide {
public:
    CSideBySide(const fs::path& work, const DropOptions& options)
        : m_work(work), m_options(options) {}

    // Rounds of one window run and one tool run; prints the result row.
    void Measure(CVaultDlg& dlg, const DropCase& dropCase);

private:
    DropRun Prepare(const DropCase& dropCase, const std::string& strRun) const;
    double RunWindow(CVaultDlg& dlg, const DropRun& run, const DropCase& dropCase);
    double RunTool(const DropRun& run, const DropCase& dropCase) const;
    void CheckStored(const DropRun& run, const DropCase& dropCase) const;
    // Waits until the last run ended the pause ago.
    void Pause() const;

    fs::path m_work;
    const DropOptions& m_options;
    CMessageBoxScript m_script;  // a box asked for during a run fails the benchmark
    int m_nRun = 0;
    Clock::time_point m_lastEnd = Clock::now();
};

std::string RandomBytes(std::mt19937& rng, std::size_t nSize) {
    std::string strBytes(nSize, '\0');
    for (char& c : strBytes) c = static_cast<char>(rng());
    return strBytes;
}

// nCount files of FILE_SIZE random bytes named prefix00000, prefix00001 ...
void MakeFiles(const fs::path& folder, const std::string& strPrefix, int nCount,
               const std::string& strSuffix) {
    std::mt19937 rng(nCount);
    fs::create_directories(folder);
    for (int i = 0; i < nCount; ++i) {
        const std::string strNumber = std::to_string(100000 + i).substr(1);
        WriteFile(folder / (strPrefix + strNumber + strSuffix), RandomBytes(rng, FILE_SIZE));
    }
}

QStringList ToolStoreArguments(const std::vector<fs::path>& vPaths, const fs::path& box,
                               bool bKeepSource) {
    // Scrambled, as the window's drops are here: each vault holds scrambled
    // files, or is the four empty boxes of an empty scrambled vault.
    QStringList args{QStringLiteral("store"), QStringLiteral("--user"), BENCH_USER,
                     QStringLiteral("--password"), BENCH_PASSWORD};
    if (bKeepSource) args << QStringLiteral("--keep-source");
    for (const fs::path& path : vPaths) args << QString::fromStdString(path.string());
    args << QString::fromStdString(box.string());
    return args;
}

// Runs quovex-tool; its time in milliseconds, from start to exit.
double RunToolProcess(const QString& strTool, const QStringList& args) {
    QProcess tool;
    tool.setStandardOutputFile(QProcess::nullDevice());
    const Clock::time_point t0 = Clock::now();
    tool.start(strTool, args);
    if (!tool.waitForFinished(-1) || tool.exitStatus() != QProcess::NormalExit ||
        tool.exitCode() != 0) {
        Fail("quovex-tool failed: " + tool.readAllStandardError().toStdString());
    }
    return MsSince(t0);
}

std::vector<fs::path> SortedEntries(const fs::path& folder) {
    std::vector<fs::path> vPaths;
    for (const auto& entry : fs::directory_iterator(folder)) vPaths.push_back(entry.path());
    std::sort(vPaths.begin(), vPaths.end());
    return vPaths;
}

}  // namespace

DropRun CSideBySide::Prepare(const DropCase& dropCase, const std::string& strRun) const {
    const fs::path runFolder = m_work / strRun;
    DropRun run;
    const fs::path vault = runFolder / "vault";
    fs::create_directories(runFolder);
    if (dropCase.vault.empty()) {
        CreateBoxFolders(vault.string(), CVaultEnv::Default());
    } else {
        fs::copy(dropCase.vault, vault, fs::copy_options::recursive);
    }
    run.box = BoxFolderPath(vault.string(), BOX_FILE);
    const fs::path sources = runFolder / "src" / dropCase.sources.filename();
    fs::create_directories(sources.parent_path());
    fs::copy(dropCase.sources, sources, fs::copy_options::recursive);
    run.vDropList = dropCase.bDropFolder ? std::vector<fs::path>{sources} : SortedEntries(sources);
    return run;
}

void CSideBySide::CheckStored(const DropRun& run, const DropCase& dropCase) const {
    if (CountFiles(run.box) != dropCase.nStored) Fail("not every file was stored");
    for (const fs::path& path : run.vDropList) {
        if (fs::exists(fs::symlink_status(path)) != m_options.bKeepSource)
            Fail("a source was kept or deleted against the setting: " + path.string());
    }
}

double CSideBySide::RunWindow(CVaultDlg& dlg, const DropRun& run, const DropCase& dropCase) {
    const QString strBox = QString::fromStdString(run.box.string());
    // The box is the one selected and shown when the user drops.
    dlg.ShowBoxContents(strBox);
    QCoreApplication::processEvents();
    QStringList vDropList;
    for (const fs::path& path : run.vDropList) vDropList << QString::fromStdString(path.string());
    int nRefreshes = 0;
    const QMetaObject::Connection counting =
        QObject::connect(&dlg, &CVaultDlg::BoxContentsRequested, [&] { ++nRefreshes; });
    ::sync();
    const Clock::time_point t0 = Clock::now();
    dlg.StartAddFromDrop(vDropList, strBox);
    const double dMs = MsSince(t0);
    QObject::disconnect(counting);
    std::fprintf(stderr, "  (the tree showed the box %d times)\n", nRefreshes);
    if (!m_script.Requests().empty())
        Fail("the window asked: " + m_script.Requests().front().strText.toStdString());
    CheckStored(run, dropCase);
    return dMs;
}

double CSideBySide::RunTool(const DropRun& run, const DropCase& dropCase) const {
    const QStringList args = ToolStoreArguments(run.vDropList, run.box, m_options.bKeepSource);
    ::sync();
    const double dMs = RunToolProcess(m_options.strTool, args);
    CheckStored(run, dropCase);
    return dMs;
}

void CSideBySide::Pause() const {
    const auto wait = std::chrono::seconds(m_options.nPauseS) - (Clock::now() - m_lastEnd);
    if (wait > Clock::duration::zero()) std::this_thread::sleep_for(wait);
}

void CSideBySide::Measure(CVaultDlg& dlg, const DropCase& dropCase) {
    CRunTimes windowTimes;
    CRunTimes toolTimes;
    for (int nRound = 0; nRound <= m_options.nRuns; ++nRound) {
        for (int nSide = 0; nSide < 2; ++nSide) {
            const bool bWindow = (nSide == 0) == (nRound % 2 == 0);
            const std::string strRun = "run" + std::to_string(++m_nRun);
            const DropRun run = Prepare(dropCase, strRun);
            if (nRound > 0) Pause();
            const double dMs = bWindow ? RunWindow(dlg, run, dropCase) : RunTool(run, dropCase);
            m_lastEnd = Clock::now();
            std::fprintf(stderr, "  %s %s: %.3f s\n", dropCase.strTitle.c_str(),
                         bWindow ? "window" : "tool", dMs / 1000);
            if (nRound > 0) (bWindow ? windowTimes : toolTimes).Add(dMs);
        }
    }
    PrintRatioRow(dropCase.strTitle, windowTimes, toolTimes, "window", "tool", DROP_TARGET_RATIO);
}

DropOptions ParseOptions(int argc, char** argv) {
    DropOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string strOption = argv[i];
        if (strOption == "--keep-source") {
            options.bKeepSource = true;
            continue;
        }
        if (i + 1 == argc) Fail("no value for " + strOption);
        const char* pszValue = argv[++i];
        if (strOption == "--runs") {
            options.nRuns = std::max(1, std::atoi(pszValue));
        } else if (strOption == "--pause") {
            options.nPauseS = std::max(0, std::atoi(pszValue));
        } else if (strOption == "--case") {
            options.strCase = pszValue;
        } else if (strOption == "--tool") {
            options.strTool = QString::fromLocal8Bit(pszValue);
        } else {
            Fail("unknown option " + strOption);
        }
    }
    return options;
}

int main(int argc, char** argv) {
    const DropOptions options = ParseOptions(argc, argv);
    QTemporaryDir workDir(QDir::tempPath() + QStringLiteral("/quovex-bench-drop.XXXXXX"));
    if (!workDir.isValid()) Fail("no temporary folder");
    const fs::path work = workDir.path().toStdString();
    UseTemporaryHome(work / "home");
    QApplication application(argc, argv);

    std::fprintf(stderr, "Preparing sources in %s ...\n", work.c_str());
    const fs::path data = work / "data";
    MakeFiles(data / "folder", "f", 10000, "");
    MakeFiles(data / "files", "new", 1000, ".txt");
    MakeFiles(data / "old", "old", 5000, ".txt");
    CreateBoxFolders((data / "vault").string(), CVaultEnv::Default());
    RunToolProcess(options.strTool,
                   ToolStoreArguments(SortedEntries(data / "old"),
                                      BoxFolderPath((data / "vault").string(), BOX_FILE), true));
    const std::vector<DropCase> vCases = {
        {"drop folder of 10,000 x 1 KiB", data / "folder", "", true, 10000},
        {"drop 1,000 files into 5,000-file box", data / "files", data / "vault", false, 6000},
    };

    CVaultApp app{CVaultEnv::Default()};
    app.m_bDeleteSource = !options.bKeepSource;
    COpenVault vault(QString::fromStdString((data / "vault").string()), BENCH_USER, BENCH_PASSWORD,
                     CVaultEnv::Default());
    CVaultDlg dlg(vault, app);
    dlg.show();
    QCoreApplication::processEvents();
    CSideBySide sideBySide(work, options);

    std::printf(
        "Drops through the main window beside quovex-tool, sources %s: best of %d after "
        "a warm-up\n",
        options.bKeepSource ? "kept" : "deleted", options.nRuns);
    PrintRow("case", "window (s)", "tool (s)", "ratio", "target", "");
    for (const DropCase& dropCase : vCases) {
        const bool bFolder = dropCase.bDropFolder;
        if (options.strCase.empty() || options.strCase == (bFolder ? "folder" : "files"))
            sideBySide.Measure(dlg, dropCase);
    }
    return 0;
}
