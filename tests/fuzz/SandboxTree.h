// What a fuzz target's sandbox holds, read back for its checks: every
// entry below the root by virtual path, with the content of each file.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "SandboxEnv.h"

namespace quovex::fuzz {

// Virtual path -> content; a folder's path ends in "/" and has no content.
using Tree = std::map<std::string, std::string>;

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

}  // namespace quovex::fuzz
