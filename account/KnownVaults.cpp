#include "KnownVaults.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "ProtectedLayout.h"

namespace quovex {

namespace {

constexpr char RECORD_FOLDER[] = "tandrel";
constexpr char RECORD_NAME[] = "quovex-protected-vaults";

using KnownMap = std::map<std::string, std::string>;  // location -> vault id in hex

std::string Normal(std::string strLocation) {
    while (strLocation.size() > 1 && strLocation.back() == '/') strLocation.pop_back();
    return strLocation;
}

std::string PathOr(const std::string& strRecordPath) {
    return strRecordPath.empty() ? KnownVaultsPath() : strRecordPath;
}

}  // namespace

std::string VaultIdText(const KeyRecordBytes& vRecord) {
    unsigned char bytes[KR_VAULT_ID_SIZE];
    if (!ReadVaultId(vRecord, bytes)) return std::string();
    VaultIdBytes id;
    static_assert(sizeof bytes == std::tuple_size_v<VaultIdBytes>);
    std::copy(bytes, bytes + sizeof bytes, id.begin());
    return VaultIdHex(id);
}

namespace {

// Every well-formed line of the record; a line of another form is dropped.
KnownMap ReadKnown(const std::string& strPath) {
    KnownMap known;
    std::ifstream in(strPath);
    std::string strLine;
    while (std::getline(in, strLine)) {
        const std::size_t nSpace = strLine.find(' ');
        if (nSpace != KR_VAULT_ID_SIZE * 2 || nSpace + 1 >= strLine.size()) continue;
        known[Normal(strLine.substr(nSpace + 1))] = strLine.substr(0, nSpace);
    }
    return known;
}

// Makes the folders above strPath (0700), as the configuration folder may
// not exist yet.
void MakeParents(const std::string& strPath) {
    for (std::size_t nSlash = strPath.find('/', 1); nSlash != std::string::npos;
         nSlash = strPath.find('/', nSlash + 1))
        ::mkdir(strPath.substr(0, nSlash).c_str(), 0700);
}

// The record replaced whole by known: a new file beside it, flushed, then
// renamed over it.
bool WriteKnown(const std::string& strPath, const KnownMap& known) {
    MakeParents(strPath);
    std::ostringstream text;
    for (const auto& [strLocation, strId] : known) text << strId << ' ' << strLocation << '\n';
    const std::string strText = text.str();
    const std::string strTemp = strPath + ".new";
    const int nFd =
        ::open(strTemp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (nFd < 0) return false;
    const bool bWritten =
        ::write(nFd, strText.data(), strText.size()) == static_cast<ssize_t>(strText.size()) &&
        ::fsync(nFd) == 0;
    const bool bClosed = ::close(nFd) == 0;
    if (!bWritten || !bClosed || ::rename(strTemp.c_str(), strPath.c_str()) != 0) {
        ::unlink(strTemp.c_str());
        return false;
    }
    return true;
}

}  // namespace

std::string KnownVaultsPath(const std::string& strConfigFolder) {
    std::string strFolder = strConfigFolder;
    if (strFolder.empty()) {
        const char* pszConfig = std::getenv("XDG_CONFIG_HOME");
        const char* pszHome = std::getenv("HOME");
        if (pszConfig && *pszConfig == '/')
            strFolder = pszConfig;
        else
            strFolder = std::string(pszHome ? pszHome : "") + "/.config";
    }
    return Normal(strFolder) + "/" + RECORD_FOLDER + "/" + RECORD_NAME;
}

bool IsKnownProtected(const std::string& strLocation, const std::string& strRecordPath) {
    return !KnownVaultId(strLocation, strRecordPath).empty();
}

std::string KnownVaultId(const std::string& strLocation, const std::string& strRecordPath) {
    const KnownMap known = ReadKnown(PathOr(strRecordPath));
    const auto found = known.find(Normal(strLocation));
    return found == known.end() ? std::string() : found->second;
}

bool RememberProtected(const std::string& strLocation, const KeyRecordBytes& vRecord,
                       const std::string& strRecordPath) {
    const std::string strId = VaultIdText(vRecord);
    if (strId.empty() || strLocation.find('\n') != std::string::npos) return false;
    const std::string strPath = PathOr(strRecordPath);
    KnownMap known = ReadKnown(strPath);
    std::string& strKnownId = known[Normal(strLocation)];
    if (strKnownId == strId) return true;
    strKnownId = strId;
    return WriteKnown(strPath, known);
}

bool ForgetProtected(const std::string& strLocation, const std::string& strRecordPath) {
    const std::string strPath = PathOr(strRecordPath);
    KnownMap known = ReadKnown(strPath);
    if (known.erase(Normal(strLocation)) == 0) return true;
    return WriteKnown(strPath, known);
}

}  // namespace quovex
