// The main of the interface tests: it points HOME and XDG_CONFIG_HOME at a
// temporary folder before the application exists, as QSettings and
// QStandardPaths read the variables once.
#pragma once

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

namespace quovex::test {

inline QString g_strHome;  // the temporary home of this test process

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
