#include "tests/support/game_standin_win.h"

#include "common/base/scoped_handle.h"
#include "launcher/util/file_util_win.h"

namespace kx::test {
namespace {

bool writeFile(const std::wstring& path, const std::string& bytes) {
  kx::ScopedFileHandle file(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  if (!file.valid()) return false;
  DWORD written = 0;
  return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

}  // namespace

std::wstring gameStandinPath() { return pathFromEnv("KX_GAME_STANDIN"); }

std::wstring launcherStandinPath() { return pathFromEnv("KX_LAUNCHER_STANDIN"); }

bool installGameStandin(const std::wstring& folder, const std::string& script) {
  const std::wstring source = gameStandinPath();
  if (source.empty()) return false;
  if (!launcher::makeDirectories(folder, false)) return false;
  if (!CopyFileW(source.c_str(), (folder + L"\\kxmain.exe").c_str(), FALSE)) return false;
  DeleteFileW((folder + L"\\kxmain.log").c_str());
  const std::wstring scriptPath = folder + L"\\kxmain.script";
  if (script.empty()) {
    DeleteFileW(scriptPath.c_str());
    return true;
  }
  return writeFile(scriptPath, script);
}

std::vector<std::string> readStandinLog(const std::wstring& path) {
  std::vector<std::string> lines;
  kx::ScopedFileHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file.valid()) return lines;
  std::string bytes;
  char buf[4096];
  DWORD n = 0;
  while (ReadFile(file.get(), buf, sizeof(buf), &n, nullptr) && n > 0) bytes.append(buf, n);
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

bool GameStandinRun::start(const GameCommandLine& args) {
  return startWithArguments(formatGameCommandLine(args));
}

bool GameStandinRun::startWithArguments(const std::wstring& arguments) {
  return process_.start(folder_ + L"\\kxmain.exe", arguments, folder_);
}

}  // namespace kx::test
