// The settings record: defaults, the "TRUE"/"FALSE" texts, the remembered
// user name and the window values, in a temporary settings folder.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTest>
#include <cstdlib>
#include <string>

#include "VaultSettings.h"

using namespace quovex;

namespace {

QString s_strHome;

QSettings* OpenStore() {
    auto* pSettings = new QSettings(QStringLiteral("tandrel"), QStringLiteral("quovex"));
    pSettings->beginGroup(QStringLiteral("SaftyBox"));
    return pSettings;
}

QString Stored(const char* pszKey) {
    std::unique_ptr<QSettings> pStore(OpenStore());
    return pStore->value(pszKey).toString();
}

}  // namespace

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void init() { QFile::remove(SettingsFile()); }
    void emptyStoreGivesTheDefaults();
    void optionsAreTrueOnlyForExactTrue();
    void userNameFollowsSaveUser();
    void saveWritesTheFileAndWindowValuesBack();

private:
    static QString SettingsFile() {
        return s_strHome + QStringLiteral("/config/tandrel/quovex.conf");
    }
};

void TestSettings::emptyStoreGivesTheDefaults() {
    CVaultSettings settings(QStringLiteral("quovex"));
    settings.m_strUserName = QStringLiteral("kept");
    settings.LoadSettings();
    QCOMPARE(settings.m_strWorkPath, s_strHome + QStringLiteral("/Box"));
    QVERIFY(settings.m_bDeleteSource);
    QVERIFY(!settings.m_bSaveUser);
    // UserName is not read while SaveUser is off: the field keeps its value.
    QCOMPARE(settings.m_strUserName, QStringLiteral("kept"));
    QCOMPARE(settings.m_nWindowX, 0);
    QCOMPARE(settings.m_nWindowY, 0);
    QCOMPARE(settings.m_nWindowWidth, 200);
    QCOMPARE(settings.m_nWindowHeight, 400);
    QVERIFY(!QFile::exists(SettingsFile()));
}

void TestSettings::optionsAreTrueOnlyForExactTrue() {
    for (const char* pszText : {"true", "1", "True", ""}) {
        {
            std::unique_ptr<QSettings> pStore(OpenStore());
            pStore->setValue("DeleteSource", QString::fromLatin1(pszText));
            pStore->setValue("SaveUser", QString::fromLatin1(pszText));
        }
        CVaultSettings settings(QStringLiteral("quovex"));
        settings.LoadSettings();
        QVERIFY2(!settings.m_bDeleteSource, pszText);
        QVERIFY2(!settings.m_bSaveUser, pszText);
        settings.SaveSettings();
        QCOMPARE(Stored("DeleteSource"), QStringLiteral("FALSE"));
        QCOMPARE(Stored("SaveUser"), QStringLiteral("FALSE"));
    }
    {
        std::unique_ptr<QSettings> pStore(OpenStore());
        pStore->setValue("DeleteSource", QStringLiteral("TRUE"));
        pStore->setValue("SaveUser", QStringLiteral("TRUE"));
    }
    CVaultSettings settings(QStringLiteral("quovex"));
    settings.LoadSettings();
    QVERIFY(settings.m_bDeleteSource);
    QVERIFY(settings.m_bSaveUser);
}

void TestSettings::userNameFollowsSaveUser() {
    {
        std::unique_ptr<QSettings> pStore(OpenStore());
        pStore->setValue("SaveUser", QStringLiteral("TRUE"));
    }
    CVaultSettings withoutName(QStringLiteral("quovex"));
    withoutName.LoadSettings();
    QCOMPARE(withoutName.m_strUserName, QString());

    {
        std::unique_ptr<QSettings> pStore(OpenStore());
        pStore->setValue("SaveUser", QStringLiteral("FALSE"));
        pStore->setValue("UserName", QStringLiteral("张三"));
    }
    CVaultSettings settings(QStringLiteral("quovex"));
    settings.LoadSettings();
    QCOMPARE(settings.m_strUserName, QString());
    settings.m_strUserName = QStringLiteral("李四");
    settings.SaveSettings();
    // Not written while SaveUser is off, nor removed.
    QCOMPARE(Stored("UserName"), QStringLiteral("张三"));

    settings.m_bSaveUser = true;
    settings.SaveSettings();
    QCOMPARE(Stored("UserName"), QStringLiteral("李四"));
    CVaultSettings reread(QStringLiteral("quovex"));
    reread.LoadSettings();
    QCOMPARE(reread.m_strUserName, QStringLiteral("李四"));
}

void TestSettings::saveWritesTheFileAndWindowValuesBack() {
    {
        std::unique_ptr<QSettings> pStore(OpenStore());
        pStore->setValue("Window_X", 17);
        pStore->setValue("Window_Height", -3);
        pStore->setValue("WorkPath", QStringLiteral("/srv/保险柜"));
    }
    CVaultSettings settings(QStringLiteral("quovex"));
    settings.LoadSettings();
    QCOMPARE(settings.m_nWindowX, 17);
    QCOMPARE(settings.m_nWindowHeight, -3);
    QCOMPARE(settings.m_strWorkPath, QStringLiteral("/srv/保险柜"));
    settings.SaveSettings();

    QFile file(SettingsFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString strText = QString::fromUtf8(file.readAll());
    QVERIFY2(strText.startsWith(QStringLiteral("[SaftyBox]")), qPrintable(strText));
    QVERIFY(strText.contains(QStringLiteral("DeleteSource=TRUE")));
    QVERIFY(strText.contains(QStringLiteral("SaveUser=FALSE")));
    QVERIFY(strText.contains(QStringLiteral("Window_X=17")));
    QVERIFY(strText.contains(QStringLiteral("Window_Y=0")));
    QVERIFY(strText.contains(QStringLiteral("Window_Width=200")));
    QVERIFY(strText.contains(QStringLiteral("Window_Height=-3")));
    QVERIFY(!strText.contains(QStringLiteral("UserName")));

    // An empty application name means the executable's.
    CVaultSettings byExecutable;
    byExecutable.SaveSettings();
    QVERIFY(QFile::exists(s_strHome + QStringLiteral("/config/tandrel/") +
                          QCoreApplication::applicationName() + QStringLiteral(".conf")));
}

int main(int argc, char** argv) {
    // Before the application exists: QSettings reads the folders once.
    std::string strTemplate = QDir::tempPath().toStdString() + "/quovex-settings-test-XXXXXX";
    if (!mkdtemp(strTemplate.data())) return 1;
    s_strHome = QString::fromStdString(strTemplate);
    qputenv("HOME", strTemplate.c_str());
    qputenv("XDG_CONFIG_HOME", (strTemplate + "/config").c_str());
    QCoreApplication app(argc, argv);
    TestSettings tc;
    const int nResult = QTest::qExec(&tc, argc, argv);
    QDir(s_strHome).removeRecursively();
    return nResult;
}

#include "tst_settings.moc"
