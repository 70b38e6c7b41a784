#include "common/protocol/copy_data.h"

namespace kx {

const CopyDataInfo kCopyDataTable[kCopyDataCount] = {
    {CD_LAUNCH_PROGRESS, "CD_LAUNCH_PROGRESS", Party::kLauncher, Party::kPlugin, 2,
     PayloadShape::kFixed},
    {CD_LAUNCH_MSG_INFO, "CD_LAUNCH_MSG_INFO", Party::kOutside, Party::kPlugin, 0,
     PayloadShape::kText},
    {CD_DOWNLOAD_SPEED, "CD_DOWNLOAD_SPEED", Party::kLauncher, Party::kPlugin, 12,
     PayloadShape::kFixed},
    {CD_UNZIP_PROGRESS, "CD_UNZIP_PROGRESS", Party::kLauncher, Party::kPlugin, 8,
     PayloadShape::kFixed},
    {CD_GAME_RELAUNCH, "CD_GAME_RELAUNCH", Party::kGameClient, Party::kPlugin, 1,
     PayloadShape::kFixed},
    {CD_GAME_CLIENT_INFO, "CD_GAME_CLIENT_INFO", Party::kGameClient, Party::kPlugin, 12,
     PayloadShape::kFixed},
    {CD_GAME_SDK_CALL, "CD_GAME_SDK_CALL", Party::kGameClient, Party::kPlugin, 4,
     PayloadShape::kText},
    {CD_GAME_MAIN_SIZE, "CD_GAME_MAIN_SIZE", Party::kGameClient, Party::kPlugin, 12,
     PayloadShape::kFixed},
    {CD_GAME_PROGRESS, "CD_GAME_PROGRESS", Party::kGameClient, Party::kPlugin, 2,
     PayloadShape::kFixed},
    {CD_SDK_NOTIFY, "CD_SDK_NOTIFY", Party::kPlugin, Party::kGameClient, 4,
     PayloadShape::kCountedText},
    {CD_QUIT_GAME, "CD_QUIT_GAME", Party::kPlugin, Party::kGameClient, 1, PayloadShape::kFixed},
    {CD_SHOW_GAME, "CD_SHOW_GAME", Party::kPlugin, Party::kGameClient, 1, PayloadShape::kFixed},
    {CD_RESIZE_GAME, "CD_RESIZE_GAME", Party::kPlugin, Party::kGameClient, 8,
     PayloadShape::kFixed},
    {CD_CHAT_BUTTON, "CD_CHAT_BUTTON", Party::kPlugin, Party::kGameClient, 4,
     PayloadShape::kFixed},
    {CD_BROWSER_INFO, "CD_BROWSER_INFO", Party::kPlugin, Party::kGameClient, 284,
     PayloadShape::kFixed},
};

const CopyDataInfo* findCopyData(uint32_t id) {
  for (const CopyDataInfo& info : kCopyDataTable) {
    if (info.id == id) return &info;
  }
  return nullptr;
}

const char* copyDataName(uint32_t id) {
  const CopyDataInfo* info = findCopyData(id);
  return info ? info->name : "unknown";
}

std::optional<SendParams> sendParamsFor(uint32_t id) {
  const CopyDataInfo* info = findCopyData(id);
  if (!info) return std::nullopt;
  switch (info->from) {
    case Party::kLauncher:
      return kLauncherSend;
    case Party::kPlugin:
      return id == CD_QUIT_GAME ? kPluginQuitSend : kPluginSend;
    case Party::kGameClient:
    case Party::kOutside:
      break;
  }
  return std::nullopt;
}

}  // namespace kx
