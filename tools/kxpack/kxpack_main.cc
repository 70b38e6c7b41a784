// kxpack: builds a full game package and its patch list, and checks a package
// before it is published.
//
//   kxpack pack <game folder> <output folder> --version V --url URL
//               [--miniver V] [--minivercheck 0|1] [--level 0-9]
//   kxpack lint <package.zip> [--patch-list FILE]

#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "launcher/patch/patch_list.h"
#include "tools/kxpack/package_entries.h"
#include "tools/kxpack/package_lint.h"
#include "tools/kxpack/package_zip.h"
#include "tools/kxpack/patch_list_text.h"

namespace {

using kx::pack::LintInput;
using kx::pack::LintProblem;

constexpr char kPatchListName[] = "kx_patchlist_win32";

int usage() {
  std::fprintf(stderr,
               "usage:\n"
               "  kxpack pack <game folder> <output folder> --version V --url URL\n"
               "              [--miniver V] [--minivercheck 0|1] [--level 0-9]\n"
               "  kxpack lint <package.zip> [--patch-list FILE]\n");
  return 2;
}

int fail(const std::string& message) {
  std::fprintf(stderr, "kxpack: %s\n", message.c_str());
  return 2;
}

// Positional arguments and --key value pairs; false on an unknown or
// valueless option.
bool splitArgs(int argc, char** argv, const std::vector<std::string>& known,
               std::vector<std::string>* positional, std::map<std::string, std::string>* options) {
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--", 0) != 0) {
      positional->push_back(arg);
      continue;
    }
    const std::string key = arg.substr(2);
    bool isKnown = false;
    for (const std::string& k : known) isKnown = isKnown || k == key;
    if (!isKnown || i + 1 >= argc) return false;
    (*options)[key] = argv[++i];
  }
  return true;
}

int printProblems(const std::vector<LintProblem>& problems, const std::string& what) {
  for (const LintProblem& p : problems) std::printf("%s: %s\n", p.where.c_str(), p.message.c_str());
  if (problems.empty()) {
    std::printf("%s: no problems\n", what.c_str());
    return 0;
  }
  std::printf("%s: %zu problem%s\n", what.c_str(), problems.size(), problems.size() == 1 ? "" : "s");
  return 1;
}

int pack(int argc, char** argv) {
  std::vector<std::string> pos;
  std::map<std::string, std::string> opt;
  if (!splitArgs(argc, argv, {"version", "url", "miniver", "minivercheck", "level"}, &pos, &opt) ||
      pos.size() != 2 || !opt.count("version") || !opt.count("url"))
    return usage();
  const std::string& gameFolder = pos[0];
  const std::string& outFolder = pos[1];
  int level = 6;
  if (opt.count("level")) {
    const std::string& l = opt["level"];
    if (l.size() != 1 || l[0] < '0' || l[0] > '9') return fail("--level takes 0 to 9");
    level = l[0] - '0';
  }

  kx::pack::PatchListFields fields;
  fields.apkver = opt["version"];
  fields.miniver = opt.count("miniver") ? opt["miniver"] : fields.apkver;
  fields.httpurl = opt["url"];
  fields.minivercheck = opt.count("minivercheck") ? opt["minivercheck"] : "0";
  std::string error, text;
  // Check the patch list's values before spending minutes on the archive.
  if (!kx::pack::formatPatchList(fields, &text, &error)) return fail(error);

  std::vector<kx::pack::GameItem> items;
  std::vector<kx::pack::PackageEntry> entries;
  if (!kx::pack::listGameFolder(gameFolder, &items, &error) ||
      !kx::pack::planPackageEntries(items, &entries, &error))
    return fail(error);
  const std::string zipPath = outFolder + "/" + kx::pack::packageFileName(fields.apkver);
  if (!kx::pack::writePackage(gameFolder, entries, zipPath, level, &error) ||
      !kx::pack::measureFile(zipPath, &fields.packageSize, &fields.packageCrc32, &error) ||
      !kx::pack::formatPatchList(fields, &text, &error))
    return fail(error);
  const std::string listPath = outFolder + "/" + kPatchListName;
  {
    std::ofstream out(listPath, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) return fail("cannot write \"" + listPath + "\"");
  }
  std::printf("%s: %zu entries, %llu bytes\n%s\n", zipPath.c_str(), entries.size(),
              static_cast<unsigned long long>(fields.packageSize), listPath.c_str());

  // What pack makes must pass its own lint.
  LintInput input;
  if (!kx::pack::readPackage(zipPath, &input, &error)) return fail(error);
  input.apkver = fields.apkver;
  input.miniver = fields.miniver;
  input.minivercheck = fields.minivercheck;
  return printProblems(kx::pack::lintPackage(input), zipPath);
}

int lint(int argc, char** argv) {
  std::vector<std::string> pos;
  std::map<std::string, std::string> opt;
  if (!splitArgs(argc, argv, {"patch-list"}, &pos, &opt) || pos.size() != 1) return usage();
  LintInput input;
  std::string error;
  if (!kx::pack::readPackage(pos[0], &input, &error)) return fail(error);
  if (opt.count("patch-list")) {
    std::ifstream in(opt["patch-list"], std::ios::binary);
    if (!in) return fail("cannot read \"" + opt["patch-list"] + "\"");
    std::stringstream bytes;
    bytes << in.rdbuf();
    // The launcher parses it as its own table; ASCII passes through unchanged.
    kx::launcher::PatchListTable table;
    kx::launcher::parsePatchList(kx::pack::widen(bytes.str()), table);
    auto key = [&](const wchar_t* k) {
      const std::wstring v = kx::launcher::lookupPatchKey(table, k);
      return std::string(v.begin(), v.end());
    };
    input.apkver = key(L"apkver");
    input.miniver = key(L"miniver");
    input.minivercheck = key(L"minivercheck");
  }
  return printProblems(kx::pack::lintPackage(input), pos[0]);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  if (std::strcmp(argv[1], "pack") == 0) return pack(argc, argv);
  if (std::strcmp(argv[1], "lint") == 0) return lint(argc, argv);
  return usage();
}
