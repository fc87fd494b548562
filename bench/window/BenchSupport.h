// Shared by the main-window benchmarks: a temporary home for the process,
// generated files, and the figures of several timed runs.
#pragma once

#include <QByteArray>
#include <QEvent>
#include <QObject>
#include <QString>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "SecretBytes.h"
#include "VaultEnv.h"
#include "VaultKey.h"
#include "VaultNames.h"

namespace quovex::bench {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

inline double MsSince(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

// Ends the benchmark with a message: a figure measured on a run that did
// not do its work would be worthless.
[[noreturn]] inline void Fail(const std::string& strWhy) {
    std::fprintf(stderr, "benchmark failed: %s\n", strWhy.c_str());
    std::exit(1);
}

// Points HOME, XDG_CONFIG_HOME and XDG_RUNTIME_DIR below home, so that
// neither the user's settings nor $HOME/Box are ever touched, and picks the
// offscreen platform unless QT_QPA_PLATFORM names one. Call before the
// QApplication exists: QSettings and QStandardPaths read the variables once.
inline void UseTemporaryHome(const fs::path& home) {
    fs::create_directories(home / "config");
    fs::create_directories(home / "runtime");
    fs::permissions(home / "runtime", fs::perms::owner_all);
    qputenv("HOME", QByteArray::fromStdString(home.string()));
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString((home / "config").string()));
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString((home / "runtime").string()));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
}

// Writes bytes to a new file at path.
inline void WriteFile(const fs::path& path, std::string_view bytes) {
    std::ofstream file(path, std::ios::binary);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file.flush()) Fail("cannot write " + path.string());
}

// Number of regular files below folder, at any depth.
inline std::size_t CountFiles(const fs::path& folder) {
    std::size_t nCount = 0;
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        if (it->is_regular_file()) ++nCount;
    }
    return nCount;
}

// The times of the counted runs of one case, in milliseconds.
class CRunTimes {
public:
    void Add(double dMs) { m_vMs.push_back(dMs); }
    double Best() const { return *std::min_element(m_vMs.begin(), m_vMs.end()); }
    double Worst() const { return *std::max_element(m_vMs.begin(), m_vMs.end()); }
    double Median() const {
        std::vector<double> v = m_vMs;
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    }

private:
    std::vector<double> m_vMs;
};

// "met" when dValue is at most dTarget, else "MISSED".
inline const char* Verdict(double dValue, double dTarget) {
    return dValue <= dTarget ? "met" : "MISSED";
}

// One line of a result table, in the columns of bench/run.sh.
inline void PrintRow(const std::string& strCase, const std::string& strA, const std::string& strB,
                     const std::string& strRatio, const std::string& strTarget,
                     const std::string& strVerdict) {
    std::printf("%-40s %10s %10s %8s %10s  %s\n", strCase.c_str(), strA.c_str(), strB.c_str(),
                strRatio.c_str(), strTarget.c_str(), strVerdict.c_str());
    std::fflush(stdout);
}

inline std::string Fixed(double dValue, int nDecimals) {
    char szText[32];
    std::snprintf(szText, sizeof szText, "%.*f", nDecimals, dValue);
    return szText;
}

// The row of a case timed side by side: best times in seconds, their ratio
// against dTarget, then the medians of both sides named strA and strB.
inline void PrintRatioRow(const std::string& strCase, const CRunTimes& a, const CRunTimes& b,
                          const char* pszA, const char* pszB, double dTarget) {
    const double dRatio = a.Best() / b.Best();
    std::string strTarget = "<= ";
    strTarget += Fixed(dTarget, 1);
    strTarget += "x";
    PrintRow(strCase, Fixed(a.Best() / 1000, 3), Fixed(b.Best() / 1000, 3), Fixed(dRatio, 2) + "x",
             strTarget, Verdict(dRatio, dTarget));
    std::printf("  medians: %s %.3f s, %s %.3f s\n", pszA, a.Median() / 1000, pszB,
                b.Median() / 1000);
    std::fflush(stdout);
}

// Counts the paints of the widget it filters.
class CPaintCounter : public QObject {
public:
    int m_nPaints = 0;
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override {
        if (pEvent->type() == QEvent::Paint) ++m_nPaints;
        return QObject::eventFilter(pWatched, pEvent);
    }
};

// The on-disk names of a benchmark's vault: visible ("name.$"), or hidden
// under a fixed master key as a vault that hides its names seals them,
// with the key the tree needs to open them.
class CBenchNaming {
public:
    explicit CBenchNaming(bool bHidden) : m_key("bench", "") {
        if (!bHidden) return;
        CSecretBytes master(32);
        std::fill(master.Data(), master.Data() + master.Size(), 0x5a);
        m_key.SetMasterKey(std::move(master), true);
        if (!m_names.HideWith(m_key.MasterKey())) Fail("no names keys");
    }
    // The key to hand the tree (SetVault), null for visible names.
    const CVaultKey* Key() const { return m_names.Hidden() ? &m_key : nullptr; }
    std::string Folder(const std::string& strParent, const std::string& strName) const {
        return m_names.FolderOnDisk(strParent, strName);
    }
    std::string File(const std::string& strParent, const std::string& strName) const {
        return m_names.NewFileOnDisk(strParent, strName);
    }

private:
    CVaultKey m_key;
    CVaultNames m_names;
};

// Takes "--hidden" out of the arguments; whether it was there.
inline bool TakeHiddenOption(int* pArgc, char** argv) {
    bool bHidden = false;
    int nOut = 1;
    for (int i = 1; i < *pArgc; ++i) {
        if (std::string_view(argv[i]) == "--hidden") {
            bHidden = true;
        } else {
            argv[nOut++] = argv[i];
        }
    }
    *pArgc = nOut;
    return bHidden;
}

}  // namespace quovex::bench
