// Small file helpers shared by the tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace quovex::test {

using Bytes = std::vector<unsigned char>;

inline Bytes RandomBytes(std::size_t nCount, unsigned nSeed) {
    std::mt19937 rng(nSeed);
    Bytes v(nCount);
    for (auto& b : v) b = static_cast<unsigned char>(rng());
    return v;
}

// Writes the bytes to strPath, creating its folders.
inline void WriteBytes(const std::string& strPath, const Bytes& vData) {
    std::filesystem::create_directories(std::filesystem::path(strPath).parent_path());
    std::ofstream out(strPath, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(vData.data()), vData.size());
}
inline void WriteText(const std::string& strPath, const std::string& strText) {
    WriteBytes(strPath, Bytes(strText.begin(), strText.end()));
}

inline Bytes ReadBytes(const std::string& strPath) {
    std::ifstream in(strPath, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool Exists(const std::string& strPath) {
    return std::filesystem::exists(std::filesystem::symlink_status(strPath));
}

inline unsigned ModeOf(const std::string& strPath) {
    return static_cast<unsigned>(std::filesystem::status(strPath).permissions()) & 0777;
}

// Every file below strRoot (links not followed), by path relative to strRoot,
// with its contents. Folders appear with an empty marker so that structure
// counts too.
inline std::map<std::string, Bytes> SnapshotTree(const std::string& strRoot) {
    std::map<std::string, Bytes> tree;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(strRoot)) {
        std::string strRel = std::filesystem::relative(entry.path(), strRoot).string();
        if (entry.is_symlink())
            tree[strRel + "@"] = {};
        else if (entry.is_directory())
            tree[strRel + "/"] = {};
        else
            tree[strRel] = ReadBytes(entry.path().string());
    }
    return tree;
}

// Names of every entry below strRoot whose name begins with a dot
// (the core's temporary files do).
inline std::vector<std::string> FindDotEntries(const std::string& strRoot) {
    std::vector<std::string> v;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(strRoot))
        if (entry.path().filename().string().front() == '.') v.push_back(entry.path().string());
    return v;
}

}  // namespace quovex::test
