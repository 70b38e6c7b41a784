#include "tests/plugin/dialog_finder_win.h"

namespace kx::testing {
namespace {

std::wstring windowText(HWND window) {
  wchar_t text[1024] = {};
  GetWindowTextW(window, text, 1023);
  return text;
}

std::wstring className(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 63);
  return name;
}

struct Search {
  DWORD processId;
  const std::wstring* caption;  // null: any
  HWND found = nullptr;
};

BOOL CALLBACK visit(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
  if (className(window) != L"#32770") return TRUE;
  if (search->caption && windowText(window) != *search->caption) return TRUE;
  search->found = window;
  return FALSE;
}

BOOL CALLBACK collect(HWND child, LPARAM param) {
  auto* dialog = reinterpret_cast<FoundDialog*>(param);
  std::wstring cls = className(child);
  for (auto& c : cls) c = static_cast<wchar_t>(towlower(c));
  const std::wstring text = windowText(child);
  if (cls == L"static" && !text.empty()) dialog->texts.push_back(text);
  if (cls == L"button") dialog->buttons.push_back(text);
  return TRUE;
}

std::optional<FoundDialog> find(DWORD processId, const std::wstring* caption) {
  Search search{processId, caption};
  EnumWindows(visit, reinterpret_cast<LPARAM>(&search));
  if (!search.found) return std::nullopt;
  FoundDialog dialog;
  dialog.window = search.found;
  dialog.caption = windowText(search.found);
  EnumChildWindows(search.found, collect, reinterpret_cast<LPARAM>(&dialog));
  return dialog;
}

}  // namespace

std::optional<FoundDialog> waitForDialog(DWORD processId, const std::wstring& caption,
                                         DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (auto dialog = find(processId, &caption)) {
      // The box fills its controls while it comes up; read it once it is there.
      if (!dialog->buttons.empty()) return dialog;
    }
    if (GetTickCount() - start > timeoutMs) return std::nullopt;
    Sleep(20);
  }
}

std::optional<FoundDialog> anyDialog(DWORD processId) { return find(processId, nullptr); }

bool pressButton(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  if (!button) return false;
  PostMessageW(button, BM_CLICK, 0, 0);
  return true;
}

bool waitGone(HWND dialog, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (IsWindow(dialog) && IsWindowVisible(dialog)) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(20);
  }
  return true;
}

}  // namespace kx::testing
