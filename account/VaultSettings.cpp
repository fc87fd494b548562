#include "VaultSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QSettings>

namespace quovex {

namespace {

const QString TEXT_TRUE = QStringLiteral("TRUE");
const QString TEXT_FALSE = QStringLiteral("FALSE");

QString BoolText(bool b) {
    return b ? TEXT_TRUE : TEXT_FALSE;
}

}  // namespace

QString DefaultWorkPath() {
    return QDir::homePath() + QStringLiteral("/Box");
}

CVaultSettings::CVaultSettings(QString strApplication)
    : m_strWorkPath(DefaultWorkPath()), m_strApplication(std::move(strApplication)) {}

QString CVaultSettings::ApplicationName() const {
    return m_strApplication.isEmpty() ? QCoreApplication::applicationName() : m_strApplication;
}

void CVaultSettings::LoadSettings() {
    QSettings settings(QString::fromLatin1(SETTINGS_ORGANISATION), ApplicationName());
    settings.beginGroup(QString::fromLatin1(SETTINGS_GROUP));
    m_strWorkPath = settings.value("WorkPath", DefaultWorkPath()).toString();
    m_bDeleteSource = settings.value("DeleteSource", TEXT_TRUE).toString() == TEXT_TRUE;
    m_bSaveUser = settings.value("SaveUser").toString() == TEXT_TRUE;
    if (m_bSaveUser) m_strUserName = settings.value("UserName", QString()).toString();
    m_nWindowX = settings.value("Window_X", 0).toInt();
    m_nWindowY = settings.value("Window_Y", 0).toInt();
    m_nWindowWidth = settings.value("Window_Width", 200).toInt();
    m_nWindowHeight = settings.value("Window_Height", 400).toInt();
    bool bNumber = false;
    const int nLock = settings.value("LockMinutes", SETTINGS_LOCK_MINUTES_DEFAULT).toInt(&bNumber);
    const bool bInRange = bNumber && nLock >= 0 && nLock <= SETTINGS_LOCK_MINUTES_MAX;
    m_nLockMinutes = bInRange ? nLock : SETTINGS_LOCK_MINUTES_DEFAULT;
}

void CVaultSettings::SaveSettings() const {
    QSettings settings(QString::fromLatin1(SETTINGS_ORGANISATION), ApplicationName());
    settings.beginGroup(QString::fromLatin1(SETTINGS_GROUP));
    settings.setValue("WorkPath", m_strWorkPath);
    settings.setValue("DeleteSource", BoolText(m_bDeleteSource));
    settings.setValue("SaveUser", BoolText(m_bSaveUser));
    if (m_bSaveUser) settings.setValue("UserName", m_strUserName);
    settings.setValue("LockMinutes", m_nLockMinutes);
    WriteWindowValues(settings);
}

void CVaultSettings::SaveWindowPlace() const {
    QSettings settings(QString::fromLatin1(SETTINGS_ORGANISATION), ApplicationName());
    settings.beginGroup(QString::fromLatin1(SETTINGS_GROUP));
    WriteWindowValues(settings);
}

void CVaultSettings::WriteWindowValues(QSettings& settings) const {
    settings.setValue("Window_X", m_nWindowX);
    settings.setValue("Window_Y", m_nWindowY);
    settings.setValue("Window_Width", m_nWindowWidth);
    settings.setValue("Window_Height", m_nWindowHeight);
}

bool CVaultSettings::HasWindowPlace() const {
    const bool bDefaults = WindowPlace() == QRect(0, 0, 200, 400);
    return !bDefaults && m_nWindowWidth > 0 && m_nWindowHeight > 0;
}

QRect CVaultSettings::WindowPlace() const {
    return QRect(m_nWindowX, m_nWindowY, m_nWindowWidth, m_nWindowHeight);
}

void CVaultSettings::SetWindowPlace(const QRect& rcWindow) {
    m_nWindowX = rcWindow.x();
    m_nWindowY = rcWindow.y();
    m_nWindowWidth = rcWindow.width();
    m_nWindowHeight = rcWindow.height();
}

}  // namespace quovex
