// A private temporary folder for one test, removed with everything in it
// when the object goes out of scope.
#pragma once

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

namespace quovex::test {

class CTempDir {
public:
    CTempDir() {
        const char* pszBase = std::getenv("TMPDIR");
        std::string strTemplate =
            std::string(pszBase && *pszBase ? pszBase : "/tmp") + "/quovex-test-XXXXXX";
        if (!mkdtemp(strTemplate.data())) throw std::runtime_error("mkdtemp failed");
        // The real path, so that paths recorded in headers are what the tests expect.
        m_strPath = std::filesystem::canonical(strTemplate).string();
    }
    ~CTempDir() {
        std::error_code ec;
        std::filesystem::remove_all(m_strPath, ec);
    }
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;

    const std::string& Path() const { return m_strPath; }
    // Path() joined with a relative path.
    std::string operator/(const std::string& strRelative) const {
        return m_strPath + "/" + strRelative;
    }

private:
    std::string m_strPath;
};

}  // namespace quovex::test
