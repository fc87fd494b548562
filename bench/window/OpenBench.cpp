// Opening a stored file of 100 MiB through the real main window, side by
// side with cp: the window restores it (CVaultDlg::OpenStoredFile, under
// the progress dialog) into the private folder of opened copies up to the
// call that hands it to the desktop (a URL handler stands in for the
// desktop and ends the clock there); cp copies the plain file into a new
// folder of that same private folder. Each side's time includes a flush of
// the volume it wrote to (syncfs), as bench/run.sh counts one for cp and
// the tool. The sides take turns, the one going first alternating; one
// round warms up, then RUNS rounds (default 5) count, and the best of each
// side is compared. Both formats: a scrambled and a protected vault.
//
//   quovex-bench-open [--runs RUNS] [--format scrambled|protected]
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "BenchSupport.h"
#include "Boxes.h"
#include "FileStore.h"
#include "MessageBox.h"
#include "OpenVault.h"
#include "OpenedCopies.h"
#include "RunContext.h"
#include "VaultAccess.h"
#include "VaultApp.h"
#include "VaultDlg.h"

using namespace quovex;
using namespace quovex::bench;

namespace {

constexpr double OPEN_TARGET_RATIO = 1.2;
constexpr std::size_t FILE_SIZE = 100u << 20;
constexpr char BENCH_USER[] = "bench";
constexpr char BENCH_PASSWORD[] = "bench-pw";

struct OpenOptions {
    int nRuns = 5;
    std::string strFormat;  // "scrambled", "protected", or "" for both
};

// Stands in for the desktop: notes the copy the window hands over, which
// ends the window's clock (OpenStoredFile returns right after).
class CDesktop : public QObject {
    Q_OBJECT
public:
    QString m_strOpened;
public slots:
    void Open(const QUrl& url) { m_strOpened = url.toLocalFile(); }
};

// Flushes the volume that holds strPath, as `sync -f` does.
void SyncVolumeOf(const std::string& strPath) {
    const int nFd = ::open(strPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (nFd < 0 || ::syncfs(nFd) != 0) Fail("cannot flush " + strPath);
    ::close(nFd);
}

// A vault of the format at folder, holding the plain file as big.bin.$.
fs::path MakeVault(const fs::path& folder, bool bProtected, const fs::path& plain) {
    CVaultKey key(BENCH_USER, BENCH_PASSWORD);
    KeyRecordBytes vRecord;
    CSecretBytes recovery;
    if (!CreateVault(folder.string(), BENCH_PASSWORD, bProtected, KDF_FASTEST_LIMITS, &key,
                     &vRecord, &recovery, CVaultEnv::Default())
             .Opened())
        Fail("cannot make a vault at " + folder.string());
    CreateBoxFolders(folder.string(), CVaultEnv::Default());
    const fs::path stored = fs::path(BoxFolderPath(folder.string(), BOX_FILE)) / "big.bin.$";
    RunContext run;
    if (CFileStore(key, CVaultEnv::Default())
            .StoreFile(plain.string(), stored.string(), run)
            .nOutcome != FileOutcome::FILE_DONE)
        Fail("cannot store " + plain.string());
    return stored;
}

class COpenBench {
public:
    COpenBench(const fs::path& work, const fs::path& plain, int nRuns)
        : m_work(work), m_plain(plain), m_nRuns(nRuns) {
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &m_desktop, "Open");
    }
    ~COpenBench() { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    COpenBench(const COpenBench&) = delete;
    COpenBench& operator=(const COpenBench&) = delete;

    void Measure(bool bProtected);

private:
    double RunWindow(CVaultDlg& dlg, const fs::path& stored);
    double RunCp();

    fs::path m_work;
    fs::path m_plain;
    int m_nRuns;
    CDesktop m_desktop;
    CMessageBoxScript m_script;  // a box asked for during a run fails the benchmark
    int m_nCp = 0;
};

double COpenBench::RunWindow(CVaultDlg& dlg, const fs::path& stored) {
    m_desktop.m_strOpened.clear();
    ::sync();
    const Clock::time_point t0 = Clock::now();
    dlg.OpenStoredFile(QString::fromStdString(stored.string()));
    if (m_desktop.m_strOpened.isEmpty()) Fail("the window handed nothing over");
    const std::string strCopy = m_desktop.m_strOpened.toStdString();
    SyncVolumeOf(fs::path(strCopy).parent_path().string());
    const double dMs = MsSince(t0);
    if (!m_script.Requests().empty())
        Fail("the window asked: " + m_script.Requests().front().strText.toStdString());
    if (fs::file_size(strCopy) != FILE_SIZE) Fail("the copy is not whole");
    dlg.CloseOpenedCopies();  // unchanged: deleted without a question
    return dMs;
}

double COpenBench::RunCp() {
    const fs::path folder =
        fs::path(OpenedCopiesFolder().toStdString()) / ("cp" + std::to_string(++m_nCp));
    fs::create_directory(folder);
    ::sync();
    const Clock::time_point t0 = Clock::now();
    QProcess cp;
    cp.start(QStringLiteral("cp"), {QString::fromStdString(m_plain.string()),
                                    QString::fromStdString((folder / "big.bin").string())});
    if (!cp.waitForFinished(-1) || cp.exitStatus() != QProcess::NormalExit || cp.exitCode() != 0)
        Fail("cp failed");
    SyncVolumeOf(folder.string());
    const double dMs = MsSince(t0);
    fs::remove_all(folder);
    return dMs;
}

void COpenBench::Measure(bool bProtected) {
    const char* pszFormat = bProtected ? "protected" : "scrambled";
    const fs::path location = m_work / (std::string(pszFormat) + "-vault");
    const fs::path stored = MakeVault(location, bProtected, m_plain);
    CVaultApp app{CVaultEnv::Default()};
    COpenVault vault(QString::fromStdString(location.string()), BENCH_USER, BENCH_PASSWORD,
                     CVaultEnv::Default());
    if (!vault.Open(BENCH_PASSWORD).Opened()) Fail("cannot open the vault");
    CVaultDlg dlg(vault, app);
    dlg.show();
    QCoreApplication::processEvents();

    CRunTimes windowTimes;
    CRunTimes cpTimes;
    for (int nRound = 0; nRound <= m_nRuns; ++nRound) {
        for (int nSide = 0; nSide < 2; ++nSide) {
            const bool bWindow = (nSide == 0) == (nRound % 2 == 0);
            const double dMs = bWindow ? RunWindow(dlg, stored) : RunCp();
            std::fprintf(stderr, "  %s %s: %.3f s\n", pszFormat, bWindow ? "window" : "cp",
                         dMs / 1000);
            if (nRound > 0) (bWindow ? windowTimes : cpTimes).Add(dMs);
        }
    }
    std::string strCase = "open 100 MiB, ";
    strCase += pszFormat;
    PrintRatioRow(strCase, windowTimes, cpTimes, "window", "cp", OPEN_TARGET_RATIO);
}

OpenOptions ParseOptions(int argc, char** argv) {
    OpenOptions options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string strOption = argv[i];
        if (strOption == "--runs") {
            options.nRuns = std::max(1, std::atoi(argv[i + 1]));
        } else if (strOption == "--format") {
            options.strFormat = argv[i + 1];
        } else {
            Fail("unknown option " + strOption);
        }
    }
    return options;
}

}  // namespace

int main(int argc, char** argv) {
    const OpenOptions options = ParseOptions(argc, argv);
    QTemporaryDir workDir(QDir::tempPath() + QStringLiteral("/quovex-bench-open.XXXXXX"));
    if (!workDir.isValid()) Fail("no temporary folder");
    const fs::path work = workDir.path().toStdString();
    UseTemporaryHome(work / "home");
    QApplication application(argc, argv);

    std::fprintf(stderr, "Preparing 100 MiB of random data in %s ...\n", work.c_str());
    std::string strData(FILE_SIZE, '\0');
    std::mt19937_64 rng(100);
    for (std::size_t i = 0; i + 8 <= strData.size(); i += 8) {
        const std::uint64_t nValue = rng();
        std::memcpy(&strData[i], &nValue, 8);
    }
    const fs::path plain = work / "big.bin";
    WriteFile(plain, strData);
    strData.clear();

    std::printf(
        "Opening a stored file through the main window beside cp into the same folder,"
        " flush counted: best of %d after a warm-up\n",
        options.nRuns);
    PrintRow("case", "window (s)", "cp (s)", "ratio", "target", "");
    COpenBench bench(work, plain, options.nRuns);
    for (const bool bProtected : {false, true}) {
        const char* pszFormat = bProtected ? "protected" : "scrambled";
        if (options.strFormat.empty() || options.strFormat == pszFormat) bench.Measure(bProtected);
    }
    return 0;
}

#include "OpenBench.moc"
