#include "plugin/helper/helper_platform_win.h"

#include <psapi.h>

#include <string>
#include <vector>

#include "common/signing/verified_file.h"
#include "plugin/helper/game_plugin_helper.h"
#include "plugin/host/game_plugin.h"
#include "plugin/resources/resource_ids.h"

namespace {

using kx::plugin::ProcessHandle;

// Window handles keep 32 significant bits; 64-bit Windows sign-extends them.
HWND toWindow(uint32_t value) {
  return reinterpret_cast<HWND>(static_cast<intptr_t>(static_cast<int32_t>(value)));
}
uint32_t fromWindow(HWND window) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window));
}
HANDLE toHandle(ProcessHandle process) { return reinterpret_cast<HANDLE>(process); }

const wchar_t* wide(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

HMODULE thisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                         GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&repairDialogProc), &module);
  return module;
}

constexpr wchar_t kPluginModuleName[] = L"NPKXGamePlugin.dll";
constexpr wchar_t kLauncherName[] = L"KXLaunch.exe";
constexpr UINT kPathUnits = 260;

}  // namespace

GamePluginHelper::GamePluginHelper() : platform_(*this), controller_(platform_, sdkManager) {}

GamePluginHelper::~GamePluginHelper() = default;

bool HelperPlatform::hasInstance() { return helper_.owner != nullptr; }

bool HelperPlatform::windowAttached() {
  return helper_.owner && helper_.owner->isWindowAttached();
}

uint32_t HelperPlatform::pluginWindow() {
  return helper_.owner ? fromWindow(helper_.owner->window()) : 0;
}

void HelperPlatform::setTimer(uint32_t id, uint32_t periodMs) {
  if (helper_.owner && helper_.owner->window()) SetTimer(helper_.owner->window(), id, periodMs, nullptr);
}

void HelperPlatform::killTimer(uint32_t id) {
  if (helper_.owner && helper_.owner->window()) KillTimer(helper_.owner->window(), id);
}

bool HelperPlatform::sendCopyData(uint32_t target, uint32_t wParam, uint32_t id,
                                  const std::vector<uint8_t>& payload, uint32_t flags,
                                  uint32_t timeoutMs) {
  COPYDATASTRUCT cds{};
  cds.dwData = id;
  cds.cbData = static_cast<DWORD>(payload.size());
  cds.lpData = const_cast<uint8_t*>(payload.data());
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutW(toWindow(target), WM_COPYDATA,
                             reinterpret_cast<WPARAM>(toWindow(wParam)),
                             reinterpret_cast<LPARAM>(&cds), flags, timeoutMs, &ignored) != 0;
}

ProcessHandle HelperPlatform::openProcess(uint32_t access, uint32_t processId) {
  return reinterpret_cast<ProcessHandle>(OpenProcess(access, FALSE, processId));
}

std::u16string HelperPlatform::processImagePath(ProcessHandle process) {
  wchar_t path[kPathUnits] = {};
  const DWORD units = GetModuleFileNameExW(toHandle(process), nullptr, path, kPathUnits - 1);
  return std::u16string(reinterpret_cast<const char16_t*>(path), units);
}

bool HelperPlatform::waitProcess(ProcessHandle process, uint32_t ms) {
  return WaitForSingleObject(toHandle(process), ms) == WAIT_OBJECT_0;
}

bool HelperPlatform::terminateProcess(ProcessHandle process, uint32_t exitCode) {
  return TerminateProcess(toHandle(process), exitCode) != 0;
}

uint32_t HelperPlatform::lastError() { return GetLastError(); }

void HelperPlatform::closeProcess(ProcessHandle process) { CloseHandle(toHandle(process)); }

uint32_t HelperPlatform::currentProcessId() { return GetCurrentProcessId(); }

ProcessHandle HelperPlatform::startLauncher(const std::u16string& commandLine) {
  wchar_t directory[kPathUnits] = {};
  const UINT units = GetSystemDirectoryW(directory, kPathUnits - 1);
  if (units == 0 || units >= kPathUnits - 1) return 0;
  const std::wstring path = std::wstring(directory) + L"\\" + kLauncherName;
  if (path.size() >= kPathUnits) return 0;

  // Held open against replacement until the process exists.
  kx::VerifiedFile launcher;
  if (!launcher.verify(path.c_str())) return 0;

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  std::vector<wchar_t> writable(commandLine.begin(), commandLine.end());
  writable.push_back(L'\0');
  PROCESS_INFORMATION created{};
  const BOOL ok = CreateProcessW(path.c_str(), writable.data(), nullptr, nullptr, FALSE, 0,
                                 nullptr, nullptr, &startup, &created);
  launcher.release();
  if (!ok) return 0;
  CloseHandle(created.hThread);
  return reinterpret_cast<ProcessHandle>(created.hProcess);
}

kx::plugin::WindowSize HelperPlatform::screenSize() {
  return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

std::optional<kx::plugin::WindowSize> HelperPlatform::windowRectSize(uint32_t window) {
  RECT rect{};
  if (!window || !GetWindowRect(toWindow(window), &rect)) return std::nullopt;
  return kx::plugin::WindowSize{rect.right - rect.left, rect.bottom - rect.top};
}

uint32_t HelperPlatform::rootWindow(uint32_t window) {
  return window ? fromWindow(GetAncestor(toWindow(window), GA_ROOT)) : 0;
}

int HelperPlatform::messageBox(uint32_t owner, const std::u16string& text,
                               const std::u16string& caption, uint32_t style) {
  return MessageBoxW(toWindow(owner), wide(text), wide(caption), style);
}

bool HelperPlatform::pluginModuleFound() {
  const HMODULE named = GetModuleHandleW(kPluginModuleName);
  return named != nullptr && named == thisModule();
}

void HelperPlatform::runRepairDialog(uint32_t owner) {
  DialogBoxParamW(thisModule(), MAKEINTRESOURCEW(IDD_REPAIR_CHOICE), toWindow(owner),
                  repairDialogProc, reinterpret_cast<LPARAM>(&helper_));
}

INT_PTR CALLBACK repairDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(dialog, GWLP_USERDATA, lParam);
      return FALSE;
    case WM_COMMAND: {
      auto* helper = reinterpret_cast<GamePluginHelper*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
      if (!helper) return FALSE;
      switch (helper->controller().onRepairDialogCommand(LOWORD(wParam))) {
        case kx::plugin::DialogAction::kClose:
          EndDialog(dialog, 0);
          return TRUE;
        case kx::plugin::DialogAction::kKeepOpen:
          return TRUE;
        case kx::plugin::DialogAction::kNotHandled:
          return FALSE;
      }
      return FALSE;
    }
    case WM_CLOSE:
      EndDialog(dialog, 0);
      return TRUE;
    default:
      return FALSE;
  }
}
