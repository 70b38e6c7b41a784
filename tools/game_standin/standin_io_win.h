#ifndef KX_TOOLS_GAME_STANDIN_STANDIN_IO_WIN_H_
#define KX_TOOLS_GAME_STANDIN_STANDIN_IO_WIN_H_

// What both stand-in programs do with the outside: their folder, their script
// (a file beside them, else an environment variable), their log (UTF-8 lines
// appended to a file, each written at once so a test may read it any time),
// and sending one copy-data message.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "tools/game_standin/standin_script.h"

namespace kx::standin {

// The folder of the running executable, without a trailing backslash.
std::wstring exeFolder();

class Log {
 public:
  explicit Log(std::wstring path) : path_(std::move(path)) {}
  void line(const std::string& utf8) const;
  const std::wstring& path() const { return path_; }

 private:
  std::wstring path_;
};

// The script text: |file| when it exists, else the value of |envVar|, else
// empty. nullopt when the file exists but cannot be read.
std::optional<std::string> loadScriptText(const std::wstring& file, const wchar_t* envVar);

// Parses it; on an error logs "script error line N: ..." and gives nullopt.
std::optional<Script> loadScript(const std::wstring& file, const wchar_t* envVar, const Log& log);

// Sends one message and logs "send <description> ok|failed".
bool sendCopyData(const Log& log, HWND to, WPARAM wParam, uint32_t id, const Payload& payload,
                  UINT flags, UINT timeoutMs);

std::string wideToUtf8(const std::wstring& text);

}  // namespace kx::standin

#endif  // KX_TOOLS_GAME_STANDIN_STANDIN_IO_WIN_H_
