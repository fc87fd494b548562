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

bool COpenVault::MoveTo(const QString& strLocation, CredentialJudgement* pJudgement) {
    const CredentialJudgement judgement = JudgeCredentialsAt(strLocation);
    if (pJudgement) *pJudgement = judgement;
    if (judgement.nVerdict != CredentialVerdict::CREDENTIALS_ACCEPTED) return false;
    m_strLocation = strLocation;
    CreateBoxFolders();
    emit LocationChanged(m_strLocation);
    return true;
}

void COpenVault::CreateBoxFolders() const {
    quovex::CreateBoxFolders(NativeLocation(), Env());
}

}  // namespace quovex
