#include "tools/game_standin/standin_io_win.h"

#include <vector>

#include "common/base/scoped_handle.h"
#include "tests/support/copy_data_log.h"

namespace kx::standin {

std::wstring exeFolder() {
  std::vector<wchar_t> buf(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return std::wstring();
    if (n < buf.size()) {
      std::wstring path(buf.data(), n);
      const size_t slash = path.find_last_of(L"\\/");
      return slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash);
    }
    buf.resize(buf.size() * 2);
  }
}

std::string wideToUtf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                    0, nullptr, nullptr);
  std::string out(n > 0 ? n : 0, '\0');
  if (n > 0) {
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, nullptr);
  }
  return out;
}

void Log::line(const std::string& utf8) const {
  kx::ScopedFileHandle file(CreateFileW(path_.c_str(), FILE_APPEND_DATA,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_ALWAYS, 0, nullptr));
  if (!file.valid()) return;
  const std::string text = utf8 + "\r\n";
  DWORD written = 0;
  WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

std::optional<std::string> loadScriptText(const std::wstring& file, const wchar_t* envVar) {
  if (GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES) {
    kx::ScopedFileHandle h(CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
    if (!h.valid()) return std::nullopt;
    std::string bytes;
    char buf[4096];
    DWORD n = 0;
    while (ReadFile(h.get(), buf, sizeof(buf), &n, nullptr) && n > 0) bytes.append(buf, n);
    return bytes;
  }
  const DWORD n = GetEnvironmentVariableW(envVar, nullptr, 0);
  if (n == 0) return std::string();
  std::wstring value(n, L'\0');
  const DWORD got = GetEnvironmentVariableW(envVar, value.data(), n);
  value.resize(got < n ? got : 0);
  return wideToUtf8(value);
}

std::optional<Script> loadScript(const std::wstring& file, const wchar_t* envVar, const Log& log) {
  const std::optional<std::string> text = loadScriptText(file, envVar);
  if (!text) {
    log.line("script error line 0: cannot read " + wideToUtf8(file));
    return std::nullopt;
  }
  ParseResult parsed = parseScript(*text);
  if (!parsed.script) {
    log.line("script error line " + std::to_string(parsed.errorLine) + ": " + parsed.error);
    return std::nullopt;
  }
  return std::move(parsed.script);
}

bool sendCopyData(const Log& log, HWND to, WPARAM wParam, uint32_t id, const Payload& payload,
                  UINT flags, UINT timeoutMs) {
  COPYDATASTRUCT cds = {};
  cds.dwData = id;
  cds.cbData = static_cast<DWORD>(payload.size());
  cds.lpData = payload.empty() ? nullptr : const_cast<uint8_t*>(payload.data());
  DWORD_PTR result = 0;
  const bool ok = SendMessageTimeoutW(to, WM_COPYDATA, wParam, reinterpret_cast<LPARAM>(&cds),
                                      flags, timeoutMs, &result) != 0;
  log.line("send " + test::describeCopyData(id, payload.data(), payload.size()) +
           (ok ? " ok" : " failed"));
  return ok;
}

}  // namespace kx::standin
