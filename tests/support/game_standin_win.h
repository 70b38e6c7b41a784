#ifndef KX_TESTS_SUPPORT_GAME_STANDIN_WIN_H_
#define KX_TESTS_SUPPORT_GAME_STANDIN_WIN_H_

// Runs the stand-in programs for a test: the game client (tools/game_standin,
// kxmain.exe) as a private copy in a folder of the test with its script
// beside it and its log read back as lines; the launcher (KXLaunch.exe,
// tools/launcher_standin) by its path.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/contracts/game_command_line.h"
#include "tests/support/test_process_win.h"

namespace kx::test {

// Windows path of the built kxmain.exe, from KX_GAME_STANDIN; empty if unset.
std::wstring gameStandinPath();
// Windows path of the built stand-in KXLaunch.exe, from KX_LAUNCHER_STANDIN.
std::wstring launcherStandinPath();

// Copies kxmain.exe into |folder| (made if missing) and, when |script| is not
// empty, writes it beside as kxmain.script; removes an old kxmain.log.
bool installGameStandin(const std::wstring& folder, const std::string& script = std::string());

// The lines of a stand-in's log (UTF-8, without line ends); none when missing.
std::vector<std::string> readStandinLog(const std::wstring& path);

class GameStandinRun {
 public:
  // A stand-in still running when this goes is terminated.
  explicit GameStandinRun(std::wstring folder) : folder_(std::move(folder)) {}
  GameStandinRun(const GameStandinRun&) = delete;
  GameStandinRun& operator=(const GameStandinRun&) = delete;

  bool install(const std::string& script = std::string()) {
    return installGameStandin(folder_, script);
  }
  // Starts folder\kxmain.exe with "__KXGAME_NORMAL_TAG__ <args>", working in folder.
  bool start(const GameCommandLine& args);
  // Starts it with any argument text (to try command lines it must refuse).
  bool startWithArguments(const std::wstring& arguments);
  // Waits for the process to end; false on time-out.
  bool waitForExit(uint32_t timeoutMs) { return process_.waitForExit(timeoutMs); }
  // STILL_ACTIVE until it has ended.
  DWORD exitCode() const { return process_.exitCode(); }
  std::vector<std::string> log() const { return readStandinLog(folder_ + L"\\kxmain.log"); }

  HANDLE process() const { return process_.handle(); }
  uint32_t pid() const { return process_.pid(); }
  const std::wstring& folder() const { return folder_; }

 private:
  std::wstring folder_;
  ChildProcess process_;
};

}  // namespace kx::test

#endif  // KX_TESTS_SUPPORT_GAME_STANDIN_WIN_H_
