#ifndef KX_TOOLS_KXPACK_PACKAGE_ZIP_H_
#define KX_TOOLS_KXPACK_PACKAGE_ZIP_H_

// The archive half of the package tool: walking a game folder, writing the
// package with minizip, and reading one back for the lint.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/kxpack/package_entries.h"
#include "tools/kxpack/package_lint.h"

namespace kx::pack {

// Every file and folder below |gameFolder|, sorted. Links are refused: the
// package must hold what the operator sees, not what a link points at.
bool listGameFolder(const std::string& gameFolder, std::vector<GameItem>* items,
                    std::string* error);

// Writes |entries| (sources relative to |gameFolder|) to |zipPath|, deflated at
// |level| (0-9), names flagged UTF-8 when they are not ASCII. The file is
// written beside its final name and renamed into place only when complete.
bool writePackage(const std::string& gameFolder, const std::vector<PackageEntry>& entries,
                  const std::string& zipPath, int level, std::string* error);

// Size and CRC-32 of a whole file.
bool measureFile(const std::string& path, uint64_t* size, uint32_t* crc, std::string* error);

// Fills |input| from the archive at |path|: its entries as the launcher's
// reader walks them, and the bytes of Kx/kxmain.exe and Kx/version.ini.
bool readPackage(const std::string& path, LintInput* input, std::string* error);

}  // namespace kx::pack

#endif  // KX_TOOLS_KXPACK_PACKAGE_ZIP_H_
