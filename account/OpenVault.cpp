#include "OpenVault.h"

#include <QByteArray>
#include <QFile>
#include <cstring>
#include <functional>

#include "Boxes.h"
#include "CredentialRule.h"

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
    : m_strLocation(strLocation), m_pKey(MakeKey(strUser, strPassword)), m_pEnv(pEnv) {}

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

AccessOutcome COpenVault::Open(const QString& strPassword) {
    return EnterLocation(NativeLocation(), strPassword);
}

AccessOutcome COpenVault::Create(const QString& strPassword, bool bProtected,
                                 const KdfLimits& limits, CSecretBytes* pRecoveryText) {
    const CWipedText password(strPassword);
    KeyRecordBytes vRecord;
    const AccessOutcome outcome = CreateVault(NativeLocation(), password.Text(), bProtected, limits,
                                              m_pKey.get(), &vRecord, pRecoveryText, m_pEnv);
    if (outcome.Opened()) m_vRecord = std::move(vRecord);
    return outcome;
}

AccessOutcome COpenVault::Protect(const QString& strNewPassword, const KdfLimits& limits,
                                  CSecretBytes* pRecoveryText) {
    const CWipedText password(strNewPassword);
    KeyRecordBytes vRecord;
    const AccessOutcome outcome = ProtectVault(NativeLocation(), password.Text(), limits,
                                               m_pKey.get(), &vRecord, pRecoveryText, m_pEnv);
    if (!outcome.Opened()) return outcome;
    m_vRecord = std::move(vRecord);
    m_bScrambleKeyApart = true;
    return outcome;
}

COpenVault::ConversionStep COpenVault::NextConversionStep() const {
    const ScrambledFilesLeft left = FindScrambledFilesLeft(NativeLocation(), *m_pKey, m_pEnv);
    if (left.strFirst.empty()) return ConversionStep::STEP_NOTHING_LEFT;
    if (!left.bOpen) return ConversionStep::STEP_NEEDS_OLD_PASSWORD;
    return m_bScrambleKeyApart ? ConversionStep::STEP_READY
                               : ConversionStep::STEP_NEEDS_NEW_PASSWORD;
}

AccessOutcome COpenVault::ResealForConversion(const QString& strPassword,
                                              const QString& strNewPassword,
                                              const KdfLimits& limits) {
    if (!IsProtected())
        return AccessOutcome{AccessResult::ACCESS_NOT_PROTECTED, {}, {}, {}, false, {}};
    const CWipedText password(strPassword);
    const CWipedText newPassword(strNewPassword);
    KeyRecordBytes vRecord;
    const AccessOutcome outcome =
        ChangeVaultPassword(NativeLocation(), m_pKey->User(), password.Text(), newPassword.Text(),
                            limits, m_pEnv, &vRecord, true);
    if (!outcome.Opened()) return outcome;
    m_vRecord = std::move(vRecord);
    m_bScrambleKeyApart = true;
    return outcome;
}

AccessOutcome COpenVault::AdmitScrambledFiles(const QString& strOldPassword) {
    const CWipedText password(strOldPassword);
    const AccessOutcome outcome =
        quovex::AdmitScrambledFiles(NativeLocation(), password.Text(), m_pKey.get(), m_pEnv);
    if (outcome.Opened()) m_bScrambleKeyApart = true;
    return outcome;
}

AccessOutcome COpenVault::ChangePassword(const QString& strOldPassword,
                                         const QString& strNewPassword, const KdfLimits& limits) {
    if (!IsProtected())
        return AccessOutcome{AccessResult::ACCESS_NOT_PROTECTED, {}, {}, {}, false, {}};
    const CWipedText oldPassword(strOldPassword);
    const CWipedText newPassword(strNewPassword);
    KeyRecordBytes vRecord;
    const AccessOutcome outcome =
        ChangeVaultPassword(NativeLocation(), m_pKey->User(), oldPassword.Text(),
                            newPassword.Text(), limits, m_pEnv, &vRecord);
    if (!outcome.Opened()) return outcome;
    // The change is refused while scrambled files are left, so none is.
    m_pKey->DropScrambleKey();
    m_vRecord = std::move(vRecord);
    return outcome;
}

AccessOutcome COpenVault::HideNames(const QString& strPassword, const KdfLimits& limits,
                                    CSecretBytes* pRecoveryText) {
    if (!IsProtected())
        return AccessOutcome{AccessResult::ACCESS_NOT_PROTECTED, {}, {}, {}, false, {}};
    const CWipedText password(strPassword);
    KeyRecordBytes vRecord;
    const AccessOutcome outcome = HideVaultNames(NativeLocation(), password.Text(), limits,
                                                 m_pKey.get(), &vRecord, pRecoveryText, m_pEnv);
    if (outcome.Opened()) m_vRecord = std::move(vRecord);
    return outcome;
}

AccessOutcome COpenVault::Recover(const QString& strRecoveryText, const QString& strNewPassword,
                                  const KdfLimits& limits) {
    const CWipedText recoveryText(strRecoveryText);
    const CWipedText password(strNewPassword);
    KeyRecordBytes vRecord;
    const AccessOutcome outcome =
        RecoverVault(NativeLocation(), recoveryText.Text(), password.Text(), limits, m_pKey.get(),
                     m_pEnv, &vRecord);
    if (outcome.Opened()) m_vRecord = std::move(vRecord);
    return outcome;
}

AccessOutcome COpenVault::EnterLocation(const std::string& strNative, const QString& strPassword) {
    const VaultKind nKind = KindOfVault(strNative, m_pEnv);
    if (IsProtected() && nKind == VaultKind::VAULT_NONE)
        return PlaceVaultRecord(strNative, m_vRecord, m_pEnv);
    // Without a password the key held decides, which only the scramble
    // key can do, and only for a vault without a record.
    const bool bByScrambleKey = strPassword.isEmpty();
    if (bByScrambleKey && (nKind == VaultKind::VAULT_PROTECTED || !m_pKey->CanScramble()))
        return AccessOutcome{AccessResult::ACCESS_PASSWORD_NEEDED, {}, {}, {}, false, {}};
    const CWipedText user(QString::fromStdString(m_pKey->User()));
    const CWipedText password(strPassword);
    CVaultKey candidate(user.Text(), password.Text());
    CVaultKey& key = bByScrambleKey ? *m_pKey : candidate;
    KeyRecordBytes vRecord;
    const AccessOutcome outcome = OpenVaultKey(strNative, password.Text(), &key, &vRecord, m_pEnv);
    if (!outcome.Opened()) return outcome;
    if (!bByScrambleKey) {
        // In place: the window and its runs refer to this very key.
        m_pKey->Reset(user.Text(), password.Text());
        m_pKey->SetMasterKeyOf(candidate);
    }
    // A scrambled vault (or none) opened by the rule: files stored from now
    // on are scrambled ones, as the vault's kind asks.
    if (vRecord.empty()) m_pKey->SetMasterKey(CSecretBytes());
    m_vRecord = std::move(vRecord);
    if (!bByScrambleKey) m_bScrambleKeyApart = false;
    return outcome;
}

bool COpenVault::MoveTo(const QString& strLocation, AccessOutcome* pOutcome,
                        const QString& strPassword) {
    const std::string strNative = Native(strLocation);
    if (strNative != NativeLocation()) emit LeavingLocation();
    AccessOutcome outcome;
    if (!IsProtected() && KindOfVault(strNative, m_pEnv) == VaultKind::VAULT_NONE) {
        // A scrambled vault's new place is made one, with its mark, so that
        // a location that cannot be (a file, a read-only folder) is refused
        // with its reason here rather than taken and failing every drop. The
        // scramble key held is all a scrambled vault needs.
        outcome = CreateVault(strNative, std::string(), false, KDF_DEFAULT_LIMITS, m_pKey.get(),
                              nullptr, nullptr, m_pEnv);
    } else {
        outcome = EnterLocation(strNative, strPassword);
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

AccessOutcome COpenVault::UnlockWith(const QString& strPassword,
                                     const std::function<AccessOutcome()>& fnOpen) {
    if (!m_bLocked) return AccessOutcome{AccessResult::ACCESS_OPENED, {}, {}, {}, false, {}};
    {
        const CWipedText user(m_strLockedUser);
        const CWipedText password(strPassword);
        m_pKey->Reset(user.Text(), password.Text());
    }
    const AccessOutcome outcome = fnOpen();
    if (!outcome.Opened()) {
        m_pKey->Wipe();
        return outcome;
    }
    m_bLocked = false;
    m_strLockedUser.clear();
    return outcome;
}

AccessOutcome COpenVault::UnlockByRecovery(const QString& strRecoveryText,
                                           const QString& strNewPassword, const KdfLimits& limits) {
    return UnlockWith(strNewPassword, [&] {
        if (Kind() != VaultKind::VAULT_PROTECTED)
            return AccessOutcome{AccessResult::ACCESS_RECORD_DAMAGED, {}, {}, {}, false, {}};
        return Recover(strRecoveryText, strNewPassword, limits);
    });
}

AccessOutcome COpenVault::Unlock(const QString& strPassword) {
    return UnlockWith(strPassword, [&] {
        // A protected vault whose record went while it was locked would
        // otherwise be given the record again, which asks for no password.
        if (IsProtected() && Kind() != VaultKind::VAULT_PROTECTED)
            return AccessOutcome{AccessResult::ACCESS_RECORD_DAMAGED, {}, {}, {}, false, {}};
        return Open(strPassword);
    });
}

}  // namespace quovex
