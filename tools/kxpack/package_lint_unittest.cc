#include "tools/kxpack/package_lint.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace kx::pack {
namespace {

// A package as pack makes it, with a signature read as Corvane's.
LintInput goodPackage() {
  LintInput in;
  in.fileName = "KX-1.0.5.zip";
  for (const char* name :
       {"Kx/", "Kx/HashRes/", "Kx/HashRes/1D/", "Kx/HashRes/1D/17CF03", "Kx/HashRes/29/",
        "Kx/HashRes/29/98F231", "Kx/HashRes/2A/", "Kx/HashRes/2A/0B96FE", "Kx/HashRes/48/",
        "Kx/HashRes/48/02AFA8", "Kx/HashRes/49/", "Kx/HashRes/49/47FC7F", "Kx/HashRes/7F/",
        "Kx/HashRes/7F/569D84", "Kx/HashRes/89/", "Kx/HashRes/89/A334F0", "Kx/HashRes/A4/",
        "Kx/HashRes/A4/B5E22B", "Kx/kxmain.dll", "Kx/kxmain.exe", "Kx/version.ini"})
    in.entries.push_back({name, false, 10});
  in.apkver = "1.0.5";
  in.miniver = "1.0.4";
  in.minivercheck = "1";
  in.gameExeSignature = EmbeddedSignature{EmbeddedSignatureStatus::kSigned,
                                          "Corvane Network Co. Ltd."};
  in.versionIni = "1.0.5\r\n";
  return in;
}

void removeEntry(LintInput& in, const std::string& name) {
  in.entries.erase(std::remove_if(in.entries.begin(), in.entries.end(),
                                  [&](const ArchiveEntry& e) { return e.name == name; }),
                   in.entries.end());
}

TEST(PackageLintTest, WhatPackMakesHasNoProblems) {
  EXPECT_EQ(lintPackage(goodPackage()), std::vector<LintProblem>{});
}

TEST(PackageLintTest, NamesEachProblemAndWhere) {
  struct Case {
    const char* label;
    std::function<void(LintInput&)> breakIt;
    std::string where;
    std::string says;  // a part of the message that tells what to fix
  } cases[] = {
      {"missing folder entry", [](LintInput& in) { removeEntry(in, "Kx/HashRes/7F/"); },
       "Kx/HashRes/7F/569D84", "\"Kx/HashRes/7F/\" has no folder entry"},
      {"dot-dot name",
       [](LintInput& in) { in.entries.push_back({"Kx/../evil.dll", false, 1}); },
       "Kx/../evil.dll", "outside the cache folder"},
      {"rooted name", [](LintInput& in) { in.entries.push_back({"/etc/x", false, 1}); }, "/etc/x",
       "outside the cache folder"},
      {"outside Kx", [](LintInput& in) { in.entries.push_back({"readme.txt", false, 1}); },
       "readme.txt", "beside the game folder"},
      {"missing sample", [](LintInput& in) { removeEntry(in, "Kx/HashRes/89/A334F0"); },
       "Kx/HashRes/89/A334F0", "completeness check"},
      {"missing engine", [](LintInput& in) { removeEntry(in, "Kx/kxmain.dll"); }, "Kx/kxmain.dll",
       "never starts a game"},
      {"missing version.ini", [](LintInput& in) { removeEntry(in, "Kx/version.ini"); },
       "Kx/version.ini", "installed engine version"},
      {"unsigned exe",
       [](LintInput& in) { in.gameExeSignature->status = EmbeddedSignatureStatus::kUnsigned; },
       "Kx/kxmain.exe", "not signed"},
      {"other publisher",
       [](LintInput& in) { in.gameExeSignature->signerName = "Mallory Games"; }, "Kx/kxmain.exe",
       "signed by \"Mallory Games\", not \"Corvane Network Co. Ltd.\""},
      {"publisher differs in case",
       [](LintInput& in) { in.gameExeSignature->signerName = "corvane network co. ltd."; },
       "Kx/kxmain.exe", "not \"Corvane Network Co. Ltd.\""},
      {"not an executable",
       [](LintInput& in) { in.gameExeSignature->status = EmbeddedSignatureStatus::kNotExecutable; },
       "Kx/kxmain.exe", "not a Windows executable"},
      {"file name against apkver", [](LintInput& in) { in.fileName = "KX-1.0.4.zip"; },
       "KX-1.0.4.zip", "downloads \"KX-1.0.5.zip\""},
      {"file name without patch list",
       [](LintInput& in) {
         in.apkver.reset();
         in.fileName = "game-1.0.5.zip";
       },
       "game-1.0.5.zip", "KX-<three-number version>.zip"},
      {"miniver above apkver", [](LintInput& in) {
         in.miniver = "1.0.6";
         in.minivercheck = "0";
       }, "patch list",
       "newer than apkver"},
      {"engine older than miniver", [](LintInput& in) { in.versionIni = "1.0.3\r\n"; },
       "Kx/version.ini", "every launch would delete"},
      {"version.ini unreadable", [](LintInput& in) { in.versionIni = "\xEF\xBB\xBF" "1.0.5\r\n"; },
       "Kx/version.ini", "not three numbers"},
      {"duplicate", [](LintInput& in) { in.entries.push_back({"Kx/kxmain.dll", false, 1}); },
       "Kx/kxmain.dll", "more than once"},
      {"case duplicate", [](LintInput& in) { in.entries.push_back({"Kx/KXMAIN.DLL", false, 1}); },
       "Kx/KXMAIN.DLL", "only in letter case"},
      {"ANSI name", [](LintInput& in) { in.entries.push_back({"Kx/\xD3\xCE.txt", false, 1}); },
       "Kx/\xD3\xCE.txt", "ANSI code page"},
      {"entry of 4 GiB",
       [](LintInput& in) { in.entries.push_back({"Kx/big.bin", false, 0x100000000ull}); },
       "Kx/big.bin", "larger than 4 GiB - 1"},
      {"damaged directory", [](LintInput& in) { in.directoryDamaged = true; }, "KX-1.0.5.zip",
       "damaged after 21 entries"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    LintInput in = goodPackage();
    c.breakIt(in);
    const std::vector<LintProblem> problems = lintPackage(in);
    std::string all;
    for (const LintProblem& p : problems) all += p.where + ": " + p.message + "\n";
    ASSERT_EQ(problems.size(), 1u) << all;
    EXPECT_EQ(problems[0].where, c.where);
    EXPECT_NE(problems[0].message.find(c.says), std::string::npos) << problems[0].message;
  }
}

TEST(PackageLintTest, BoundariesThatAreStillFine) {
  LintInput in = goodPackage();
  in.entries.push_back({"Kx/" + std::string(252, 'n'), false, 0xFFFFFFFFull});  // 255 bytes
  in.entries.push_back({"Kx/\xE5\x8C\x85.txt", true, 1});  // UTF-8 flagged
  in.entries.push_back({"Kx\\res\\", false, 0});            // a backslash folder entry
  in.entries.push_back({"Kx\\res\\a.png", false, 1});
  in.versionIni = "  1.0.4  \r\n1.0.4 kxmain.dll 1\r\n";  // equal to miniver is not older
  EXPECT_EQ(lintPackage(in), std::vector<LintProblem>{});

  in.entries.push_back({"Kx/" + std::string(253, 'n'), false, 1});  // 256 bytes
  const std::vector<LintProblem> problems = lintPackage(in);
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_NE(problems[0].message.find("256 bytes"), std::string::npos);
}

TEST(PackageLintTest, MiniverCheckOffAllowsAnOlderEngine) {
  LintInput in = goodPackage();
  in.versionIni = "1.0.3\r\n";
  in.minivercheck = "0";
  EXPECT_EQ(lintPackage(in), std::vector<LintProblem>{});
}

}  // namespace
}  // namespace kx::pack
