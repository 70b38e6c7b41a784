#ifndef KX_TOOLS_KXPACK_PATCH_LIST_TEXT_H_
#define KX_TOOLS_KXPACK_PATCH_LIST_TEXT_H_

// The patch list that goes beside a package on the update server.

#include <cstdint>
#include <string>

namespace kx::pack {

struct PatchListFields {
  std::string miniver;       // oldest version that may stay in use
  std::string apkver;        // the package's version
  std::string httpurl;       // folder URL of the packages, no trailing '/'
  std::string minivercheck;  // "0" off, "1" on
  uint64_t packageSize = 0;
  uint32_t packageCrc32 = 0;
};

// Key lines, then one package entry line of four fields:
// "KX-<apkver>.zip <apkver> <size> <crc32 as 8 hex digits>". The launcher
// reads the text in the ANSI code page, so only printable ASCII is accepted.
// False with |error| for a value the launcher would misread.
bool formatPatchList(const PatchListFields& fields, std::string* text, std::string* error);

}  // namespace kx::pack

#endif  // KX_TOOLS_KXPACK_PATCH_LIST_TEXT_H_
