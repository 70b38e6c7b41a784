#include "launcher/engine/integrity_win.h"

#include <windows.h>

#include <cwchar>
#include <iterator>
#include <utility>

#include "common/base/scoped_handle.h"
#include "launcher/cache/cache_layout.h"
#include "launcher/util/file_util_win.h"
#include "common/base/text.h"
#include "common/base/text_convert_win.h"

namespace kx::launcher {
namespace {

bool isSnapshotName(const wchar_t* name) {
  return std::wcscmp(name, kEngineDllName) == 0 || std::wcscmp(name, kVersionIniName) == 0;
}

void copySnapshot(const std::wstring& fromDir, const std::wstring& toDir) {
  WIN32_FIND_DATAW data;
  ScopedFindHandle find(FindFirstFileW((fromDir + L"\\*.*").c_str(), &data));
  if (!find.valid()) return;
  do {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    if (!isSnapshotName(data.cFileName)) continue;
    if (!CopyFileW(joinPath(fromDir, data.cFileName).c_str(),
                   joinPath(toDir, data.cFileName).c_str(), FALSE)) {
      return;
    }
  } while (FindNextFileW(find.get(), &data));
}

}  // namespace

bool checkEnginePath(const std::wstring& gameDir) {
  const GameDirLayout layout(gameDir);
  const size_t count = fileExists(layout.finDownload()) ? kCompletenessAfterPackage
                                                       : std::size(kCompletenessList);
  for (size_t i = 0; i < count; ++i) {
    if (!fileExists(joinPath(gameDir, kCompletenessList[i]))) return false;
  }
  return true;
}

bool saveEngineToHashRes(const std::wstring& gameDir) {
  copySnapshot(gameDir, GameDirLayout(gameDir).hashRes());
  return true;
}

bool restoreEngineFromHashRes(const std::wstring& gameDir) {
  copySnapshot(GameDirLayout(gameDir).hashRes(), gameDir);
  return true;
}

int32_t measureFileSize(const std::wstring& path) {
  ScopedFileHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return -1;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 || size.QuadPart > INT32_MAX) {
    return -1;
  }
  return static_cast<int32_t>(size.QuadPart);
}

CheckInfoList::CheckInfoList(std::wstring listPath, std::wstring baseDir, Mode mode)
    : listPath_(std::move(listPath)), baseDir_(std::move(baseDir)), mode_(mode) {
  if (mode_ != Mode::kRead) return;
  std::wstring text;
  if (!readTextFileUtf8(listPath_, text)) return;
  emptyFile_ = text.empty() && measureFileSize(listPath_) == 0;
  entries_ = parseCheckInfo(text);
}

bool CheckInfoList::write() const {
  if (mode_ != Mode::kWrite) return false;
  std::string bytes;
  for (const CheckInfoEntry& e : entries_) {
    std::string name;
    wideToUtf8(e.name, name);
    bytes += formatCheckInfoLine(name, e.size);
  }
  return writeFileFlushed(listPath_, bytes);
}

bool CheckInfoList::add(const std::wstring& name) {
  if (mode_ != Mode::kWrite) return false;
  const int32_t size = measureFileSize(baseDir_ + L"/" + name);
  if (size < 0) return false;
  entries_.push_back({name, size});
  return true;
}

bool CheckInfoList::verify() const {
  if (mode_ != Mode::kRead || entries_.empty()) return false;
  for (const CheckInfoEntry& e : entries_) {
    if (e.size < 0) return false;
    if (measureFileSize(baseDir_ + L"/" + e.name) != e.size) return false;
  }
  return true;
}

std::vector<std::wstring> CheckInfoList::names() const {
  std::vector<std::wstring> out;
  for (const CheckInfoEntry& e : entries_) out.push_back(e.name);
  return out;
}

bool backupFiles(const std::vector<std::wstring>& names, const std::wstring& fromDir,
                 const std::wstring& backupDir) {
  CheckInfoList manifest(backupDir + L"\\" + kCheckInfoListName, backupDir,
                         CheckInfoList::Mode::kWrite);
  bool ok = true;
  for (const std::wstring& name : names) {
    const std::wstring src = joinPath(fromDir, name);
    if (!fileExists(src)) continue;
    const std::wstring dst = joinPath(backupDir, name);
    if (!makeDirectories(dst, true) || !CopyFileW(src.c_str(), dst.c_str(), FALSE) ||
        !manifest.add(name)) {
      ok = false;
      break;
    }
  }
  if (ok) ok = manifest.write();
  if (!ok) removeDirectoryTree(backupDir);
  return ok;
}

}  // namespace kx::launcher
