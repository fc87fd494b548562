// Small helpers on path text, with the platform's separator.
#pragma once

#include <string>

namespace quovex {

constexpr char PATH_SEPARATOR = '/';
// Name suffix of every stored file, of both formats ("report.doc" is stored
// as "report.doc.$"; a protected vault's hidden name as its sealed text and
// ".$").
constexpr char STORED_SUFFIX[] = ".$";

// strFolder with a separator appended unless it already ends in one.
std::string WithSeparator(const std::string& strFolder);
// strFolder, a separator when needed, then strName.
std::string JoinPath(const std::string& strFolder, const std::string& strName);
// The last component of a path ("" for a path ending in a separator).
std::string LastComponent(const std::string& strPath);
// The path without its last extension (from the last dot of the last
// component); unchanged when the last component has no dot.
std::string RemoveExtension(const std::string& strPath);
// The last extension including its dot, or "".
std::string FindExtension(const std::string& strPath);
// True for an absolute path in normal form: no empty, "." or ".."
// component and no separator at its end ("/" itself is not a file path).
bool IsNormalAbsolutePath(const std::string& strPath);
// The folder part of a path ("" when there is none).
std::string ParentFolder(const std::string& strPath);
// The folder that holds strPath: its folder part, or "." for a bare name.
std::string FolderOf(const std::string& strPath);

}  // namespace quovex
