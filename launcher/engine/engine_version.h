#ifndef KX_LAUNCHER_ENGINE_ENGINE_VERSION_H_
#define KX_LAUNCHER_ENGINE_ENGINE_VERSION_H_

// version.ini text and the choice of engine files to bring over.

#include <string>
#include <vector>

namespace kx::launcher {

// One line after the version: file name, version it last changed in, and a
// third field that must be there but is not interpreted.
struct EngineEntry {
  std::wstring name;
  std::wstring version;
  std::wstring extra;
  bool operator==(const EngineEntry& o) const {
    return name == o.name && version == o.version && extra == o.extra;
  }
};

// A name that stays inside the folder it is relative to: not empty, not
// rooted, no drive, no "." or ".." component.
bool isSafeRelativeName(const std::wstring& name);

// Trims spaces, CR and LF, splits at LF; line 1 is the version, further lines
// with three or more space-separated fields are entries. Entries whose name
// could leave the folder are dropped. |entries| may be null.
void parseVersionText(const std::wstring& text, std::wstring& version,
                      std::vector<EngineEntry>* entries);

// The bytes of a game directory version.ini: UTF-8 version and CR LF.
std::string formatVersionText(const std::string& utf8Version);

// Third number of a three-number version is not 0. False when it does not read.
bool isSubVersion(const std::wstring& version);

// The full version a sub-version sits on: 2.5.2 -> 2.5.0. Empty when it does
// not read as three numbers.
std::wstring fullVersionOf(const std::wstring& version);

// Entries newer than |curVer| over three components, in file order.
std::vector<EngineEntry> selectCandidates(const std::vector<EngineEntry>& entries,
                                          const std::wstring& curVer);
// For a full version: the candidates also newer over the first two components.
std::vector<std::wstring> fullVersionCopyList(const std::vector<EngineEntry>& candidates,
                                              const std::wstring& curVer);
std::vector<std::wstring> namesOf(const std::vector<EngineEntry>& entries);

}  // namespace kx::launcher

#endif  // KX_LAUNCHER_ENGINE_ENGINE_VERSION_H_
