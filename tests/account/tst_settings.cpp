// The settings record: defaults, the "TRUE"/"FALSE" texts, the remembered
// user name and the window values, in a temporary settings folder.
#include <QCoreApplication>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "VaultSettings.h"

using namespace quovex;

namespace {

QString s_strHome;

QString SettingsFile() {
    return s_strHome + QStringLiteral("/config/tandrel/quovex.conf");
}

// Writes key, value, key, value, ... into the group, as an earlier run would.
void Preset(const QStringList& keysAndValues) {
    QSettings store(QStringLiteral("tandrel"), QStringLiteral("quovex"));
    for (qsizetype i = 0; i + 1 < keysAndValues.size(); i += 2)
        store.setValue(QStringLiteral("SaftyBox/") + keysAndValues[i], keysAndValues[i + 1]);
}

QRect Window(const CVaultSettings& settings) {
    return QRect(settings.m_nWindowX, settings.m_nWindowY, settings.m_nWindowWidth,
                 settings.m_nWindowHeight);
}

QString Stored(const char* pszKey) {
    QSettings store(QStringLiteral("tandrel"), QStringLiteral("quovex"));
    return store.value(QStringLiteral("SaftyBox/") + pszKey).toString();
}

}  // namespace

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void init() { QFile::remove(SettingsFile()); }
    void optionsAreTrueOnlyForExactTrue_data();
    void optionsAreTrueOnlyForExactTrue();
    void defaultsThenTheRecordToTheFileAndBack();
};

void TestSettings::optionsAreTrueOnlyForExactTrue_data() {
    QTest::addColumn<QString>("strText");
    for (const char* pszText : {"TRUE", "true", "1", ""})
        QTest::addRow("'%s'", pszText) << QString::fromLatin1(pszText);
}

void TestSettings::optionsAreTrueOnlyForExactTrue() {
    QFETCH(QString, strText);
    const bool bTrue = strText == QStringLiteral("TRUE");
    Preset({"DeleteSource", strText, "SaveUser", strText});
    CVaultSettings settings(QStringLiteral("quovex"));
    settings.LoadSettings();
    QCOMPARE(settings.m_bDeleteSource, bTrue);
    QCOMPARE(settings.m_bSaveUser, bTrue);
    // Written back as one of the two exact texts.
    settings.SaveSettings();
    QCOMPARE(Stored("DeleteSource"), bTrue ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
    QCOMPARE(Stored("SaveUser"), Stored("DeleteSource"));
}

void TestSettings::defaultsThenTheRecordToTheFileAndBack() {
    // Odd values first, so that only LoadSettings can bring the defaults.
    CVaultSettings settings(QStringLiteral("quovex"));
    settings.m_strWorkPath = QStringLiteral("/odd");
    settings.m_bDeleteSource = false;
    settings.m_nWindowX = settings.m_nWindowY = settings.m_nWindowWidth = 7;
    settings.m_nWindowHeight = 7;
    settings.LoadSettings();
    QCOMPARE(settings.m_strWorkPath, s_strHome + QStringLiteral("/Box"));
    // Asymmetric: an absent DeleteSource is true, an absent SaveUser false.
    QVERIFY(settings.m_bDeleteSource);
    QVERIFY(!settings.m_bSaveUser);
    QCOMPARE(Window(settings), QRect(0, 0, 200, 400));
    QVERIFY(!QFile::exists(SettingsFile()));

    Preset({"SaveUser", "FALSE", "UserName", "张三", "WorkPath", "/srv/保险柜", "Window_X", "17",
            "Window_Y", "-5", "Window_Width", "300", "Window_Height", "-3"});
    settings.LoadSettings();
    QCOMPARE(settings.m_strUserName, QString());  // not read while SaveUser is off
    QCOMPARE(settings.m_strWorkPath, QStringLiteral("/srv/保险柜"));
    QCOMPARE(Window(settings), QRect(17, -5, 300, -3));

    // While SaveUser is off the stored name is neither written nor removed.
    settings.m_strUserName = QStringLiteral("李四");
    settings.SaveSettings();
    QCOMPARE(Stored("UserName"), QStringLiteral("张三"));
    QFile file(SettingsFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString strText = QString::fromUtf8(file.readAll());
    QVERIFY2(strText.startsWith(QStringLiteral("[SaftyBox]")), qPrintable(strText));
    for (const char* pszLine : {"DeleteSource=TRUE", "SaveUser=FALSE", "Window_X=17", "Window_Y=-5",
                                "Window_Width=300", "Window_Height=-3"})
        QVERIFY2(strText.contains(QString::fromLatin1(pszLine)), pszLine);

    settings.m_bSaveUser = true;
    settings.SaveSettings();
    CVaultSettings reread(QStringLiteral("quovex"));
    reread.LoadSettings();
    QCOMPARE(reread.m_strUserName, QStringLiteral("李四"));
}

int main(int argc, char** argv) {
    // Before the application exists: QSettings reads the folders once.
    QTemporaryDir home;
    s_strHome = home.path();
    qputenv("HOME", s_strHome.toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (s_strHome + QStringLiteral("/config")).toLocal8Bit());
    QCoreApplication app(argc, argv);
    TestSettings tc;
    return home.isValid() ? QTest::qExec(&tc, argc, argv) : 1;
}

#include "tst_settings.moc"
