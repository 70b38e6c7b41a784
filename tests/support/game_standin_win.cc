#include "tests/support/game_standin_win.h"

#include "launcher/util/file_util_win.h"
#include "tests/support/test_process_win.h"

namespace kx::test {
namespace {

bool writeFile(const std::wstring& path, const std::string& bytes) {
  kx::ScopedFileHandle file(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  if (!file.valid()) return false;
  DWORD written = 0;
  return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                   nullptr) &&
         written == bytes.size();
}

}  // namespace

std::wstring gameStandinPath() { return pathFromEnv("KX_GAME_STANDIN"); }

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

GameStandinRun::~GameStandinRun() {
  if (process_.valid() && WaitForSingleObject(process_.get(), 0) != WAIT_OBJECT_0) {
    TerminateProcess(process_.get(), 1);
    WaitForSingleObject(process_.get(), 5000);
  }
}

bool GameStandinRun::start(const GameCommandLine& args) {
  return startWithArguments(formatGameCommandLine(args));
}

bool GameStandinRun::startWithArguments(const std::wstring& arguments) {
  const std::wstring exe = folder_ + L"\\kxmain.exe";
  std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder_.c_str(), &si, &pi)) {
    return false;
  }
  CloseHandle(pi.hThread);
  process_.reset(pi.hProcess);
  pid_ = pi.dwProcessId;
  return true;
}

bool GameStandinRun::waitForExit(uint32_t timeoutMs) {
  return process_.valid() && WaitForSingleObject(process_.get(), timeoutMs) == WAIT_OBJECT_0;
}

DWORD GameStandinRun::exitCode() const {
  DWORD code = STILL_ACTIVE;
  if (process_.valid()) GetExitCodeProcess(process_.get(), &code);
  return code;
}

}  // namespace kx::test
