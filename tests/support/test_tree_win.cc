#include "tests/support/test_tree_win.h"

#include <windows.h>

#include "launcher/util/file_util_win.h"
#include "common/base/text.h"

namespace kx::test {
namespace {

void collect(const std::wstring& dir, const std::wstring& rel, FileTree& out) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((dir + L"\\*.*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring childRel = rel.empty() ? name : rel + L"\\" + name;
    const std::wstring child = dir + L"\\" + name;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      collect(child, childRel, out);
      continue;
    }
    std::string bytes;
    HANDLE h = CreateFileW(child.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      char buf[4096];
      DWORD n = 0;
      while (ReadFile(h, buf, sizeof(buf), &n, nullptr) && n > 0) bytes.append(buf, n);
      CloseHandle(h);
    } else {
      bytes = "<unreadable>";
    }
    out[childRel] = bytes;
  } while (FindNextFileW(find, &data));
  FindClose(find);
}

}  // namespace

TempTree::TempTree(const std::wstring& tag) {
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  static LONG counter = 0;
  root_ = joinPath(tmp, L"kx_" + tag + L"_" + std::to_wstring(GetCurrentProcessId()) +
                                      L"_" + std::to_wstring(InterlockedIncrement(&counter)));
  launcher::removeDirectoryTree(root_);
  launcher::makeDirectories(root_, false);
}

TempTree::~TempTree() { launcher::removeDirectoryTree(root_); }

std::wstring TempTree::path(const std::wstring& rel) const { return joinPath(root_, rel); }

bool TempTree::write(const std::wstring& rel, const std::string& bytes) const {
  const std::wstring p = path(rel);
  if (!launcher::makeDirectories(p, true)) return false;
  HANDLE h = CreateFileW(p.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD n = 0;
  const bool ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr) &&
                  n == bytes.size();
  CloseHandle(h);
  return ok;
}

void TempTree::writeAll(const FileTree& files) const {
  for (const auto& [rel, bytes] : files) write(rel, bytes);
}

FileTree TempTree::read() const {
  FileTree out;
  collect(root_, L"", out);
  return out;
}

}  // namespace kx::test
