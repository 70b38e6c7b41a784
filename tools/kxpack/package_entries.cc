#include "tools/kxpack/package_entries.h"

#include <algorithm>
#include <set>

namespace kx::pack {
namespace {

constexpr char kGameFolderEntry[] = "Kx/";
// The launcher reads entry names into a 256-byte buffer with its terminator.
constexpr size_t kMaxStoredName = 255;

bool checkComponents(const std::string& path, std::string* error) {
  size_t start = 0;
  while (true) {
    const size_t end = path.find('/', start);
    const std::string part = path.substr(start, end == std::string::npos ? end : end - start);
    if (part.empty() || part == "." || part == "..") {
      *error = "\"" + path + "\": empty, \".\" or \"..\" component";
      return false;
    }
    if (part.find_first_of("\\:") != std::string::npos) {
      *error = "\"" + path + "\": '\\' or ':' in a name cannot be stored for Windows";
      return false;
    }
    if (part.back() == '.' || part.back() == ' ') {
      *error = "\"" + path + "\": Windows drops a trailing dot or space from a name";
      return false;
    }
    if (end == std::string::npos) return true;
    start = end + 1;
  }
}

}  // namespace

std::string asciiLower(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

std::wstring widen(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

bool isThreePartVersion(const std::string& version) {
  int parts = 0;
  size_t digits = 0;
  for (const char c : version) {
    if (c >= '0' && c <= '9') {
      if (++digits > 9) return false;
    } else if (c == '.' && digits > 0 && parts < 2) {
      ++parts;
      digits = 0;
    } else {
      return false;
    }
  }
  return parts == 2 && digits > 0;
}

std::string packageFileName(const std::string& version) { return "KX-" + version + ".zip"; }

bool planPackageEntries(const std::vector<GameItem>& items, std::vector<PackageEntry>* entries,
                        std::string* error) {
  entries->clear();
  std::set<std::string> folders;
  std::set<std::string> names;
  std::set<std::string> foldedNames;  // Windows folds ASCII letter case
  std::vector<PackageEntry> out;
  out.push_back({kGameFolderEntry, "", true});
  names.insert(kGameFolderEntry);
  for (const GameItem& item : items) {
    if (!checkComponents(item.path, error)) return false;
    // Parents get folder entries even when the walk did not list them.
    for (size_t slash = item.path.find('/'); slash != std::string::npos;
         slash = item.path.find('/', slash + 1)) {
      const std::string parent = item.path.substr(0, slash);
      if (folders.insert(parent).second) {
        const std::string name = kGameFolderEntry + parent + "/";
        if (names.insert(name).second) out.push_back({name, parent, true});
      }
    }
    std::string name = kGameFolderEntry + item.path;
    if (item.folder) {
      name += "/";
      folders.insert(item.path);
    }
    if (name.size() > kMaxStoredName) {
      *error = "\"" + item.path + "\": stored as " + std::to_string(name.size()) +
               " bytes; the launcher reads at most 255";
      return false;
    }
    if (!names.insert(name).second) {
      if (item.folder) continue;
      *error = "\"" + item.path + "\" listed twice";
      return false;
    }
    if (!item.folder && !foldedNames.insert(asciiLower(name)).second) {
      *error = "\"" + item.path + "\" differs from another name only in letter case";
      return false;
    }
    out.push_back({name, item.path, item.folder});
  }
  std::sort(out.begin(), out.end(),
            [](const PackageEntry& a, const PackageEntry& b) { return a.name < b.name; });
  *entries = std::move(out);
  return true;
}

}  // namespace kx::pack
