// The settings record that survives between runs: the vault location, the
// two options, the remembered user name and four window values. Kept with
// QSettings under the organisation "tandrel" and the application's name,
// group "SaftyBox" (on Linux ~/.config/tandrel/<name>.conf).
#pragma once

#include <QString>

namespace quovex {

constexpr char SETTINGS_ORGANISATION[] = "tandrel";
constexpr char SETTINGS_GROUP[] = "SaftyBox";

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
    // Interface thread (or any single thread owning the record).
    void LoadSettings();
    // Writes the record; UserName only while m_bSaveUser is set, otherwise a
    // stored name is left as it is. Write failures are not reported.
    void SaveSettings() const;

    QString m_strWorkPath;
    bool m_bDeleteSource = true;
    bool m_bSaveUser = true;
    QString m_strUserName;
    int m_nWindowX = 0;
    int m_nWindowY = 0;
    int m_nWindowWidth = 200;
    int m_nWindowHeight = 400;

private:
    QString m_strApplication;
};

}  // namespace quovex
