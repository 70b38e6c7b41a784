#ifndef KX_LAUNCHER_PACKAGE_DOWNLOAD_GAME_PACKAGE_WIN_H_
#define KX_LAUNCHER_PACKAGE_DOWNLOAD_GAME_PACKAGE_WIN_H_

// Puts a complete copy of the game into the cache: reuses a package or a
// partial download left by an earlier run when the patch list still accepts
// it, else downloads KX-<apkver>.zip; then unpacks it, writes findownload.dat
// and deletes the package. The caller holds "kx_main_download_mutex".

#include "launcher/net/http_downloader.h"
#include "launcher/patch/patch_list.h"
#include "launcher/report/launcher_reports.h"
#include "launcher/state/launcher_state.h"

namespace kx::launcher {

inline constexpr wchar_t kUnzipFailedText[] = L"解压游戏资源包失败";
inline constexpr wchar_t kVersionFileFailedText[] = L"生成版本文件失败";
inline constexpr wchar_t kDownloadFailedText[] = L"加载资源失败，请检查网络，刷新页面再试";
inline constexpr wchar_t kDownloadRetryText[] = L"下载资源失败，是否需要重试！";

// True: unpacked and recorded. False: reports.state().errorText says why and
// the download folder keeps what it had. Uses reports.state().
// Retry pauses go through reports.clock().
bool downloadGamePackage(HttpDownloader& downloader, LauncherReports& reports);

}  // namespace kx::launcher

#endif  // KX_LAUNCHER_PACKAGE_DOWNLOAD_GAME_PACKAGE_WIN_H_
