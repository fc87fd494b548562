// What both fuzz targets share around their sandbox (SandboxEnv.h): its
// root made once, the stored file's and the restore's places in it, and
// what it holds read back for the checks: every entry below the root by
// virtual path, with the content of each file.
#pragma once

#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "SandboxEnv.h"

namespace quovex::fuzz {

constexpr char FUZZ_VAULT[] = "/vault";
constexpr char FUZZ_STORED[] = "/vault/in.$";
constexpr char FUZZ_OUT[] = "/out";
constexpr char FUZZ_TARGET[] = "/out/in.bin.$";
constexpr char FUZZ_PLAIN[] = "/out/in.bin";

// Virtual path -> content; a folder's path ends in "/" and has no content.
using Tree = std::map<std::string, std::string>;

inline std::uint32_t Le32(const unsigned char* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// A new private temporary folder, its real path; removed with everything
// in it when the process exits.
inline std::string MakeSandboxRoot() {
    static std::string s_strRoot;
    std::string strTemplate =
        (std::filesystem::temp_directory_path() / "quovex-fuzz-XXXXXX").string();
    if (!mkdtemp(strTemplate.data())) Finding("no temporary folder");
    s_strRoot = std::filesystem::canonical(strTemplate).string();
    std::atexit([] {
        std::error_code ec;
        std::filesystem::remove_all(s_strRoot, ec);
    });
    return s_strRoot;
}

inline std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Empties the root, which stays.
inline void Clear(const std::string& strRoot) {
    for (const auto& entry : std::filesystem::directory_iterator(strRoot))
        std::filesystem::remove_all(entry.path());
}

// Everything below strRoot; a link or a special file is a finding.
inline Tree Snapshot(const std::string& strRoot) {
    Tree tree;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(strRoot)) {
        const std::string strPath = entry.path().string().substr(strRoot.size());
        if (entry.is_symlink() || !(entry.is_directory() || entry.is_regular_file()))
            Finding("unexpected kind of entry: " + strPath);
        tree[entry.is_directory() ? strPath + "/" : strPath] =
            entry.is_directory() ? std::string() : ReadAll(entry.path());
    }
    return tree;
}

// Writes a file of the sandbox at its virtual path, whole.
inline void WriteSandboxFile(const CSandboxEnv& env, const std::string& strVirtual,
                             const std::string& strContent) {
    std::ofstream(env.RealPath(strVirtual), std::ios::binary)
        .write(strContent.data(), static_cast<std::streamsize>(strContent.size()));
}

// Every change from before to after must be one a restore to strTarget
// may make: a new folder above it, and strTarget itself, new or replaced,
// holding *pContent (with pContent null, strTarget may not change either).
inline void CheckChanges(const Tree& before, const Tree& after, const std::string& strTarget,
                         const std::string* pContent, const std::string& strWhat) {
    for (const auto& [strPath, strData] : before) {
        const auto it = after.find(strPath);
        if (it == after.end()) Finding(strWhat + " removed " + strPath);
        if (it->second != strData && (strPath != strTarget || !pContent))
            Finding(strWhat + " changed " + strPath);
    }
    for (const auto& [strPath, strData] : after) {
        if (before.count(strPath)) continue;
        const bool bFolderAbove = strPath.back() == '/' && strTarget.rfind(strPath, 0) == 0;
        if (!bFolderAbove && (strPath != strTarget || !pContent))
            Finding(strWhat + " created " + strPath);
    }
    const auto it = after.find(strTarget), itOld = before.find(strTarget);
    if (pContent && it != after.end() && (itOld == before.end() || itOld->second != it->second) &&
        it->second != *pContent)
        Finding(strWhat + " wrote wrong bytes to " + strTarget);
}

}  // namespace quovex::fuzz
