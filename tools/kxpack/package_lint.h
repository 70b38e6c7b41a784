#ifndef KX_TOOLS_KXPACK_PACKAGE_LINT_H_
#define KX_TOOLS_KXPACK_PACKAGE_LINT_H_

// Checks a full game package the way the launcher will treat it, and says
// what to fix.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/signing/embedded_signature.h"

namespace kx::pack {

// One entry of the archive's directory, as the launcher's reader sees it.
struct ArchiveEntry {
  std::string name;  // bytes as stored
  bool utf8 = false;
  uint64_t uncompressedSize = 0;
};

struct LintInput {
  std::string fileName;  // the package's own file name, e.g. "KX-1.0.5.zip"
  std::vector<ArchiveEntry> entries;
  // The directory could not be read to its end: entries after that are unknown.
  bool directoryDamaged = false;
  // Keys from the patch list when one was given.
  std::optional<std::string> apkver;
  std::optional<std::string> miniver;
  std::optional<std::string> minivercheck;
  // Of Kx/kxmain.exe and Kx/version.ini, when present and readable.
  std::optional<EmbeddedSignature> gameExeSignature;
  std::optional<std::string> versionIni;
};

struct LintProblem {
  std::string where;    // an entry name, the file name or "patch list"
  std::string message;  // what is wrong and what to do
  bool operator==(const LintProblem& o) const { return where == o.where && message == o.message; }
};

std::vector<LintProblem> lintPackage(const LintInput& input);

// The publisher that the launcher and the plug-in accept.
inline constexpr char kTrustedPublisher[] = "Corvane Network Co. Ltd.";

}  // namespace kx::pack

#endif  // KX_TOOLS_KXPACK_PACKAGE_LINT_H_
