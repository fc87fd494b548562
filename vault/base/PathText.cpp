#include "PathText.h"

namespace quovex {

std::string WithSeparator(const std::string& strFolder) {
    if (!strFolder.empty() && strFolder.back() == PATH_SEPARATOR) return strFolder;
    return strFolder + PATH_SEPARATOR;
}

std::string JoinPath(const std::string& strFolder, const std::string& strName) {
    return WithSeparator(strFolder) + strName;
}

std::string LastComponent(const std::string& strPath) {
    const auto nSep = strPath.rfind(PATH_SEPARATOR);
    return nSep == std::string::npos ? strPath : strPath.substr(nSep + 1);
}

static std::string::size_type ExtensionStart(const std::string& strPath) {
    const auto nSep = strPath.rfind(PATH_SEPARATOR);
    const auto nDot = strPath.rfind('.');
    if (nDot == std::string::npos) return std::string::npos;
    if (nSep != std::string::npos && nDot < nSep) return std::string::npos;
    return nDot;
}

std::string RemoveExtension(const std::string& strPath) {
    const auto nDot = ExtensionStart(strPath);
    return nDot == std::string::npos ? strPath : strPath.substr(0, nDot);
}

std::string FindExtension(const std::string& strPath) {
    const auto nDot = ExtensionStart(strPath);
    return nDot == std::string::npos ? std::string() : strPath.substr(nDot);
}

std::string ParentFolder(const std::string& strPath) {
    const auto nSep = strPath.rfind(PATH_SEPARATOR);
    if (nSep == std::string::npos) return std::string();
    if (nSep == 0) return std::string(1, PATH_SEPARATOR);
    return strPath.substr(0, nSep);
}

std::string FolderOf(const std::string& strPath) {
    const std::string strParent = ParentFolder(strPath);
    return strParent.empty() ? std::string(".") : strParent;
}

bool IsNormalAbsolutePath(const std::string& strPath) {
    if (strPath.size() < 2 || strPath.front() != PATH_SEPARATOR) return false;
    std::string::size_type nStart = 1;
    for (;;) {
        const auto nEnd = strPath.find(PATH_SEPARATOR, nStart);
        const std::string strPart = strPath.substr(nStart, nEnd - nStart);
        if (strPart.empty() || strPart == "." || strPart == "..") return false;
        if (nEnd == std::string::npos) return true;
        nStart = nEnd + 1;
    }
}

}  // namespace quovex
