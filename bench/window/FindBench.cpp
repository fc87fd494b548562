// Finding in a large box, on the real contents tree and find field: a box
// of COUNT files in FOLDERS folders (ten groups of sub-folders, so names lie
// three levels deep), a query typed one character at a time, and for each
// keystroke the time from the key until its result is shown in the tree and
// painted. The query is typed RUNS times after a warm-up, Escape giving the
// whole tree back between runs; the best, median and worst count per
// keystroke, and beside them the median processor time the process spent
// meanwhile (all threads): on a machine that others keep busy the waiting
// swells the times, not that. Last, one keystroke that every file name answers ("$"), with
// no target: nobody looks for that, but it is the most a result can hold.
//
//   quovex-bench-find [--hidden] [COUNT [RUNS]]   (default 100,000 files, 5 runs)
//
// --hidden: the names are sealed as a vault that hides its names seals
// them; the find's reading of the box opens every one of them (once: the
// keystrokes after the first search the reading).
#include <sys/resource.h>

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "ContentsTree.h"
#include "FindField.h"

using namespace quovex;
using namespace quovex::bench;

namespace {

constexpr double FIND_TARGET_MS = 150.0;
constexpr int FOLDERS = 1000;
const char* const QUERY = "report-04";

// nCount files below box in FOLDERS folders of ten groups, named as stored
// files are (ASCII and Chinese, case variants), by naming.
void MakeBox(const fs::path& box, int nCount, const CBenchNaming& naming) {
    static const char* const PREFIXES[] = {"报告",   "IMG_",    "report-", "Scan ", "照片",
                                           "notes_", "Invoice", "发票",    "a",     "B"};
    static const char* const EXTENSIONS[] = {".doc", ".jpg", ".pdf", ".txt", ".xlsx", ".mp4"};
    std::vector<std::pair<fs::path, std::string>> vFolders;
    for (int i = 0; i < FOLDERS; ++i) {
        const std::string strNumber = std::to_string(1000 + i).substr(1);
        const std::string strGroup = "Group " + std::to_string(i % 10);
        const std::string strName = std::string(i % 2 ? "项目 " : "Project_") + strNumber;
        const std::string strGroupPlain = "FileBox/" + strGroup;
        const fs::path folder =
            box / naming.Folder("FileBox", strGroup) / naming.Folder(strGroupPlain, strName);
        fs::create_directories(folder);
        vFolders.emplace_back(folder, strGroupPlain + "/" + strName);
    }
    for (int i = 0; i < nCount; ++i) {
        const std::string strNumber = std::to_string(100000 + i).substr(1);
        const auto& [folder, strPlain] = vFolders[static_cast<std::size_t>(i % FOLDERS)];
        WriteFile(folder / naming.File(strPlain, std::string(PREFIXES[i % 10]) + strNumber +
                                                     EXTENSIONS[i % 6]),
                  "");
    }
}

// Processor time of the whole process so far, user and system.
double CpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto Ms = [](const timeval& tv) { return tv.tv_sec * 1e3 + tv.tv_usec / 1e3; };
    return Ms(usage.ru_utime) + Ms(usage.ru_stime);
}

struct CBench {
    CContentsTree* pTree = nullptr;
    QLineEdit* pField = nullptr;
    CPaintCounter counter;

    // Presses the key (with its text) in the field and returns the time
    // until the find it starts has its result shown and painted.
    double Keystroke(int nKey, const QString& strText, double* pCpuMs) {
        QEventLoop loop;
        QTimer guard;
        guard.setSingleShot(true);
        bool bShown = false;
        const auto shown = QObject::connect(pTree, &CContentsTree::FoundShown, &loop, [&] {
            bShown = true;
            loop.quit();
        });
        QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
        const double dCpu0 = CpuMs();
        const Clock::time_point t0 = Clock::now();
        QKeyEvent press(QEvent::KeyPress, nKey, Qt::NoModifier, strText);
        QApplication::sendEvent(pField, &press);
        guard.start(60000);
        loop.exec();
        QObject::disconnect(shown);
        if (!bShown) Fail("no result shown for " + pField->text().toStdString());
        const int nBefore = counter.m_nPaints;
        QCoreApplication::processEvents();
        if (counter.m_nPaints == nBefore) pTree->viewport()->repaint();
        if (counter.m_nPaints == nBefore) Fail("the tree did not paint");
        const double dMs = MsSince(t0);
        *pCpuMs = CpuMs() - dCpu0;
        return dMs;
    }

    void Escape() {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(pField, &press);
        QCoreApplication::processEvents();
        if (!pField->text().isEmpty() || !pTree->FindText().isEmpty()) Fail("Escape left the find");
    }
};

int KeyOf(char c) {
    if (c >= 'a' && c <= 'z') return Qt::Key_A + (c - 'a');
    if (c >= '0' && c <= '9') return Qt::Key_0 + (c - '0');
    return c == '-' ? Qt::Key_Minus : Qt::Key_Dollar;
}

}  // namespace

int main(int argc, char** argv) {
    const CBenchNaming naming(TakeHiddenOption(&argc, argv));
    const int nCount = argc > 1 ? std::max(FOLDERS, std::atoi(argv[1])) : 100000;
    const int nRuns = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    QTemporaryDir work(QDir::tempPath() + QStringLiteral("/quovex-bench-find.XXXXXX"));
    if (!work.isValid()) Fail("no temporary folder");
    const fs::path root = work.path().toStdString();
    UseTemporaryHome(root / "home");
    QApplication app(argc, argv);

    std::fprintf(stderr, "Preparing %d files in %d folders in %s ...\n", nCount, FOLDERS,
                 root.c_str());
    const fs::path box = root / "vault" / "FileBox";
    MakeBox(box, nCount, naming);

    // The field above the tree, about the size of a main window that fills
    // a small screen.
    QWidget window;
    auto* pLayout = new QVBoxLayout(&window);
    CBench bench;
    bench.pField = new QLineEdit(&window);
    bench.pTree = new CContentsTree(&window);
    bench.pTree->SetVault(naming.Key(), CVaultEnv::Default());
    pLayout->addWidget(bench.pField);
    pLayout->addWidget(bench.pTree);
    new CFindField(bench.pField, bench.pTree);
    window.resize(400, 740);
    bench.pTree->viewport()->installEventFilter(&bench.counter);
    window.show();
    bench.pTree->ShowFolder(QString::fromStdString(box.string()), true);
    QCoreApplication::processEvents();

    const std::string strQuery = QUERY;
    std::vector<CRunTimes> vTimes(strQuery.size());
    std::vector<CRunTimes> vCpu(strQuery.size());
    double dCpuMs = 0;
    for (int nRun = 0; nRun <= nRuns; ++nRun) {
        for (std::size_t i = 0; i < strQuery.size(); ++i) {
            const double dMs =
                bench.Keystroke(KeyOf(strQuery[i]), QString(QChar(strQuery[i])), &dCpuMs);
            if (nRun == 0) continue;
            vTimes[i].Add(dMs);
            vCpu[i].Add(dCpuMs);
        }
        if (!bench.pTree->FirstFoundItem()) Fail("the query found nothing");
        bench.Escape();
    }
    CRunTimes allTimes, allCpu;
    for (int nRun = 0; nRun <= nRuns; ++nRun) {
        const double dMs = bench.Keystroke(KeyOf('$'), QStringLiteral("$"), &dCpuMs);
        if (nRun > 0) {
            allTimes.Add(dMs);
            allCpu.Add(dCpuMs);
        }
        bench.Escape();
    }

    std::printf(
        "Find in a box of %d files in %d folders%s: each keystroke until its result is "
        "shown, best of %d after a warm-up\n",
        nCount, FOLDERS, naming.Key() ? " with hidden names" : "", nRuns);
    PrintRow("keystroke (text so far)", "best (ms)", "median", "worst", "target", "cpu (ms)");
    for (std::size_t i = 0; i < strQuery.size(); ++i) {
        const CRunTimes& times = vTimes[i];
        // Built by appending: GCC 12 at -O3 sees a false overlap in "x" + std::string.
        std::string strKeys(1, '"');
        strKeys.append(strQuery, 0, i + 1).push_back('"');
        std::string strTarget("<= ");
        strTarget.append(Fixed(FIND_TARGET_MS, 0));
        PrintRow(strKeys, Fixed(times.Best(), 1), Fixed(times.Median(), 1), Fixed(times.Worst(), 1),
                 strTarget,
                 std::string(Verdict(times.Median(), FIND_TARGET_MS)) + "  " +
                     Fixed(vCpu[i].Median(), 1));
    }
    PrintRow("\"$\" (every file found)", Fixed(allTimes.Best(), 1), Fixed(allTimes.Median(), 1),
             Fixed(allTimes.Worst(), 1), "-", "       " + Fixed(allCpu.Median(), 1));
    std::printf("verdicts on the median time; cpu: the median processor time of all threads\n");
    return 0;
}
