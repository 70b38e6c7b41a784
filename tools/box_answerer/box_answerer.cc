// kx_box_answerer: waits for a message box, prints its caption and text as
// UTF-8 and presses one of its buttons.
//
//   kx_box_answerer [--timeout-ms N] [--pid N] [--caption TEXT] [--press ok|cancel|yes|no|ID]
//                   [-- PROGRAM ARGS...]
//
// With "-- PROGRAM ..." it starts the program itself, answers that process's
// box, waits for it to end and prints "exit=N".
// Exit: 0 answered; 2 usage; 3 no box in time; 4 no such button;
// 5 box or program still there at the time limit; 6 program not started.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "common/base/scoped_handle.h"

namespace {

struct Options {
  DWORD timeoutMs = 10000;
  DWORD pid = 0;
  bool hasCaption = false;
  std::wstring caption;
  int button = IDOK;
  std::wstring program;  // command line to start, empty for none
};

void print(const std::wstring& text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                    nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? n : 0, '\0');
  if (n > 0)
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n,
                        nullptr, nullptr);
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), out.data(), static_cast<DWORD>(out.size()), &written,
            nullptr);
}

bool parseButton(const std::wstring& s, int& out) {
  if (s == L"ok") out = IDOK;
  else if (s == L"cancel") out = IDCANCEL;
  else if (s == L"yes") out = IDYES;
  else if (s == L"no") out = IDNO;
  else if (s == L"abort") out = IDABORT;
  else if (s == L"retry") out = IDRETRY;
  else if (s == L"ignore") out = IDIGNORE;
  else {
    wchar_t* end = nullptr;
    const long v = std::wcstol(s.c_str(), &end, 10);
    if (s.empty() || *end != L'\0' || v <= 0 || v > 0xFFFF) return false;
    out = static_cast<int>(v);
  }
  return true;
}

// Quotes one argument for CreateProcessW (backslashes before quotes doubled).
std::wstring quote(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
  std::wstring out = L"\"";
  size_t slashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++slashes;
    } else if (c == L'"') {
      out.append(slashes + 1, L'\\');
      slashes = 0;
    } else {
      slashes = 0;
    }
    out += c;
  }
  out.append(slashes, L'\\');
  return out + L"\"";
}

bool parseOptions(int argc, wchar_t** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::wstring a = argv[i];
    if (a == L"--") {
      for (int j = i + 1; j < argc; ++j) {
        if (!o.program.empty()) o.program += L' ';
        o.program += quote(argv[j]);
      }
      return !o.program.empty();
    }
    if (i + 1 >= argc) return false;
    const std::wstring v = argv[++i];
    wchar_t* end = nullptr;
    if (a == L"--timeout-ms") {
      o.timeoutMs = static_cast<DWORD>(std::wcstoul(v.c_str(), &end, 10));
      if (*end != L'\0') return false;
    } else if (a == L"--pid") {
      o.pid = static_cast<DWORD>(std::wcstoul(v.c_str(), &end, 10));
      if (*end != L'\0') return false;
    } else if (a == L"--caption") {
      o.hasCaption = true;
      o.caption = v;
    } else if (a == L"--press") {
      if (!parseButton(v, o.button)) return false;
    } else {
      return false;
    }
  }
  return true;
}

std::wstring windowText(HWND w) {
  wchar_t buf[4096];
  const int n = GetWindowTextW(w, buf, static_cast<int>(sizeof(buf) / sizeof(buf[0])));
  return std::wstring(buf, n > 0 ? n : 0);
}

// A visible dialog whose message text is in place (it is set before the box shows).
HWND findBox(const Options& o) {
  HWND w = nullptr;
  while ((w = FindWindowExW(nullptr, w, L"#32770", nullptr)) != nullptr) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (o.pid != 0 && pid != o.pid) continue;
    if (!IsWindowVisible(w)) continue;
    if (o.hasCaption && windowText(w) != o.caption) continue;
    return w;
  }
  return nullptr;
}

bool timeLeft(ULONGLONG deadline) { return GetTickCount64() < deadline; }

// A program we started is not left behind with its box when we give up.
int giveUp(const kx::ScopedHandle& child, int code) {
  if (child) TerminateProcess(child.get(), 99);
  return code;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  Options o;
  if (!parseOptions(argc, argv, o)) {
    print(L"usage: kx_box_answerer [--timeout-ms N] [--pid N] [--caption TEXT] "
          L"[--press ok|cancel|yes|no|abort|retry|ignore|ID] [-- PROGRAM ARGS...]\n");
    return 2;
  }
  const ULONGLONG deadline = GetTickCount64() + o.timeoutMs;

  kx::ScopedHandle child;
  if (!o.program.empty()) {
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    std::wstring cmd = o.program;
    if (!CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
      print(L"error=cannot start program\n");
      return 6;
    }
    kx::ScopedHandle(pi.hThread).reset();
    child.reset(pi.hProcess);
    o.pid = pi.dwProcessId;
  }

  // Poll for the box; the limit fails the caller.
  HWND box = nullptr;
  while ((box = findBox(o)) == nullptr && timeLeft(deadline)) {
    if (child && WaitForSingleObject(child.get(), 0) == WAIT_OBJECT_0) break;
    Sleep(20);
  }
  if (!box) {
    print(L"error=no box\n");
    if (child) {
      DWORD code = 0;
      if (GetExitCodeProcess(child.get(), &code) && code != STILL_ACTIVE)
        print(L"exit=" + std::to_wstring(code) + L"\n");
    }
    return giveUp(child, 3);
  }
  HWND label = GetDlgItem(box, 0xFFFF);
  print(L"caption=" + windowText(box) + L"\ntext=" + (label ? windowText(label) : L"") + L"\n");

  HWND button = GetDlgItem(box, o.button);
  if (!button) {
    print(L"error=no such button\n");
    return giveUp(child, 4);
  }
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(o.button, BN_CLICKED), reinterpret_cast<LPARAM>(button));
  while (IsWindow(box) && timeLeft(deadline)) Sleep(20);
  if (IsWindow(box)) {
    print(L"error=box still open\n");
    return giveUp(child, 5);
  }

  if (child) {
    const ULONGLONG now = GetTickCount64();
    const DWORD wait = now < deadline ? static_cast<DWORD>(deadline - now) : 0;
    DWORD code = 0;
    if (WaitForSingleObject(child.get(), wait) == WAIT_OBJECT_0 && GetExitCodeProcess(child.get(), &code)) {
      print(L"exit=" + std::to_wstring(code) + L"\n");
    } else {
      print(L"error=program still running\n");
      return giveUp(child, 5);
    }
  }
  return 0;
}
