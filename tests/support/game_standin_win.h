#ifndef KX_TESTS_SUPPORT_GAME_STANDIN_WIN_H_
#define KX_TESTS_SUPPORT_GAME_STANDIN_WIN_H_

// Runs the stand-in game client (tools/game_standin, kxmain.exe) for a test:
// a private copy in a folder of the test, its script beside it, its log read
// back as lines.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/base/scoped_handle.h"
#include "common/contracts/game_command_line.h"

namespace kx::test {

// Windows path of the built kxmain.exe, from KX_GAME_STANDIN; empty if unset.
std::wstring gameStandinPath();

// Copies kxmain.exe into |folder| (made if missing) and, when |script| is not
// empty, writes it beside as kxmain.script; removes an old kxmain.log.
bool installGameStandin(const std::wstring& folder, const std::string& script = std::string());

// The lines of folder\kxmain.log (UTF-8, without line ends).
std::vector<std::string> readStandinLog(const std::wstring& path);

class GameStandinRun {
 public:
  explicit GameStandinRun(std::wstring folder) : folder_(std::move(folder)) {}
  // Terminates a stand-in that is still running.
  ~GameStandinRun();
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
  bool waitForExit(uint32_t timeoutMs);
  // Only meaningful after waitForExit returned true.
  DWORD exitCode() const;
  std::vector<std::string> log() const { return readStandinLog(folder_ + L"\\kxmain.log"); }

  HANDLE process() const { return process_.get(); }
  uint32_t pid() const { return pid_; }
  const std::wstring& folder() const { return folder_; }

 private:
  std::wstring folder_;
  kx::ScopedHandle process_;
  uint32_t pid_ = 0;
};

}  // namespace kx::test

#endif  // KX_TESTS_SUPPORT_GAME_STANDIN_WIN_H_
