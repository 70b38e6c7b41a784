#include "tools/kxpack/package_lint.h"

#include <iterator>
#include <map>
#include <set>

#include "launcher/cache/cache_layout.h"
#include "launcher/package/zip_file_names.h"
#include "launcher/util/version.h"
#include "tools/kxpack/package_entries.h"

namespace kx::pack {
namespace {

constexpr char kGameFolder[] = "Kx/";
constexpr size_t kMaxStoredName = 255;
constexpr uint64_t kMaxEntrySize = 0xFFFFFFFFull;

// "Kx/" + a completeness path with '/' as the archive spells it.
std::string archivePathOf(const wchar_t* relative) {
  std::string out = kGameFolder;
  for (const wchar_t* p = relative; *p; ++p) out += *p == L'\\' ? '/' : static_cast<char>(*p);
  return out;
}

// Folder names in an archive end in '/' or '\'; compare them in one spelling.
std::string slashed(std::string name) {
  for (char& c : name) {
    if (c == '\\') c = '/';
  }
  return name;
}

bool isAscii(const std::string& s) {
  for (const char c : s) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

std::string firstLine(const std::string& text) {
  std::string line = text.substr(0, text.find('\n'));
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
  size_t start = 0;
  while (start < line.size() && line[start] == ' ') ++start;
  return line.substr(start);
}

class Linter {
 public:
  explicit Linter(const LintInput& in) : in_(in) {}

  std::vector<LintProblem> run() {
    checkFileName();
    checkPatchList();
    if (in_.directoryDamaged)
      add(in_.fileName, "the archive's directory is damaged after " +
                            std::to_string(in_.entries.size()) +
                            " entries: the launcher unpacks only those; pack it again");
    checkNames();
    checkFolders();
    checkRequired();
    checkGameExe();
    checkVersionIni();
    return std::move(problems_);
  }

 private:
  void add(const std::string& where, const std::string& message) {
    problems_.push_back({where, message});
  }

  void checkFileName() {
    const std::wstring version = launcher::versionFromPackageName(widen(in_.fileName));
    const std::string expected =
        in_.apkver ? packageFileName(*in_.apkver) : std::string();
    if (in_.apkver && in_.fileName != expected) {
      add(in_.fileName, "the launcher downloads \"" + expected + "\" for apkver " + *in_.apkver +
                            ": rename the package or change apkver");
    } else if (!in_.apkver && (in_.fileName.rfind("KX-", 0) != 0 ||
                               !isThreePartVersion(std::string(version.begin(), version.end())) ||
                               in_.fileName.size() < 4 ||
                               in_.fileName.compare(in_.fileName.size() - 4, 4, ".zip") != 0)) {
      add(in_.fileName, "a package is named \"KX-<three-number version>.zip\"");
    }
  }

  void checkPatchList() {
    if (!in_.apkver) return;
    if (!isThreePartVersion(*in_.apkver))
      add("patch list", "apkver \"" + *in_.apkver + "\" is not three numbers joined by dots");
    if (in_.miniver && !in_.miniver->empty()) {
      if (!isThreePartVersion(*in_.miniver))
        add("patch list", "miniver \"" + *in_.miniver +
                              "\" is not three numbers: the launcher then keeps any old package");
      else if (launcher::compareVersion(widen(*in_.miniver), widen(*in_.apkver), true) > 0)
        add("patch list", "miniver " + *in_.miniver + " is newer than apkver " + *in_.apkver +
                              ": every launcher would discard the package it just unpacked");
    }
  }

  void checkNames() {
    std::map<std::string, int> seen;
    std::map<std::string, std::string> folded;
    for (const ArchiveEntry& e : in_.entries) {
      const std::string& n = e.name;
      if (n.size() > kMaxStoredName) {
        add(n.substr(0, 60) + "...", "name of " + std::to_string(n.size()) +
                                         " bytes: the launcher reads at most 255; shorten it");
        continue;
      }
      if (!cocos2d::isSafeEntryName(n)) {
        add(n, "would land outside the cache folder (rooted, drive, ':' or a \"..\" component): "
               "the launcher refuses it; rename or remove it");
        continue;
      }
      if (n.rfind(kGameFolder, 0) != 0 && slashed(n).rfind(kGameFolder, 0) != 0)
        add(n, "lies outside \"Kx/\": it would be unpacked beside the game folder");
      if (!e.utf8 && !isAscii(n))
        add(n, "not ASCII and not marked as UTF-8: each user's ANSI code page decodes it "
               "differently; store it with the UTF-8 flag (pack does)");
      if (e.uncompressedSize > kMaxEntrySize)
        add(n, "larger than 4 GiB - 1 bytes: the launcher cannot hold it; split it");
      if (++seen[n] == 2) add(n, "appears more than once: only one copy is unpacked");
      if (!cocos2d::isFolderEntryName(n)) {
        const std::string key = asciiLower(slashed(n));
        auto [it, fresh] = folded.emplace(key, n);
        if (!fresh && it->second != n)
          add(n, "differs from \"" + it->second +
                     "\" only in letter case: on Windows one overwrites the other");
      }
    }
  }

  void checkFolders() {
    std::set<std::string> folders;
    for (const ArchiveEntry& e : in_.entries) {
      if (cocos2d::isFolderEntryName(e.name)) folders.insert(slashed(e.name));
    }
    std::set<std::string> reported;
    for (const ArchiveEntry& e : in_.entries) {
      if (e.name.size() > kMaxStoredName || !cocos2d::isSafeEntryName(e.name)) continue;
      const std::string name = slashed(std::string(cocos2d::withoutTrailingSeparator(e.name)));
      for (size_t slash = name.find('/'); slash != std::string::npos;
           slash = name.find('/', slash + 1)) {
        const std::string folder = name.substr(0, slash + 1);
        if (folders.count(folder) || !reported.insert(folder).second) continue;
        add(e.name, "its folder \"" + folder +
                        "\" has no folder entry: the launcher creates folders only from folder "
                        "entries, so this cannot be unpacked (pack adds them)");
      }
    }
  }

  void checkRequired() {
    std::set<std::string> files;
    for (const ArchiveEntry& e : in_.entries) files.insert(slashed(e.name));
    for (size_t i = 0; i < std::size(launcher::kCompletenessList); ++i) {
      const std::string path = archivePathOf(launcher::kCompletenessList[i]);
      if (files.count(path)) continue;
      add(path, i < launcher::kCompletenessAfterPackage
                    ? std::string("missing: the launcher never starts a game without it")
                    : std::string("missing: a sample of the launcher's completeness check; without "
                                  "it the cache counts as broken whenever findownload.dat is gone"));
    }
    const std::string versionIni = archivePathOf(launcher::kVersionIniName);
    if (!files.count(versionIni))
      add(versionIni, "missing: the launcher reads the installed engine version from it");
  }

  void checkGameExe() {
    if (!in_.gameExeSignature) return;
    const std::string where = archivePathOf(launcher::kGameExeName);
    switch (in_.gameExeSignature->status) {
      case EmbeddedSignatureStatus::kNotExecutable:
        add(where, "not a Windows executable");
        return;
      case EmbeddedSignatureStatus::kUnsigned:
        add(where, std::string("not signed: the launcher refuses to start it; sign it with the \"") +
                       kTrustedPublisher + "\" certificate");
        return;
      case EmbeddedSignatureStatus::kMalformed:
        add(where, "its signature does not read: sign it again");
        return;
      case EmbeddedSignatureStatus::kSigned:
        if (in_.gameExeSignature->signerName != kTrustedPublisher)
          add(where, "signed by \"" + in_.gameExeSignature->signerName + "\", not \"" +
                         kTrustedPublisher + "\": the launcher refuses to start it");
        return;
    }
  }

  void checkVersionIni() {
    if (!in_.versionIni) return;
    const std::string where = archivePathOf(launcher::kVersionIniName);
    const std::string version = firstLine(*in_.versionIni);
    if (!isThreePartVersion(version)) {
      add(where, "its first line \"" + version + "\" is not three numbers joined by dots");
      return;
    }
    // An engine older than miniver is thrown away on every launch.
    if (in_.minivercheck && !in_.minivercheck->empty() && *in_.minivercheck != "0" &&
        in_.miniver && isThreePartVersion(*in_.miniver) &&
        launcher::compareVersion(widen(version), widen(*in_.miniver), true) < 0)
      add(where, "engine version " + version + " is older than miniver " + *in_.miniver +
                     " with minivercheck on: every launch would delete and download it again");
  }

  const LintInput& in_;
  std::vector<LintProblem> problems_;
};

}  // namespace

std::vector<LintProblem> lintPackage(const LintInput& input) { return Linter(input).run(); }

}  // namespace kx::pack
