#ifndef KX_LAUNCHER_ENGINE_CHECK_INFO_FORMAT_H_
#define KX_LAUNCHER_ENGINE_CHECK_INFO_FORMAT_H_

// checkinfo.lst: one "name size" line per backed-up file.

#include <cstdint>
#include <string>
#include <vector>

namespace kx::launcher {

struct CheckInfoEntry {
  std::wstring name;
  int32_t size = 0;  // -1: the line could not be trusted; never verifies
  bool operator==(const CheckInfoEntry& o) const { return name == o.name && size == o.size; }
};

inline constexpr int32_t kUntrustedSize = -1;

// "name size" and CR LF, as a text-mode "%s %d\n" writes it.
std::string formatCheckInfoLine(const std::string& utf8Name, int32_t size);

// Lines split at LF, fields at spaces; lines with fewer than 2 fields are
// ignored. A size that is not a plain decimal in range, or a name that could
// leave the backup folder, gives kUntrustedSize.
std::vector<CheckInfoEntry> parseCheckInfo(const std::wstring& text);

}  // namespace kx::launcher

#endif  // KX_LAUNCHER_ENGINE_CHECK_INFO_FORMAT_H_
