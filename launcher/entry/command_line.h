#ifndef KX_LAUNCHER_ENTRY_COMMAND_LINE_H_
#define KX_LAUNCHER_ENTRY_COMMAND_LINE_H_

// The launcher's argument string: which of the four modes it asks for, and
// its fields. Pure code, shared by the entry and its tests.

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "launcher/state/launcher_state.h"

namespace kx::launcher {

inline constexpr wchar_t kNormalLaunchToken[] = L"__KX_LAUNCH_NORMAL__";
inline constexpr wchar_t kSwitchLaunchToken[] = L"__KX_SWITCH_LAUNCH__";
inline constexpr wchar_t kClearRepairToken[] = L"__KX_CLEAR_REPAIR__";
inline constexpr wchar_t kClearPatchToken[] = L"__KX_CLEAR_PATCH__";

// Longest accepted text of field 1, field 6 and field 7.
inline constexpr size_t kModeTokenCapacity = 127;
inline constexpr size_t kUrlCapacity = 127;
inline constexpr size_t kLastFieldCapacity = 255;

// One directive of a scan pattern: a run of non-white characters of at most
// |capacity| characters, or a decimal 32-bit integer.
struct ScanDirective {
  enum Kind { kText, kNumber } kind;
  size_t capacity;  // text only
};

struct ScannedField {
  std::wstring text;
  int32_t number = 0;
};

struct ScanResult {
  int converted = 0;       // fields converted before the scan stopped
  bool tooLong = false;    // the scan stopped at a text longer than its capacity
  std::vector<ScannedField> fields;  // the converted ones, in order
};

// scanf-style scan: each directive skips white space first; a text takes the
// following run of non-white characters, a number an optional sign and
// decimal digits. The first directive that cannot convert ends the scan.
// Numbers outside [-2^31, 2^32-1] do not convert; those above 2^31-1 keep
// their 32 bits (a window handle written unsigned).
ScanResult scanFields(const std::wstring& input, const std::vector<ScanDirective>& pattern);

enum class LaunchMode { kRejected, kNormal, kSwitch, kRepair, kClearPatch };

struct LaunchCommand {
  LaunchMode mode = LaunchMode::kRejected;
  int32_t hOcxWnd = 0;
  int32_t browserPid = 0;
  int32_t gameWidth = 0;
  int32_t gameHeight = 0;
  std::wstring updateUrl;    // field 6 of the normal, repair and clear-patch forms
  int32_t switchNumber = 0;  // field 6 of the switch form, read and not used
  bool hasLastField = false;
  // Field 7: extParam (normal, repair) or the cache root (switch, clear patch).
  std::wstring lastField;
};

// Tries the normal, switch, repair and clear-patch forms in this order. A form
// is taken when at least 6 fields converted and field 1 equals its token
// exactly; a token over its capacity rejects the command line.
LaunchCommand parseLaunchCommand(const std::wstring& arguments);

// '@'-separated key/value tokens; empty tokens dropped, an odd last token
// ignored, a later pair overwriting an earlier one.
std::map<std::wstring, std::wstring> parseExtParam(const std::wstring& extParam);

// Puts an accepted command into the record: numbers, URL, launchParams and
// the cache root as each mode defines them. Leaves hBrowserProcess alone.
void applyLaunchCommand(const LaunchCommand& command, LauncherState& state);

}  // namespace kx::launcher

#endif  // KX_LAUNCHER_ENTRY_COMMAND_LINE_H_
