#include "OpenVault.h"

#include <QByteArray>
#include <QFile>
#include <cstring>

#include "CredentialRule.h"
#include "VaultFolders.h"

namespace quovex {

namespace {

std::string Native(const QString& strPath) {
    return QFile::encodeName(strPath).toStdString();
}

void Wipe(char* pData, std::size_t nSize) {
    // Unlike memset, not left out because the buffer is freed next.
    if (nSize) explicit_bzero(pData, nSize);
}

// The key of the credentials; the UTF-8 copies made for it are wiped
// before they are freed.
std::unique_ptr<CVaultKey> MakeKey(const QString& strUser, const QString& strPassword) {
    QByteArray user = strUser.toUtf8();
    QByteArray password = strPassword.toUtf8();
    std::string strUserText(user.constData(), static_cast<std::size_t>(user.size()));
    std::string strPasswordText(password.constData(), static_cast<std::size_t>(password.size()));
    auto pKey = std::make_unique<CVaultKey>(strUserText, strPasswordText);
    Wipe(user.data(), static_cast<std::size_t>(user.size()));
    Wipe(password.data(), static_cast<std::size_t>(password.size()));
    Wipe(strUserText.data(), strUserText.size());
    Wipe(strPasswordText.data(), strPasswordText.size());
    return pKey;
}

// UTF-8 text of a secret, wiped when it goes: the key record calls take
// their password as a std::string.
class CWipedText {
public:
    explicit CWipedText(const CSecretBytes& secret)
        : m_strText(reinterpret_cast<const char*>(secret.Data()), secret.Size()) {}
    explicit CWipedText(const QString& strText) {
        QByteArray bytes = strText.toUtf8();
        m_strText.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        Wipe(bytes.data(), static_cast<std::size_t>(bytes.size()));
    }
    ~CWipedText() { Wipe(m_strText.data(), m_strText.size()); }
    CWipedText(const CWipedText&) = delete;
    CWipedText& operator=(const CWipedText&) = delete;

    const std::string& Text() const { return m_strText; }

private:
    std::string m_strText;
};

// The refusal as the credential rule would have told it.
CredentialJudgement AsJudgement(const AccessOutcome& outcome) {
    CredentialJudgement judgement;
    judgement.strStoredFile = outcome.strPath;
    judgement.cause = outcome.cause;
    switch (outcome.nResult) {
        case AccessResult::ACCESS_OPENED:
            judgement.nVerdict = CredentialVerdict::CREDENTIALS_ACCEPTED;
            break;
        case AccessResult::ACCESS_WRONG_CREDENTIALS:
            judgement.nVerdict = CredentialVerdict::CREDENTIALS_REJECTED;
            break;
        case AccessResult::ACCESS_RECORD_DAMAGED:
            judgement.nVerdict = CredentialVerdict::CREDENTIALS_UNDECIDED;
            judgement.cause = FailCause{FailReason::FAIL_DAMAGED, 0};
            break;
        default:
            judgement.nVerdict = CredentialVerdict::CREDENTIALS_UNDECIDED;
    }
    return judgement;
}

}  // namespace

COpenVault::COpenVault(const QString& strLocation, const QString& strUser,
                       const QString& strPassword, CVaultEnv* pEnv)
    : m_strLocation(strLocation),
      m_pKey(MakeKey(strUser, strPassword)),
      m_pEnv(CVaultEnv::Or(pEnv)) {}

std::string COpenVault::NativeLocation() const {
    return Native(m_strLocation);
}

QString COpenVault::BoxFolder(int nBox) const {
    return QFile::decodeName(QByteArray::fromStdString(BoxFolderPath(NativeLocation(), nBox)));
}

bool COpenVault::AcceptsCredentialsAt(const QString& strLocation) const {
    return VaultAcceptsCredentials(Native(strLocation), m_pKey->Cipher(), m_pEnv);
}

CredentialJudgement COpenVault::JudgeCredentialsAt(const QString& strLocation) const {
    return JudgeVaultCredentials(Native(strLocation), m_pKey->Cipher(), m_pEnv);
}

VaultKind COpenVault::Kind() const {
    return KindOfVault(NativeLocation(), m_pEnv);
}

AccessOutcome COpenVault::Open() {
    return EnterLocation(NativeLocation());
}

AccessOutcome COpenVault::Create(bool bProtected, const KdfLimits& limits,
                                 CSecretBytes* pRecoveryText) {
    const CWipedText password(m_pKey->Password());
    KeyRecordBytes vRecord;
    const AccessOutcome outcome = CreateVault(NativeLocation(), password.Text(), bProtected, limits,
                                              m_pKey.get(), &vRecord, pRecoveryText, m_pEnv);
    if (outcome.Opened()) m_vRecord = std::move(vRecord);
    return outcome;
}

AccessOutcome COpenVault::Protect(const KdfLimits& limits, CSecretBytes* pRecoveryText) {
    const CWipedText password(m_pKey->Password());
    KeyRecordBytes vRecord;
    const AccessOutcome outcome = ProtectVault(NativeLocation(), password.Text(), limits,
                                               m_pKey.get(), &vRecord, pRecoveryText, m_pEnv);
    if (outcome.Opened()) m_vRecord = std::move(vRecord);
    return outcome;
}

AccessOutcome COpenVault::ChangePassword(const QString& strOldPassword,
                                         const QString& strNewPassword, const KdfLimits& limits) {
    if (!IsProtected()) return AccessOutcome{AccessResult::ACCESS_NOT_PROTECTED, {}, {}};
    const CWipedText oldPassword(strOldPassword);
    const CWipedText newPassword(strNewPassword);
    KeyRecordBytes vRecord;
    const AccessOutcome outcome =
        ChangeVaultPassword(NativeLocation(), m_pKey->User(), oldPassword.Text(),
                            newPassword.Text(), limits, m_pEnv, &vRecord);
    if (!outcome.Opened()) return outcome;
    m_pKey->ChangePassword(newPassword.Text());
    m_vRecord = std::move(vRecord);
    return outcome;
}

AccessOutcome COpenVault::Recover(const QString& strRecoveryText, const KdfLimits& limits) {
    const CWipedText recoveryText(strRecoveryText);
    const CWipedText password(m_pKey->Password());
    KeyRecordBytes vRecord;
    const AccessOutcome outcome =
        RecoverVault(NativeLocation(), recoveryText.Text(), password.Text(), limits, m_pKey.get(),
                     m_pEnv, &vRecord);
    if (outcome.Opened()) m_vRecord = std::move(vRecord);
    return outcome;
}

AccessOutcome COpenVault::EnterLocation(const std::string& strNative) {
    if (IsProtected() && KindOfVault(strNative, m_pEnv) == VaultKind::VAULT_NONE)
        return PlaceVaultRecord(strNative, m_vRecord, m_pEnv);
    const CWipedText password(m_pKey->Password());
    KeyRecordBytes vRecord;
    const AccessOutcome outcome =
        OpenVaultKey(strNative, password.Text(), m_pKey.get(), &vRecord, m_pEnv);
    if (!outcome.Opened()) return outcome;
    // A scrambled vault (or none) opened by the rule: files stored from now
    // on are scrambled ones, as the vault's kind asks.
    if (vRecord.empty()) m_pKey->SetMasterKey(CSecretBytes());
    m_vRecord = std::move(vRecord);
    return outcome;
}

bool COpenVault::MoveTo(const QString& strLocation, AccessOutcome* pOutcome) {
    const std::string strNative = Native(strLocation);
    if (strNative != NativeLocation()) emit LeavingLocation();
    AccessOutcome outcome;
    if (!IsProtected() && KindOfVault(strNative, m_pEnv) == VaultKind::VAULT_NONE) {
        // A scrambled vault's new place is made one, with its mark, so that
        // a location that cannot be (a file, a read-only folder) is refused
        // with its reason here rather than taken and failing every drop.
        const CWipedText password(m_pKey->Password());
        outcome = CreateVault(strNative, password.Text(), false, KDF_DEFAULT_LIMITS, m_pKey.get(),
                              nullptr, nullptr, m_pEnv);
    } else {
        outcome = EnterLocation(strNative);
    }
    if (pOutcome) *pOutcome = outcome;
    if (!outcome.Opened()) return false;
    m_strLocation = strLocation;
    CreateBoxFolders();
    emit LocationChanged(m_strLocation);
    return true;
}

bool COpenVault::MoveTo(const QString& strLocation, CredentialJudgement* pJudgement) {
    AccessOutcome outcome;
    const bool bMoved = MoveTo(strLocation, &outcome);
    if (pJudgement) *pJudgement = AsJudgement(outcome);
    return bMoved;
}

void COpenVault::CreateBoxFolders() const {
    quovex::CreateBoxFolders(NativeLocation(), Env());
}

void COpenVault::Lock() {
    if (m_bLocked) return;
    m_strLockedUser = QString::fromStdString(m_pKey->User());
    m_pKey->Wipe();
    m_bLocked = true;
}

AccessOutcome COpenVault::Unlock(const QString& strPassword) {
    if (!m_bLocked) return AccessOutcome{AccessResult::ACCESS_OPENED, {}, {}};
    {
        const CWipedText user(m_strLockedUser);
        const CWipedText password(strPassword);
        m_pKey->Reset(user.Text(), password.Text());
    }
    // A protected vault whose record went while it was locked would
    // otherwise be given the record again, which asks for no password.
    AccessOutcome outcome{AccessResult::ACCESS_RECORD_DAMAGED, {}, {}};
    if (!IsProtected() || Kind() == VaultKind::VAULT_PROTECTED) outcome = Open();
    if (!outcome.Opened()) {
        m_pKey->Wipe();
        return outcome;
    }
    m_bLocked = false;
    m_strLockedUser.clear();
    return outcome;
}

}  // namespace quovex
