// Paths, folders and the shell for the library. Paths are those of this platform: "/" separates
// components and a folder path is created from its root.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "rtl/Exceptions.h"

namespace palvrek {

// Empty stays empty; a path ending in the separator stays; otherwise "/" is appended.
std::string IncludeBackslash(std::string_view path);
bool IsDirectory(const std::string& path);
// Creates the folder and its missing parents. An empty or relative path (no parent to start
// from) raises rtl::EInOutError "Unable to create directory"; answers false when a folder cannot
// be made.
bool CreateDirectoryPath(std::string path);
// Asks the desktop to open a document or URL; the result is not examined.
void ShellOpen(const std::string& target);
// Replaces a file so that a crash leaves the old file or the new one (temporary file, flush,
// rename). Raises rtl::EFCreateError naming the file when it cannot be written.
void WriteFileSafely(const std::string& fileName, std::string_view data);
// The whole file, or nullopt when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& fileName);
// The system's temporary folder ($TMPDIR or /tmp), ending in "/".
std::string GetTempDir();

}  // namespace palvrek
