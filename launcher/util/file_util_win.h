#ifndef KX_LAUNCHER_UTIL_FILE_UTIL_WIN_H_
#define KX_LAUNCHER_UTIL_FILE_UTIL_WIN_H_

#include <string>

namespace kx::launcher {

// Creates every folder of |path| (separators '\' or '/'); with |lastIsFileName|
// the last component is a file and is not created. Stops at the first failure.
bool makeDirectories(const std::wstring& path, bool lastIsFileName);

// Deletes |folder| with everything below it; true when the folder itself is gone.
// The first failure stops the walk. Links (reparse points) are removed, never
// followed, so a junction cannot lead the walk outside the tree; a link at
// |folder| itself is removed as a link too.
bool removeDirectoryTree(const std::wstring& folder);

// True when the path names an existing file or folder.
bool fileExists(const std::wstring& path);

// Creates or truncates |path| and writes |bytes| through to the disk; false when
// it cannot be created, any byte cannot be written, or the flush fails.
bool writeFileFlushed(const std::wstring& path, const std::string& bytes);

// Reads a whole UTF-8 text file (shared for reading and writing) into |out|;
// the text ends at the first zero byte; a byte-order mark stays as U+FEFF.
bool readTextFileUtf8(const std::wstring& path, std::wstring& out);

}  // namespace kx::launcher

#endif  // KX_LAUNCHER_UTIL_FILE_UTIL_WIN_H_
