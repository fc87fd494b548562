#include "NormalPage.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>

#include "CoreTexts.h"
#include "DialogBuilder.h"
#include "DirDialog.h"
#include "LoginDlg.h"
#include "MessageBox.h"
#include "OpenVault.h"
#include "VaultLogin.h"
#include "VaultSettings.h"
#include "WaitCursor.h"

namespace quovex {

namespace {

// The texts of this file, in the context the translations name.
struct Words {
    Q_DECLARE_TR_FUNCTIONS(NormalPage)
};

}  // namespace

namespace {

constexpr int IDC_WORK_PATH = 1007;
constexpr int IDC_BROWSE = 1008;
constexpr int IDC_DELETE_SOURCE = 1009;
constexpr int IDC_SAVE_USER = 1010;
constexpr int IDC_LOCK_MINUTES = 1012;

// Why a location cannot be taken over, or "" when it can. A relative one
// would name folders below whatever the process's current folder is.
QString WorkPathProblem(const QString& strPath) {
    if (strPath.trimmed().isEmpty()) return Words::tr("请输入保险柜存放位置。");
    if (!QDir::isAbsolutePath(strPath))
        return Words::tr("保险柜存放位置必须是完整路径，例如 %1。").arg(DefaultWorkPath());
    return QString();
}

}  // namespace

CNormalPage::CNormalPage(COpenVault& vault, CVaultSettings& settings, QWidget* pParent)
    : CPropertyPage(pParent), m_vault(vault), m_settings(settings) {
    BuildDialog(this, RES_DLG_SETTINGS_PAGE);
    m_pPathEdit = FindControl<QLineEdit>(this, IDC_WORK_PATH);
    m_pDeleteSourceCheck = FindControl<QCheckBox>(this, IDC_DELETE_SOURCE);
    m_pSaveUserCheck = FindControl<QCheckBox>(this, IDC_SAVE_USER);
    // clicked, unlike toggled, comes only from the user, not from loading.
    connect(FindControl<QPushButton>(this, IDC_BROWSE), &QPushButton::clicked, this,
            &CNormalPage::OnBrowse);
    connect(m_pDeleteSourceCheck, &QCheckBox::clicked, this, &CNormalPage::OnOptionClicked);
    connect(m_pSaveUserCheck, &QCheckBox::clicked, this, &CNormalPage::OnOptionClicked);
    m_pLockMinutesSpin = FindControl<QSpinBox>(this, IDC_LOCK_MINUTES);
    m_pLockMinutesSpin->setRange(0, SETTINGS_LOCK_MINUTES_MAX);
    connect(m_pLockMinutesSpin, &QSpinBox::valueChanged, this, &CNormalPage::OnOptionClicked);

    m_strWorkPath = m_vault.Location();
    m_bDeleteSource = m_settings.m_bDeleteSource;
    m_bSaveUser = m_settings.m_bSaveUser;
    m_nLockMinutes = m_settings.m_nLockMinutes;
}

void CNormalPage::DoDataExchange(bool bSaveAndValidate) {
    if (bSaveAndValidate) {
        m_strWorkPath = m_pPathEdit->text();
        m_bDeleteSource = m_pDeleteSourceCheck->isChecked();
        m_bSaveUser = m_pSaveUserCheck->isChecked();
        m_nLockMinutes = m_pLockMinutesSpin->value();
        return;
    }
    m_pPathEdit->setText(m_strWorkPath);
    m_pDeleteSourceCheck->setChecked(m_bDeleteSource);
    m_pSaveUserCheck->setChecked(m_bSaveUser);
    const QSignalBlocker loading(m_pLockMinutesSpin);
    m_pLockMinutesSpin->setValue(m_nLockMinutes);
}

void CNormalPage::OnInitDialog() {
    DoDataExchange(false);
}

bool CNormalPage::OnApply() {
    DoDataExchange(true);
    const QString strProblem = WorkPathProblem(m_strWorkPath);
    if (!strProblem.isEmpty()) {
        ShowMessageBox(strProblem, MSGBOX_OK, QString(), this);
        FocusLocation();
        return false;
    }
    // The cleaned form drops a trailing separator (except the root's) and
    // "." components, so one location is always written one way.
    m_strWorkPath = QDir::cleanPath(m_strWorkPath);
    m_pPathEdit->setText(m_strWorkPath);
    if (TakeOverSettings(*this, m_vault, m_settings)) return true;
    FocusLocation();
    return false;
}

void CNormalPage::FocusLocation() {
    m_pPathEdit->setFocus(Qt::OtherFocusReason);
    m_pPathEdit->selectAll();
}

void CNormalPage::OnBrowse() {
    CDirDialog chooser;
    if (!chooser.PickFolder(Words::tr("选择文件夹"))) return;
    m_strWorkPath = chooser.m_strPath;
    DoDataExchange(false);
    SetModified(true);
}

void CNormalPage::OnOptionClicked() {
    SetModified(true);
}

namespace {

// The key held opens no vault at strLocation without the password: it is
// asked for at a login for that location and the user. False when the user
// gave up (*pOutcome then says the password is still needed) or it did not
// open the vault there.
bool MoveWithPassword(const QString& strLocation, COpenVault& vault, AccessOutcome* pOutcome) {
    CLoginDlg login;
    login.m_strPath = strLocation;
    login.m_strUser = QString::fromStdString(vault.Key().User());
    login.SetForUnlock();
    if (login.exec() != QDialog::Accepted) return false;
    bool bMoved = false;
    {
        // A protected vault's derivation takes about half a second.
        const CWaitCursor wait;
        bMoved = vault.MoveTo(strLocation, pOutcome, login.m_strPassword);
    }
    login.ForgetPassword();
    return bMoved;
}

}  // namespace

bool TakeOverSettings(const CNormalPage& page, COpenVault& vault, CVaultSettings& settings) {
    // The rule that let the user in at the login decides here too, so that
    // no vault takes files under credentials it would refuse. A location
    // that cannot be made a vault says why, as the login does.
    AccessOutcome outcome;
    bool bMoved = vault.MoveTo(page.m_strWorkPath, &outcome);
    if (!bMoved && outcome.nResult == AccessResult::ACCESS_PASSWORD_NEEDED) {
        bMoved = MoveWithPassword(page.m_strWorkPath, vault, &outcome);
        // Given up at the login: nothing more to say.
        if (!bMoved && outcome.nResult == AccessResult::ACCESS_PASSWORD_NEEDED) return false;
    }
    if (!bMoved) {
        ShowMessageBox(AccessRefusalText(outcome));
        return false;
    }
    TellRecordFindings(outcome, nullptr);
    settings.m_strWorkPath = vault.Location();
    settings.m_bDeleteSource = page.m_bDeleteSource;
    settings.m_bSaveUser = page.m_bSaveUser;
    settings.m_nLockMinutes = page.m_nLockMinutes;
    settings.SaveSettings();
    settings.m_bSettingsChanged = true;
    return true;
}

}  // namespace quovex
