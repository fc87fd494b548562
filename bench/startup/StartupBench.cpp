// Time from the start of quovex to its login window on the screen.
//
//   quovex-bench-startup [RUNS]   starts itself RUNS times (default 10) and
//                                 prints the fastest, median and slowest run
//   quovex-bench-startup --once   one run: prints the milliseconds from entry
//                                 to the first paint of the login window
//
// Each run has an empty settings folder of its own, as a new user would.
// The platform is the one of the environment (QT_QPA_PLATFORM, or the display).
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "LoginDlg.h"
#include "VaultApp.h"
#include "VaultEnv.h"

namespace {

// Stops the clock at the first paint of the login window and cancels it.
class CLoginPaintWatch : public QObject {
public:
    explicit CLoginPaintWatch(const QElapsedTimer& clock) : m_clock(clock) {}
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override {
        if (!m_bSeen && pEvent->type() == QEvent::Paint) {
            if (auto* pLogin = qobject_cast<quovex::CLoginDlg*>(pWatched)) {
                m_bSeen = true;
                std::printf("%.2f\n", m_clock.nsecsElapsed() / 1e6);
                std::fflush(stdout);
                QTimer::singleShot(0, pLogin, &QDialog::reject);
            }
        }
        return QObject::eventFilter(pWatched, pEvent);
    }

private:
    const QElapsedTimer& m_clock;
    bool m_bSeen = false;
};

int RunOnce(int argc, char** argv, const QElapsedTimer& clock) {
    QApplication app(argc, argv);
    CLoginPaintWatch watch(clock);
    app.installEventFilter(&watch);
    quovex::CVaultApp vaultApp{quovex::CVaultEnv::Default()};
    return vaultApp.Run(argc, argv);
}

struct Sample {
    double dInProcess;  // entry of main to first paint
    double dSpawned;    // process start to the line that reports it
};

bool RunChild(const QString& strProgram, Sample* pSample) {
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/config"));
    QProcess child;
    child.setProcessEnvironment(env);
    QElapsedTimer clock;
    clock.start();
    child.start(strProgram, {QStringLiteral("--once")});
    if (!child.waitForReadyRead(30000)) return false;
    pSample->dSpawned = clock.nsecsElapsed() / 1e6;
    pSample->dInProcess = child.readLine().trimmed().toDouble();
    return child.waitForFinished(30000) && child.exitCode() == 0;
}

void Report(const char* pszWhat, std::vector<double> values) {
    std::sort(values.begin(), values.end());
    std::printf("%-34s min %7.1f ms   median %7.1f ms   max %7.1f ms\n", pszWhat, values.front(),
                values[values.size() / 2], values.back());
}

}  // namespace

int main(int argc, char** argv) {
    QElapsedTimer clock;
    clock.start();
    if (argc > 1 && QByteArray(argv[1]) == "--once") return RunOnce(argc, argv, clock);

    const int nRuns = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 10;
    QCoreApplication app(argc, argv);
    std::vector<double> vInProcess, vSpawned;
    for (int i = 0; i < nRuns; ++i) {
        Sample sample{};
        if (!RunChild(QCoreApplication::applicationFilePath(), &sample)) {
            std::fprintf(stderr, "run %d failed\n", i + 1);
            return 1;
        }
        vInProcess.push_back(sample.dInProcess);
        vSpawned.push_back(sample.dSpawned);
    }
    std::printf("start-up to login window painted, %d runs:\n", nRuns);
    Report("from main()", vInProcess);
    Report("from process start (spawn)", vSpawned);
    return 0;
}
