// The plug-in in the test browser: instances, windows, scriptable objects and
// page calls as a browser and a page see them. The probe build has the same
// host code with a helper that reports each entry point as a kxProbe page call.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/base/text.h"
#include "tests/plugin/browser_session_win.h"

namespace kx::testing {
namespace {

std::wstring realDll() { return windowsPathFromEnv("KX_PLUGIN_DLL"); }
std::wstring probeDll() { return windowsPathFromEnv("KX_PROBE_DLL"); }

// The page calls seen so far, without time and instance: FUNCTION ARG...
std::vector<Line> pageCalls(BrowserSession& b, const std::string& instance = "a") {
  std::vector<Line> out;
  for (const Line& line : b.linesOf("page")) {
    if (line.size() < 4 || line[1] != instance) continue;
    EXPECT_EQ(line[2], "_self");
    out.emplace_back(line.begin() + 3, line.end());
  }
  return out;
}

std::vector<Line> probes(BrowserSession& b, const std::string& instance = "a") {
  std::vector<Line> out;
  for (const Line& call : pageCalls(b, instance))
    if (call[0] == "kxProbe") out.emplace_back(call.begin() + 1, call.end());
  return out;
}

TEST(PluginInBrowserTest, LoadsWithVersion27AndRefusesAMajorVersionAboveZero) {
  {
    BrowserSession b;
    ASSERT_TRUE(b.start(realDll()));
    const Line loaded = b.lines()[0];
    ASSERT_EQ(loaded.size(), 7u);
    EXPECT_EQ(loaded, (Line{"loaded", loaded[1], "0", "0", "27", loaded[5], loaded[6]}));
    EXPECT_NE(loaded[5], "0");
    EXPECT_EQ(b.finish(), 0);
  }
  BrowserSession b;
  ASSERT_TRUE(b.start(realDll(), L"--np-version 0x0100"));
  const Line loaded = b.lines()[0];
  EXPECT_EQ(loaded[3], "8");  // NPERR_INCOMPATIBLE_VERSION_ERROR
  // Nothing of the browser's table was taken: no page call, no object.
  b.send({"new", "a"});
  b.send({"window", "a"});
  b.send({"object", "a"});
  ASSERT_TRUE(b.sync());
  EXPECT_TRUE(pageCalls(b).empty());
  const std::optional<Line> object = b.next("object");
  ASSERT_TRUE(object);
  EXPECT_EQ((*object)[3], "0");
  EXPECT_EQ((*object)[4], "0x0");
  EXPECT_EQ(b.finish(), 0);
}

TEST(PluginInBrowserTest, OnlyTheFirstRealWindowIsTaken) {
  BrowserSession b;
  ASSERT_TRUE(b.start(probeDll()));
  b.send({"new", "a"});
  b.send({"window", "a", "null"});
  b.send({"window", "a", "none"});
  b.send({"wndproc", "a"});  // no window yet: no answer
  ASSERT_TRUE(b.sync());
  EXPECT_TRUE(pageCalls(b).empty());
  const std::vector<Line> early = b.linesOf("window");
  ASSERT_EQ(early.size(), 2u);
  EXPECT_EQ(early[0][2], "0");  // a null window: accepted, not attached
  EXPECT_EQ(early[1][2], "1");  // no NPWindow at all: NPERR_GENERIC_ERROR

  b.send({"window", "a", "real"});
  b.send({"window", "a", "other"});
  b.send({"wndproc", "a"});
  b.send({"send", "a", "5", "0", "0x01000100", "1"});  // WM_SIZE on the second window
  b.send({"send", "a", "5", "0", "0x02800400"});       // and on the first
  ASSERT_TRUE(b.sync());
  const std::vector<Line> windows = b.linesOf("window");
  ASSERT_EQ(windows.size(), 4u);
  EXPECT_EQ(windows[3][2], "0");
  EXPECT_EQ(b.linesOf("wndproc").back(), (Line{"wndproc", "a", "replaced"}));
  EXPECT_EQ(pageCalls(b), (std::vector<Line>{{"kxProbe", "init"},
                                             {"onPluginReady"},
                                             {"kxProbe", "resizeGame", "1024", "640"}}));
  EXPECT_EQ(b.finish(), 0);
}

TEST(PluginInBrowserTest, WindowMessagesReachTheHelperOnlyWhileAttached) {
  BrowserSession b;
  ASSERT_TRUE(b.start(probeDll()));
  b.send({"new", "a"});
  b.send({"makewindow", "a"});
  b.send({"copydata", "a", "0x0104", "20050000"});
  b.send({"send", "a", "5", "0", "0x02800400"});
  ASSERT_TRUE(b.sync());
  EXPECT_TRUE(probes(b).empty());

  b.send({"window", "a", "real"});
  b.send({"copydata", "a", "0x0104", "20050000"});
  b.send({"copydata", "a", "0x1102", "-"});
  b.send({"send", "a", "5", "0", "0x02800400"});
  b.send({"send", "a", "0x0113", "0x1002", "0"});  // WM_TIMER
  b.send({"destroy", "a"});
  b.send({"copydata", "a", "0x0104", "20050000"});
  b.send({"send", "a", "5", "0", "0x02800400"});
  ASSERT_TRUE(b.sync());
  // The sender is the browser's top-level window, as its loaded line says.
  const std::string browserWindow = b.lines()[0][6];
  EXPECT_NE(browserWindow, "0");
  EXPECT_EQ(probes(b), (std::vector<Line>{
                           {"init"},
                           {"onCopyData", browserWindow, "260", "4", "20050000"},
                           {"onCopyData", browserWindow, "4354", "0", ""},
                           {"resizeGame", "1024", "640"},
                           {"onTimer", "4098"},
                           {"endProcesses"},
                       }));
  for (const Line& sent : b.linesOf("send")) EXPECT_EQ(sent[2], "0");
  EXPECT_EQ(b.linesOf("wndproc").size(), 0u);
  b.send({"wndproc", "a"});
  ASSERT_TRUE(b.sync());
  EXPECT_EQ(b.linesOf("wndproc").back(), (Line{"wndproc", "a", "original"}));
  EXPECT_EQ(b.finish(), 0);
}

TEST(PluginInBrowserTest, APageThatAnswersOnPluginReadyStartsTheGameOnce) {
  BrowserSession b;
  ASSERT_TRUE(b.start(probeDll()));
  b.send({"new", "a"});
  b.send({"object", "a"});
  b.send({"answer", "onPluginReady", "invoke", "a", "OnScriptMessage", "i:42",
          "s:eventType:OnPageLoaded", "s:eventType:OnLogin"});
  b.send({"window", "a"});
  ASSERT_TRUE(b.sync());
  EXPECT_EQ(pageCalls(b), (std::vector<Line>{
                              {"kxProbe", "init"},
                              {"onPluginReady"},
                              {"kxProbe", "event", "OnPageLoaded", "eventType:OnPageLoaded,"},
                              {"kxProbe", "startGame"},
                          }));
  EXPECT_EQ(b.finish(), 0);
  EXPECT_TRUE(b.linesOf("misuse").empty());
}

TEST(PluginInBrowserTest, PageTextsArriveIntactAndLeaveEscaped) {
  BrowserSession b;
  ASSERT_TRUE(b.start(probeDll()));
  b.send({"new", "a"});
  b.send({"object", "a"});
  b.send({"window", "a"});
  // "游戏" and a quote, a backslash, a line break and a closing tag.
  const std::string params =
      "gameUpdateUrl=http://127.0.0.1/p?a='b'\\c</script>\n,extParam=\xE6\xB8\xB8\xE6\x88\x8F";
  b.send({"invoke", "a", "SetParams", "b:true", "s:" + params, "s:second"});
  b.send({"invoke", "a", "OnScriptMessage", "s:eventType:OnLogin,code:it's\xE2\x80\xA8"});
  ASSERT_TRUE(b.sync());
  const std::vector<Line> seen = probes(b);
  ASSERT_EQ(seen.size(), 3u);
  // 62 UTF-16 units: the two Chinese characters are one unit each.
  EXPECT_EQ(seen[1], (Line{"setParams", "62", params}));
  EXPECT_EQ(seen[2], (Line{"event", "OnLogin", "code:it's\xE2\x80\xA8,eventType:OnLogin,"}));
  // The raw URL never carries an unescaped quote or line break.
  EXPECT_TRUE(b.linesOf("url").empty());
  EXPECT_EQ(b.finish(), 0);
}

TEST(PluginInBrowserTest, ScriptableObjectEdgeCases) {
  wchar_t system[MAX_PATH];
  ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
  const std::wstring launcher = joinPath(system, L"KXLaunch.exe");
  DeleteFileW(launcher.c_str());

  BrowserSession b;
  ASSERT_TRUE(b.start(realDll()));
  b.send({"new", "a"});
  b.send({"object", "a"});
  b.send({"get", "a", "IsRunning"});
  b.send({"invoke", "a", "IsPluginReady"});
  ASSERT_TRUE(b.sync());
  {
    HANDLE file = CreateFileW(launcher.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                              nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);  // presence is all that counts, not a signature
  }
  b.send({"invoke", "a", "IsPluginReady", "s:x"});
  b.send({"get", "a", "isrunning"});
  b.send({"get", "a", "Other"});
  b.send({"hasmethod", "a", "IsRunning"});
  b.send({"hasproperty", "a", "IsRunning"});
  b.send({"hasmethod", "a", "ReDraw"});
  b.send({"invoke", "a", "reDraw"});
  b.send({"invoke", "a", "ReDraw"});
  b.send({"invoke", "a", "OnScriptMessage"});
  b.send({"invoke", "a", "SetParams", "i:1"});
  b.send({"getvalue", "a", "1"});  // NPPVpluginNameString
  ASSERT_TRUE(b.sync());
  DeleteFileW(launcher.c_str());

  EXPECT_EQ(b.linesOf("get"), (std::vector<Line>{{"get", "a", "IsRunning", "true", "b:true"},
                                                 {"get", "a", "isrunning", "false", "void"},
                                                 {"get", "a", "Other", "false", "void"}}));
  EXPECT_EQ(b.linesOf("invoke"),
            (std::vector<Line>{{"invoke", "a", "IsPluginReady", "true", "b:false"},
                               {"invoke", "a", "IsPluginReady", "true", "b:true"},
                               {"invoke", "a", "reDraw", "false", "void"},
                               {"invoke", "a", "ReDraw", "true", "void"},
                               {"invoke", "a", "OnScriptMessage", "true", "void"},
                               {"invoke", "a", "SetParams", "true", "void"}}));
  EXPECT_EQ(b.linesOf("hasmethod"), (std::vector<Line>{{"hasmethod", "a", "IsRunning", "false"},
                                                       {"hasmethod", "a", "ReDraw", "true"}}));
  EXPECT_EQ(b.linesOf("hasproperty"),
            (std::vector<Line>{{"hasproperty", "a", "IsRunning", "true"}}));
  EXPECT_EQ(b.linesOf("getvalue"), (std::vector<Line>{{"getvalue", "a", "0", "untouched"}}));
  EXPECT_EQ(b.finish(), 0);
}

// The browser's references: one per request, the same object, freed exactly
// once when the last of them (the instance's own included) goes.
TEST(PluginInBrowserTest, ObjectsAreSharedPerInstanceAndFreedOnceWithOneOrTwoInstances) {
  for (const std::vector<std::string>& names :
       {std::vector<std::string>{"a"}, std::vector<std::string>{"a", "b"}}) {
    BrowserSession b;
    ASSERT_TRUE(b.start(realDll()));
    for (const std::string& n : names) {
      b.send({"new", n});
      b.send({"window", n});
      b.send({"object", n});
      b.send({"object", n});
    }
    for (const std::string& n : names) {
      b.send({"destroy", n});
      b.send({"invoke", n, "ReDraw"});  // the object outlives its instance
      b.send({"get", n, "IsRunning"});
      b.send({"release", n});
      b.send({"release", n});
    }
    ASSERT_TRUE(b.sync());
    const std::vector<Line> objects = b.linesOf("object");
    ASSERT_EQ(objects.size(), 2 * names.size());
    for (size_t i = 0; i < names.size(); ++i) {
      EXPECT_EQ(objects[2 * i][3], objects[2 * i + 1][3]);
      EXPECT_NE(objects[2 * i][3], "0x0");
      EXPECT_EQ(objects[2 * i][4], "2");
      EXPECT_EQ(objects[2 * i + 1][4], "3");
    }
    if (names.size() == 2) {
      EXPECT_NE(objects[0][3], objects[2][3]);
    }
    std::vector<Line> expected;
    for (const std::string& n : names) {
      expected.push_back({"release", n, "live", "1"});
      expected.push_back({"release", n, "freed", "0"});
    }
    EXPECT_EQ(b.linesOf("release"), expected);
    for (const Line& invoke : b.linesOf("invoke")) EXPECT_EQ(invoke[3], "true");
    EXPECT_EQ(b.finish(), 0);
    EXPECT_TRUE(b.linesOf("misuse").empty()) << b.linesOf("misuse")[0][2];
    EXPECT_EQ(b.linesOf("bye").back(), (Line{"bye", "0", "0", "0"}));
  }
}

TEST(PluginInBrowserTest, EachInstancePutsBackTheProcedureItReplaced) {
  BrowserSession b;
  ASSERT_TRUE(b.start(realDll()));
  b.send({"new", "a"});
  b.send({"window", "a"});
  b.send({"new", "b"});
  b.send({"window", "b"});
  b.send({"wndproc", "a"});
  b.send({"wndproc", "b"});
  b.send({"destroy", "a"});
  b.send({"wndproc", "a"});
  b.send({"wndproc", "b"});
  b.send({"destroy", "b"});
  b.send({"wndproc", "b"});
  ASSERT_TRUE(b.sync());
  EXPECT_EQ(b.linesOf("wndproc"), (std::vector<Line>{{"wndproc", "a", "replaced"},
                                                     {"wndproc", "b", "replaced"},
                                                     {"wndproc", "a", "original"},
                                                     {"wndproc", "b", "replaced"},
                                                     {"wndproc", "b", "original"}}));
  // Giving up the window ends the (never started) run: OnActiveXQuit.
  EXPECT_EQ(pageCalls(b, "a"), (std::vector<Line>{{"onPluginReady"}, {"OnActiveXQuit"}}));
  EXPECT_EQ(pageCalls(b, "b"), (std::vector<Line>{{"onPluginReady"}, {"OnActiveXQuit"}}));
  EXPECT_EQ(b.finish(), 0);
}

TEST(TestBrowserTest, ReportsEveryKindOfMisuseItSees) {
  BrowserSession b;
  ASSERT_TRUE(b.start(windowsPathFromEnv("KX_MISUSE_DLL")));
  b.send({"new", "a", "misuse/release-below-zero"});
  b.send({"new", "b", "misuse/use-after-free"});
  b.send({"new", "c", "misuse/wrong-thread"});
  b.send({"new", "d", "misuse/leak"});
  b.send({"new", "e", "application/kxnpgameplugin"});
  ASSERT_TRUE(b.sync());
  EXPECT_EQ(b.finish(), 0);
  const std::vector<Line> misuses = b.linesOf("misuse");
  ASSERT_EQ(misuses.size(), 4u);
  EXPECT_EQ(misuses[0][1], "release-below-zero");
  EXPECT_EQ(misuses[1][1], "use-after-free");
  EXPECT_EQ(misuses[2], (Line{"misuse", "wrong-thread", "NPN_GetURL"}));
  EXPECT_EQ(misuses[3][1], "leak");
  EXPECT_NE(misuses[3][2].find("refcount 1"), std::string::npos) << misuses[3][2];
  // The leaked object is still alive at the end; nothing else is.
  EXPECT_EQ(b.linesOf("bye").back(), (Line{"bye", "0", "1", "0"}));
}

TEST(TestBrowserTest, WaitRunsTheMessageLoopBeforeTheNextCommand) {
  BrowserSession b;
  ASSERT_TRUE(b.start(realDll()));
  b.send({"wait", "30"});
  b.send({"sync", "after"});
  ASSERT_TRUE(b.next("sync"));
  std::vector<std::string> kinds;
  for (const Line& line : b.lines()) kinds.push_back(line[0]);
  EXPECT_EQ(kinds, (std::vector<std::string>{"loaded", "waited", "sync"}));
  b.send({"bogus"});
  b.send({"invoke", "nobody", "ReDraw"});
  ASSERT_TRUE(b.sync());
  EXPECT_EQ(b.linesOf("error"), (std::vector<Line>{{"error", "bogus", "unknown command"},
                                                   {"error", "invoke", "no instance nobody"}}));
  EXPECT_EQ(b.finish(), 0);
}

}  // namespace
}  // namespace kx::testing
