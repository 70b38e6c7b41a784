#ifndef KX_LAUNCHER_PATCH_PATCH_LIST_H_
#define KX_LAUNCHER_PATCH_PATCH_LIST_H_

#include <functional>
#include <map>
#include <string>

#include "common/base/clock.h"
#include "common/ui/message_box.h"

namespace kx::launcher {

using PatchListTable = std::map<std::wstring, std::wstring>;

inline constexpr wchar_t kPatchListRetryText[] = L"获取更新列表失败，是否需要重试！";
inline constexpr wchar_t kDownloadErrorCaption[] = L"下载异常";

// Fills |table| from the patch-list text; malformed lines are skipped. Always true.
bool parsePatchList(const std::wstring& text, PatchListTable& table);

// The value of |key|, empty when absent.
std::wstring lookupPatchKey(const PatchListTable& table, const std::wstring& key);

// Engine/integrity code lives elsewhere; this is what the patch step needs of it.
class CacheChecks {
 public:
  virtual ~CacheChecks() = default;
  // The installed version from version.ini in |gameDir|; false when unreadable.
  virtual bool readInstalledVersion(const std::wstring& gameDir, std::wstring& version) = 0;
};

// True when the installed engine is older than miniver and must be discarded.
bool checkNeedToClearRes(const PatchListTable& table, const std::wstring& gameDir,
                         CacheChecks& checks);

// What fetchPatchList needs: one text fetch (HttpDownloader::fetchText in the launcher).
using FetchTextFn = std::function<bool(std::wstring& out)>;

// At most three fetches, each failure followed by the retry box (OK/Cancel).
bool fetchPatchList(const FetchTextFn& fetch, MessageBoxPresenter& boxes, Clock& clock,
                    PatchListTable& table);

}  // namespace kx::launcher

#endif  // KX_LAUNCHER_PATCH_PATCH_LIST_H_
