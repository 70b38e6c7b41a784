#ifndef KX_TOOLS_KXPACK_PACKAGE_ENTRIES_H_
#define KX_TOOLS_KXPACK_PACKAGE_ENTRIES_H_

// What goes into a full game package, decided apart from the file system.

#include <cstdint>
#include <string>
#include <vector>

namespace kx::pack {

// One item below the game folder, by its path relative to it with '/'
// between the components (UTF-8).
struct GameItem {
  std::string path;
  bool folder = false;
};

struct PackageEntry {
  std::string name;    // as stored: "Kx/..." and a trailing '/' on folders
  std::string source;  // the GameItem path it comes from; empty for "Kx/"
  bool folder = false;
};

// Every entry of the package in ascending byte order of the names: a folder
// entry for "Kx/" and for every folder (the launcher creates folders only from
// folder entries), then the files. False with |error| for a path the launcher
// could not unpack into the game folder (empty component, "." or "..", a '\' or
// ':' in a name, a name of 256 bytes or more once stored).
bool planPackageEntries(const std::vector<GameItem>& items, std::vector<PackageEntry>* entries,
                        std::string* error);

// "KX-<version>.zip".
std::string packageFileName(const std::string& version);

std::string asciiLower(std::string s);
// Byte for byte; meant for ASCII texts such as versions.
std::wstring widen(const std::string& ascii);

// Three decimal numbers joined by dots, nothing else.
bool isThreePartVersion(const std::string& version);

}  // namespace kx::pack

#endif  // KX_TOOLS_KXPACK_PACKAGE_ENTRIES_H_
