#ifndef KX_COMMON_CONTRACTS_GAME_COMMAND_LINE_H_
#define KX_COMMON_CONTRACTS_GAME_COMMAND_LINE_H_

// The argument string with which the launcher starts the game client:
// "__KXGAME_NORMAL_TAG__ <window> <browser pid> <width> <height>", signed
// decimals separated by single blanks.

#include <cstdint>
#include <optional>
#include <string>

namespace kx {

inline constexpr wchar_t kGameNormalTag[] = L"__KXGAME_NORMAL_TAG__";

struct GameCommandLine {
  int32_t hOcxWnd = 0;
  int32_t browserPid = 0;
  int32_t width = 0;
  int32_t height = 0;
};

std::wstring formatGameCommandLine(const GameCommandLine& args);

// The game client's side: the four numbers after the tag (white space between
// fields, as a scanf-style reader takes them); nullopt when the tag or a number
// is missing or a number does not fit 32 bits.
std::optional<GameCommandLine> parseGameCommandLine(const std::wstring& arguments);

}  // namespace kx

#endif  // KX_COMMON_CONTRACTS_GAME_COMMAND_LINE_H_
