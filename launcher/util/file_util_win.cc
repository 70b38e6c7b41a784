#include "launcher/util/file_util_win.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "common/base/scoped_handle.h"
#include "common/base/text_convert_win.h"

namespace kx::launcher {
namespace {

constexpr size_t kMaxPath = 259;
// A text file larger than this is not a file of ours.
constexpr LONGLONG kMaxTextFileBytes = 64LL * 1024 * 1024;

bool isSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool isDrive(const std::wstring& s) {
  if (s.size() < 2 || s.size() > 3) return false;
  const wchar_t c = s[0];
  if (!((c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z')) || s[1] != L':') return false;
  return s.size() == 2 || isSeparator(s[2]);
}

// One level: done when created, when the name exists, or when it is a drive.
bool createOneLevel(const std::wstring& folder) {
  if (folder.empty() || isDrive(folder)) return true;
  if (CreateDirectoryW(folder.c_str(), nullptr)) return true;
  return GetLastError() == ERROR_ALREADY_EXISTS;
}

}  // namespace

bool makeDirectories(const std::wstring& path, bool lastIsFileName) {
  if (path.size() > kMaxPath) return false;
  std::wstring prefix;
  std::wstring component;
  for (wchar_t c : path) {
    if (isSeparator(c)) {
      if (!prefix.empty() || !component.empty()) {
        prefix += component;
        if (!createOneLevel(prefix)) return false;
      }
      prefix += L'\\';
      component.clear();
    } else {
      component += c;
    }
  }
  if (lastIsFileName || component.empty()) return true;
  return createOneLevel(prefix + component);
}

namespace {

// The link itself goes, whatever it leads to; never what is behind it.
bool removeLink(const std::wstring& path, DWORD attrs) {
  return (attrs & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryW(path.c_str()) != 0
                                            : DeleteFileW(path.c_str()) != 0;
}

}  // namespace

bool removeDirectoryTree(const std::wstring& folder) {
  const DWORD top = GetFileAttributesW(folder.c_str());
  if (top != INVALID_FILE_ATTRIBUTES && (top & FILE_ATTRIBUTE_REPARSE_POINT)) {
    return removeLink(folder, top);
  }
  bool ok = true;
  WIN32_FIND_DATAW data;
  ScopedFindHandle find(FindFirstFileW((folder + L"\\*.*").c_str(), &data));
  if (find.valid()) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring child = folder + L"\\" + name;
      const DWORD attrs = data.dwFileAttributes;
      if (attrs & FILE_ATTRIBUTE_REPARSE_POINT) {
        ok = removeLink(child, attrs);
      } else if (attrs & FILE_ATTRIBUTE_DIRECTORY) {
        ok = removeDirectoryTree(child);
      } else {
        ok = DeleteFileW(child.c_str()) != 0;
      }
    } while (ok && FindNextFileW(find.get(), &data));
  }
  find.reset();
  const bool removed = RemoveDirectoryW(folder.c_str()) != 0;
  return ok && removed;
}

bool fileExists(const std::wstring& path) {
  if (path.empty()) return false;
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool writeFileFlushed(const std::wstring& path, const std::string& bytes) {
  ScopedFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return false;
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD n = 0;
    const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
    if (!WriteFile(file.get(), bytes.data() + done, want, &n, nullptr) || n == 0) return false;
    done += n;
  }
  return FlushFileBuffers(file.get()) != 0;
}

bool readTextFileUtf8(const std::wstring& path, std::wstring& out) {
  ScopedFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return false;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 || size.QuadPart > kMaxTextFileBytes) {
    return false;
  }
  std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
  size_t got = 0;
  while (got < bytes.size()) {
    DWORD n = 0;
    if (!ReadFile(file.get(), bytes.data() + got, static_cast<DWORD>(bytes.size() - got), &n, nullptr)) {
      return false;
    }
    if (n == 0) break;  // the file shrank while we read it
    got += n;
  }
  bytes.resize(strnlen(bytes.data(), got));
  // A stale output must not survive an empty file.
  out.clear();
  utf8ToWide(bytes, out);
  return true;
}

}  // namespace kx::launcher
