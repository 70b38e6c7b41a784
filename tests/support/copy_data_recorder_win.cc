#include "tests/support/copy_data_recorder_win.h"

#include <chrono>

#include "common/protocol/wire.h"
#include "tests/support/copy_data_log.h"

namespace kx::test {
namespace {

constexpr wchar_t kClassName[] = L"KxCopyDataRecorder";

bool registerClassOnce(WNDPROC proc) {
  static const bool registered = [proc] {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    return RegisterClassExW(&wc) != 0;
  }();
  return registered;
}

}  // namespace

bool sendCopyData(HWND to, WPARAM wParam, uint32_t id, const std::vector<uint8_t>& payload,
                  uint32_t timeoutMs) {
  COPYDATASTRUCT cds = {};
  cds.dwData = id;
  cds.cbData = static_cast<DWORD>(payload.size());
  cds.lpData = payload.empty() ? nullptr : const_cast<uint8_t*>(payload.data());
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(to, WM_COPYDATA, wParam, reinterpret_cast<LPARAM>(&cds), SMTO_NORMAL,
                             timeoutMs, &result) != 0;
}

CopyDataRecorder::CopyDataRecorder() {
  thread_ = std::thread([this] { run(); });
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return started_; });
}

CopyDataRecorder::~CopyDataRecorder() {
  if (window_ != nullptr) PostMessageW(window_, WM_CLOSE, 0, 0);
  if (thread_.joinable()) thread_.join();
}

void CopyDataRecorder::run() {
  HWND hwnd = nullptr;
  if (registerClassOnce(&windowProc)) {
    hwnd = CreateWindowExW(0, kClassName, L"kx copy-data recorder", WS_POPUP, 0, 0, 0, 0, nullptr,
                           nullptr, GetModuleHandleW(nullptr), this);
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    window_ = hwnd;
    started_ = true;
  }
  changed_.notify_all();
  if (hwnd == nullptr) return;
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

LRESULT CALLBACK CopyDataRecorder::windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<CopyDataRecorder*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  switch (msg) {
    case WM_COPYDATA:
      if (self != nullptr) self->record(wParam, reinterpret_cast<const COPYDATASTRUCT*>(lParam));
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

void CopyDataRecorder::record(WPARAM wParam, const COPYDATASTRUCT* cds) {
  if (cds == nullptr) return;
  CopyDataRecord r;
  r.id = static_cast<uint32_t>(cds->dwData);
  r.wParam = toWire32(static_cast<uintptr_t>(wParam));
  const auto* data = static_cast<const uint8_t*>(cds->lpData);
  if (data != nullptr) r.bytes.assign(data, data + cds->cbData);
  r.cbData = cds->cbData;
  r.line = describeCopyData(r.id, data, cds->cbData);
  Hook hook;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    records_.push_back(r);
    hook = hook_;
  }
  changed_.notify_all();
  if (hook) hook(r);
}

int32_t CopyDataRecorder::windowValue() const {
  return static_cast<int32_t>(toWire32(reinterpret_cast<uintptr_t>(window_)));
}

CopyDataRecorder::Records CopyDataRecorder::records() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return records_;
}

std::vector<std::string> CopyDataRecorder::lines() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::string> out;
  for (const CopyDataRecord& r : records_) out.push_back(r.line);
  return out;
}

size_t CopyDataRecorder::size() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return records_.size();
}

void CopyDataRecorder::clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  records_.clear();
}

void CopyDataRecorder::setHook(Hook hook) {
  std::lock_guard<std::mutex> lock(mutex_);
  hook_ = std::move(hook);
}

bool CopyDataRecorder::waitUntil(const std::function<bool(const Records&)>& done,
                                 uint32_t timeoutMs) const {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                           [&] { return done(records_); });
}

std::optional<CopyDataRecord> CopyDataRecorder::waitFor(uint32_t id, uint32_t timeoutMs,
                                                        size_t from) const {
  std::optional<CopyDataRecord> found;
  waitUntil(
      [&](const Records& rs) {
        for (size_t i = from; i < rs.size(); ++i) {
          if (rs[i].id == id) {
            found = rs[i];
            return true;
          }
        }
        return false;
      },
      timeoutMs);
  return found;
}

bool CopyDataRecorder::waitForCount(size_t count, uint32_t timeoutMs) const {
  return waitUntil([count](const Records& rs) { return rs.size() >= count; }, timeoutMs);
}

}  // namespace kx::test
