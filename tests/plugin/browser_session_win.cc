#include "tests/plugin/browser_session_win.h"

#include <chrono>
#include <cstdlib>

#include "common/base/text_convert_win.h"
#include "tools/test_browser/line_protocol.h"

namespace kx::testing {

std::wstring windowsPathFromEnv(const char* name) {
  const char* value = std::getenv(name);
  std::wstring path;
  if (!value) return path;
  utf8ToWide(value, path);
  if (!path.empty() && path[0] == L'/') path = L"Z:" + path;
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  return path;
}

BrowserSession::~BrowserSession() {
  if (process_.valid() && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) finish();
  if (process_.valid() && WaitForSingleObject(process_.get(), 5000) == WAIT_TIMEOUT)
    TerminateProcess(process_.get(), 9);
  toBrowser_.reset();
  if (reader_.joinable()) reader_.join();
}

bool BrowserSession::start(const std::wstring& dll, const std::wstring& extraArgs) {
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  HANDLE childIn = nullptr, ourOut = nullptr, ourIn = nullptr, childOut = nullptr;
  if (!CreatePipe(&childIn, &ourOut, &inherit, 0) || !CreatePipe(&ourIn, &childOut, &inherit, 0))
    return false;
  ScopedFileHandle childInOwner(childIn), childOutOwner(childOut);
  toBrowser_.reset(ourOut);
  fromBrowser_.reset(ourIn);
  SetHandleInformation(ourOut, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(ourIn, HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = childIn;
  startup.hStdOutput = childOut;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  std::wstring commandLine =
      L"\"" + windowsPathFromEnv("KX_TEST_BROWSER") + L"\" \"" + dll + L"\" " + extraArgs;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                      &startup, &info))
    return false;
  CloseHandle(info.hThread);
  process_.reset(info.hProcess);
  reader_ = std::thread(&BrowserSession::readLoop, this);
  return next("loaded").has_value();
}

void BrowserSession::readLoop() {
  std::string pending;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(fromBrowser_.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
    pending.append(buffer, got);
    size_t end;
    while ((end = pending.find('\n')) != std::string::npos) {
      Line line = browser::splitFields(pending.substr(0, end));
      pending.erase(0, end + 1);
      std::lock_guard<std::mutex> lock(mutex_);
      lines_.push_back(std::move(line));
      arrived_.notify_all();
    }
  }
  std::lock_guard<std::mutex> lock(mutex_);
  closed_ = true;
  arrived_.notify_all();
}

void BrowserSession::send(const Line& fields) {
  const std::string line = browser::joinFields(fields) + "\n";
  DWORD written = 0;
  WriteFile(toBrowser_.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

std::optional<Line> BrowserSession::next(const std::string& kind, DWORD timeoutMs) {
  std::unique_lock<std::mutex> lock(mutex_);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    size_t& cursor = cursors_[kind];
    for (size_t i = cursor; i < lines_.size(); ++i) {
      if (!lines_[i].empty() && lines_[i][0] == kind) {
        cursor = i + 1;
        return lines_[i];
      }
    }
    if (closed_) return std::nullopt;
    if (arrived_.wait_until(lock, deadline) == std::cv_status::timeout) return std::nullopt;
  }
}

bool BrowserSession::sync() {
  const std::string tag = std::to_string(++syncs_);
  send({"sync", tag});
  for (;;) {
    const std::optional<Line> line = next("sync");
    if (!line) return false;
    if (line->size() > 2 && (*line)[2] == tag) return true;
  }
}

int BrowserSession::finish() {
  send({"quit"});
  next("bye");
  if (WaitForSingleObject(process_.get(), 10000) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(process_.get(), &code);
  return static_cast<int>(code);
}

std::vector<Line> BrowserSession::lines() {
  std::lock_guard<std::mutex> lock(mutex_);
  return lines_;
}

std::vector<Line> BrowserSession::linesOf(const std::string& kind) {
  std::vector<Line> out;
  for (Line line : lines()) {
    if (line.empty() || line[0] != kind) continue;
    if (line.size() > 1) line.erase(line.begin() + 1);
    out.push_back(line);
  }
  return out;
}

}  // namespace kx::testing
