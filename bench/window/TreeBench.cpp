// The contents tree with a large folder, on the real CContentsTree:
//   1. a box folder of COUNT entries shown, its root expanded and painted;
//   2. a sub-folder of COUNT entries expanded and painted.
//   3. (no target) the box shown afresh over itself, as after each dropped
//      item during a drop.
// Each case runs once to warm up, then RUNS times; the best counts, the
// median is shown beside it.
//
//   quovex-bench-tree [--hidden] [COUNT [RUNS]]   (default 20,000 entries, 5 runs)
//
// --hidden: the names are sealed as a vault that hides its names seals
// them, and the tree opens every one of them.
//
// The entries are stored-file names ("name.$"), ASCII and Chinese with
// case variants, and every 40th is a folder, every other one of those
// holding a file, so the look-ahead of each sub-folder finds both answers.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTreeWidgetItem>
#include <cstdio>
#include <random>
#include <string>

#include "BenchSupport.h"
#include "ContentsTree.h"

using namespace quovex;
using namespace quovex::bench;

namespace {

constexpr double TREE_TARGET_MS = 200.0;

// Fills folder (plain path strPlain in the vault) with nCount entries in a
// shuffled order of creation, named by naming.
void MakeEntries(const fs::path& folder, const std::string& strPlain, int nCount,
                 const CBenchNaming& naming) {
    static const char* const PREFIXES[] = {"报告",   "IMG_",    "report-", "Scan ", "照片",
                                           "notes_", "Invoice", "发票",    "a",     "B"};
    static const char* const EXTENSIONS[] = {".doc", ".jpg", ".pdf", ".txt", ".xlsx", ".mp4"};
    std::vector<int> vOrder(nCount);
    for (int i = 0; i < nCount; ++i) vOrder[i] = i;
    std::shuffle(vOrder.begin(), vOrder.end(), std::mt19937(7));
    fs::create_directories(folder);
    for (int i : vOrder) {
        const std::string strNumber = std::to_string(100000 + i).substr(1);
        if (i % 40 == 0) {
            const std::string strName = std::string(i % 80 ? "项目 " : "Project_") + strNumber;
            const fs::path sub = folder / naming.Folder(strPlain, strName);
            fs::create_directory(sub);
            if (i % 80 == 0) WriteFile(sub / naming.File(strPlain + "/" + strName, "a.txt"), "");
            continue;
        }
        WriteFile(folder / naming.File(strPlain, std::string(PREFIXES[i % 10]) + strNumber +
                                                     EXTENSIONS[i % 6]),
                  "");
    }
}

// Lets the tree lay out its items and paint, as the event loop would
// right after the call that changed it; makes sure a paint happened.
void PaintNow(CContentsTree& tree, CPaintCounter& counter) {
    const int nBefore = counter.m_nPaints;
    QCoreApplication::processEvents();
    if (counter.m_nPaints == nBefore) tree.viewport()->repaint();
    if (counter.m_nPaints == nBefore) Fail("the tree did not paint");
}

QTreeWidgetItem* ChildNamed(QTreeWidgetItem* pParent, const QString& strText) {
    for (int i = 0; i < pParent->childCount(); ++i) {
        if (pParent->child(i)->text(0) == strText) return pParent->child(i);
    }
    Fail("no item " + strText.toStdString());
}

void Report(const std::string& strCase, const CRunTimes& times) {
    PrintRow(strCase, Fixed(times.Best(), 1), Fixed(times.Median(), 1), "",
             "< " + Fixed(TREE_TARGET_MS, 0), Verdict(times.Best(), TREE_TARGET_MS - 1e-9));
}

}  // namespace

int main(int argc, char** argv) {
    const CBenchNaming naming(TakeHiddenOption(&argc, argv));
    const int nCount = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20000;
    const int nRuns = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    QTemporaryDir work(QDir::tempPath() + QStringLiteral("/quovex-bench-tree.XXXXXX"));
    if (!work.isValid()) Fail("no temporary folder");
    const fs::path root = work.path().toStdString();
    UseTemporaryHome(root / "home");
    QApplication app(argc, argv);

    std::fprintf(stderr, "Preparing %d entries twice in %s ...\n", nCount, root.c_str());
    const fs::path box = root / "vault" / "FileBox";
    MakeEntries(box, "FileBox", nCount, naming);
    const fs::path other = root / "vault" / "ImageBox";
    const fs::path big = other / naming.Folder("ImageBox", "big");
    MakeEntries(big, "ImageBox/big", nCount, naming);
    fs::create_directories(other / "small");
    const fs::path empty = root / "vault" / "OtherBox";
    fs::create_directories(empty);

    // About the size of the tree in a main window that fills a small screen.
    CContentsTree tree;
    tree.SetVault(naming.Key(), CVaultEnv::Default());
    tree.resize(400, 700);
    CPaintCounter counter;
    tree.viewport()->installEventFilter(&counter);
    tree.show();
    QCoreApplication::processEvents();

    // 1. Selecting the box: the tree shows another box before, as it would.
    CRunTimes showTimes;
    for (int nRun = 0; nRun <= nRuns; ++nRun) {
        tree.ShowFolder(QString::fromStdString(empty.string()), true);
        PaintNow(tree, counter);
        const Clock::time_point t0 = Clock::now();
        tree.ShowFolder(QString::fromStdString(box.string()), true);
        PaintNow(tree, counter);
        const double dMs = MsSince(t0);
        QTreeWidgetItem* pRoot = tree.topLevelItem(0);
        if (!pRoot || !pRoot->isExpanded() || pRoot->childCount() != nCount)
            Fail("the box was not listed in full");
        if (nRun > 0) showTimes.Add(dMs);
    }

    // 3. The box again over itself: its old items go first.
    CRunTimes againTimes;
    for (int nRun = 0; nRun <= nRuns; ++nRun) {
        const Clock::time_point t0 = Clock::now();
        tree.ShowFolder(QString::fromStdString(box.string()), true);
        PaintNow(tree, counter);
        if (nRun > 0) againTimes.Add(MsSince(t0));
    }

    // 2. Expanding the sub-folder; collapsing it again throws its items away.
    CRunTimes expandTimes;
    tree.ShowFolder(QString::fromStdString(other.string()), true);
    PaintNow(tree, counter);
    QTreeWidgetItem* pBig = ChildNamed(tree.topLevelItem(0), QStringLiteral("big"));
    for (int nRun = 0; nRun <= nRuns; ++nRun) {
        const Clock::time_point t0 = Clock::now();
        pBig->setExpanded(true);
        PaintNow(tree, counter);
        const double dMs = MsSince(t0);
        if (pBig->childCount() != nCount) Fail("the sub-folder was not listed in full");
        pBig->setExpanded(false);
        PaintNow(tree, counter);
        if (nRun > 0) expandTimes.Add(dMs);
    }

    std::printf("Contents tree, %d entries%s: best of %d after a warm-up (median beside it)\n",
                nCount, naming.Key() ? " with hidden names, every one opened" : "", nRuns);
    PrintRow("case", "best (ms)", "median", "", "target", "");
    Report("box shown, root expanded, painted", showTimes);
    Report("sub-folder expanded, painted", expandTimes);
    PrintRow("box shown afresh over itself", Fixed(againTimes.Best(), 1),
             Fixed(againTimes.Median(), 1), "", "-", "");
    return 0;
}
