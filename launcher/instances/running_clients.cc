#include "launcher/instances/running_clients.h"

namespace kx::launcher {
namespace {

std::wstring normalized(const std::wstring& s) {
  std::wstring out = s;
  for (wchar_t& c : out) {
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    if (c == L'/') c = L'\\';
  }
  return out;
}

}  // namespace

bool isPathUnder(const std::wstring& path, const std::wstring& dir) {
  const std::wstring p = normalized(path);
  std::wstring d = normalized(dir);
  if (d.empty() || d.back() != L'\\') d += L'\\';
  if (d.size() >= 2 && d[d.size() - 2] == L'\\') d.pop_back();
  return p.compare(0, d.size(), d) == 0;
}

bool waitForOtherClients(const std::function<bool()>& anyRunning, Clock& clock) {
  if (!anyRunning()) return true;
  for (int i = 0; i < kClientWaitCount; ++i) {
    clock.sleep(kClientWaitMs);
    if (!anyRunning()) return true;
  }
  return false;
}

}  // namespace kx::launcher
