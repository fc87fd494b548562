// The main of the interface tests: it points HOME and XDG_CONFIG_HOME at a
// temporary folder before the application exists, as QSettings and
// QStandardPaths read the variables once.
#pragma once

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

namespace quovex::test {

inline QString g_strHome;  // the temporary home of this test process

// Writes bytes to strPath, making its folders.
inline bool MakeFile(const QString& strPath, const QByteArray& bytes = QByteArray()) {
    QDir().mkpath(QFileInfo(strPath).absolutePath());
    QFile file(strPath);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray ReadFile(const QString& strPath) {
    QFile file(strPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Saves a picture of pWidget as <build>/screenshots/<strName>.png.
inline bool SaveScreenshot(QWidget* pWidget, const QString& strName) {
    QDir().mkpath(QStringLiteral(QUOVEX_SCREENSHOT_DIR));
    return pWidget->grab().save(QStringLiteral(QUOVEX_SCREENSHOT_DIR "/") + strName +
                                QStringLiteral(".png"));
}

// Every file below strRoot with a digest of its content.
inline QMap<QString, QByteArray> Snapshot(const QString& strRoot) {
    QMap<QString, QByteArray> files;
    QDirIterator it(strRoot, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString strPath = it.next();
        files[strPath] = QCryptographicHash::hash(ReadFile(strPath), QCryptographicHash::Sha1);
    }
    return files;
}

}  // namespace quovex::test

#define QUOVEX_UI_TEST_MAIN(TestClass)                                                       \
    int main(int argc, char** argv) {                                                        \
        QTemporaryDir home;                                                                  \
        if (!home.isValid()) return 1;                                                       \
        quovex::test::g_strHome = home.path();                                               \
        qputenv("HOME", home.path().toLocal8Bit());                                          \
        qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toLocal8Bit()); \
        QApplication app(argc, argv);                                                        \
        TestClass tc;                                                                        \
        return QTest::qExec(&tc, argc, argv);                                                \
    }
