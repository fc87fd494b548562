// The settings record that survives between runs: the vault location, the
// two options, the remembered user name and the main window's place (four
// window values). Kept with
// QSettings under the organisation "tandrel" and the application's name,
// group "SaftyBox" (on Linux ~/.config/tandrel/<name>.conf).
#pragma once

#include <QRect>
#include <QString>

class QSettings;

namespace quovex {

constexpr char SETTINGS_ORGANISATION[] = "tandrel";
constexpr char SETTINGS_GROUP[] = "SaftyBox";
// Minutes without input after which the window locks the vault (0: never).
constexpr int SETTINGS_LOCK_MINUTES_DEFAULT = 10;
constexpr int SETTINGS_LOCK_MINUTES_MAX = 1440;

// Where a vault lies when nothing else is configured: $HOME/Box.
QString DefaultWorkPath();

class CVaultSettings {
public:
    // strApplication names the settings file; empty means the running
    // executable's base name (QCoreApplication::applicationName()).
    explicit CVaultSettings(QString strApplication = QString());
    virtual ~CVaultSettings() = default;

    // Reads the record. Absent values take their defaults; the options are
    // true exactly when their text is "TRUE", except that an absent
    // DeleteSource is true. UserName is read only while SaveUser is true.
    // LockMinutes out of 0 .. SETTINGS_LOCK_MINUTES_MAX, or not a number,
    // takes its default.
    // Interface thread (or any single thread owning the record).
    void LoadSettings();
    // Writes the record; UserName only while m_bSaveUser is set, otherwise a
    // stored name is left as it is. Write failures are not reported.
    void SaveSettings() const;
    // Writes the four window values alone, so that keeping the window's
    // place never writes a location chosen at the login for one run.
    void SaveWindowPlace() const;

    // The main window's place and size (x, y, width, height) as the four
    // window values hold them. None while they are the record's defaults
    // (0, 0, 200, 400: never written by a window) or hold no size.
    bool HasWindowPlace() const;
    QRect WindowPlace() const;
    void SetWindowPlace(const QRect& rcWindow);

    QString m_strWorkPath;
    bool m_bDeleteSource = true;
    bool m_bSaveUser = true;
    QString m_strUserName;
    int m_nWindowX = 0;
    int m_nWindowY = 0;
    int m_nWindowWidth = 200;
    int m_nWindowHeight = 400;
    int m_nLockMinutes = SETTINGS_LOCK_MINUTES_DEFAULT;
    // Something of the record changed during the run: it is written when the
    // main window has closed.
    bool m_bSettingsChanged = false;

private:
    // The settings file's name: m_strApplication, or the executable's.
    QString ApplicationName() const;
    void WriteWindowValues(QSettings& settings) const;

    QString m_strApplication;
};

}  // namespace quovex
