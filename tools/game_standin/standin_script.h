#ifndef KX_TOOLS_GAME_STANDIN_STANDIN_SCRIPT_H_
#define KX_TOOLS_GAME_STANDIN_STANDIN_SCRIPT_H_

// The script of the stand-in programs (game client and launcher): what they
// send, when, and how they deviate. One command per line (or separated by
// ';'), '#' starts a comment line. Syntax in README.md beside this file.

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "common/protocol/payloads.h"

namespace kx::standin {

enum class Trigger : uint8_t {
  kStart,  // in file order, right after start-up (the game: after 0x0101)
  kAfter,  // delayMs after start-up
  kOn,     // each time message onId has been received
};

enum class ActionKind : uint8_t {
  kSend,       // a copy-data message to the plug-in window
  kStartGame,  // the launcher stand-in starts argument\kxmain.exe
  kExit,       // the process ends with exitCode
};

struct Step {
  Trigger trigger = Trigger::kStart;
  uint32_t delayMs = 0;
  uint32_t onId = 0;
  ActionKind kind = ActionKind::kSend;
  uint32_t id = 0;        // kSend
  Payload payload;        // kSend: the exact bytes
  std::u16string folder;  // kStartGame
  int32_t exitCode = 0;   // kExit
};

struct Script {
  int32_t startStatus = 0;      // the game's 0x0101 status ("status N")
  std::set<uint32_t> ignored;   // received and logged, but not acted on ("ignore ID")
  uint32_t lifetimeMs = 60000;  // ends by itself after this, so it never lingers
  std::vector<Step> steps;
};

struct ParseResult {
  std::optional<Script> script;  // nullopt on error
  size_t errorLine = 0;          // 1-based
  std::string error;
};

ParseResult parseScript(const std::string& utf8);

}  // namespace kx::standin

#endif  // KX_TOOLS_GAME_STANDIN_STANDIN_SCRIPT_H_
