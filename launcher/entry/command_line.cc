#include "launcher/entry/command_line.h"

#include "common/base/text.h"

namespace kx::launcher {
namespace {

// The C locale's white space; the plug-in writes plain spaces.
bool isWhite(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r';
}

bool isDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Reads [sign]digits at |pos|; false when nothing converts or the value is out
// of the accepted range.
bool readNumber(const std::wstring& in, size_t& pos, int32_t& out) {
  size_t p = pos;
  bool negative = false;
  if (p < in.size() && (in[p] == L'+' || in[p] == L'-')) {
    negative = in[p] == L'-';
    ++p;
  }
  if (p >= in.size() || !isDigit(in[p])) return false;
  const uint64_t limit = negative ? 0x80000000ull : 0xFFFFFFFFull;
  uint64_t value = 0;
  for (; p < in.size() && isDigit(in[p]); ++p) {
    value = value * 10 + static_cast<uint64_t>(in[p] - L'0');
    if (value > limit) return false;
  }
  const uint32_t bits = static_cast<uint32_t>(negative ? (0 - value) : value);
  out = static_cast<int32_t>(bits);
  pos = p;
  return true;
}

const std::vector<ScanDirective>& urlPattern() {
  // "%s %d %d %d %d %s %s"
  static const std::vector<ScanDirective> pattern = {
      {ScanDirective::kText, kModeTokenCapacity}, {ScanDirective::kNumber, 0},
      {ScanDirective::kNumber, 0},                {ScanDirective::kNumber, 0},
      {ScanDirective::kNumber, 0},                {ScanDirective::kText, kUrlCapacity},
      {ScanDirective::kText, kLastFieldCapacity}};
  return pattern;
}

const std::vector<ScanDirective>& switchPattern() {
  // "%s %d %d %d %d %d %s"
  static const std::vector<ScanDirective> pattern = {
      {ScanDirective::kText, kModeTokenCapacity}, {ScanDirective::kNumber, 0},
      {ScanDirective::kNumber, 0},                {ScanDirective::kNumber, 0},
      {ScanDirective::kNumber, 0},                {ScanDirective::kNumber, 0},
      {ScanDirective::kText, kLastFieldCapacity}};
  return pattern;
}

}  // namespace

ScanResult scanFields(const std::wstring& input, const std::vector<ScanDirective>& pattern) {
  ScanResult result;
  size_t pos = 0;
  for (const ScanDirective& directive : pattern) {
    while (pos < input.size() && isWhite(input[pos])) ++pos;
    if (pos >= input.size()) break;
    ScannedField field;
    if (directive.kind == ScanDirective::kNumber) {
      if (!readNumber(input, pos, field.number)) break;
    } else {
      size_t end = pos;
      while (end < input.size() && !isWhite(input[end])) ++end;
      if (end - pos > directive.capacity) {
        result.tooLong = true;
        break;
      }
      field.text.assign(input, pos, end - pos);
      pos = end;
    }
    result.fields.push_back(std::move(field));
    ++result.converted;
  }
  return result;
}

LaunchCommand parseLaunchCommand(const std::wstring& arguments) {
  struct Form {
    const wchar_t* token;
    LaunchMode mode;
    bool switchForm;
  };
  static const Form kForms[] = {
      {kNormalLaunchToken, LaunchMode::kNormal, false},
      {kSwitchLaunchToken, LaunchMode::kSwitch, true},
      {kClearRepairToken, LaunchMode::kRepair, false},
      {kClearPatchToken, LaunchMode::kClearPatch, false},
  };
  LaunchCommand command;
  for (const Form& form : kForms) {
    const ScanResult scan = scanFields(arguments, form.switchForm ? switchPattern() : urlPattern());
    if (scan.fields.empty() || scan.fields[0].text != form.token) continue;
    // A token cut to its capacity would name another path or URL: refuse.
    if (scan.tooLong || scan.converted < 6) return command;
    command.mode = form.mode;
    command.hOcxWnd = scan.fields[1].number;
    command.browserPid = scan.fields[2].number;
    command.gameWidth = scan.fields[3].number;
    command.gameHeight = scan.fields[4].number;
    if (form.switchForm) {
      command.switchNumber = scan.fields[5].number;
    } else {
      command.updateUrl = scan.fields[5].text;
    }
    command.hasLastField = scan.converted == 7;
    if (command.hasLastField) command.lastField = scan.fields[6].text;
    return command;
  }
  return command;
}

std::map<std::wstring, std::wstring> parseExtParam(const std::wstring& extParam) {
  std::map<std::wstring, std::wstring> params;
  const std::vector<std::wstring> tokens = splitString(extParam, L"@");
  for (size_t i = 0; i + 1 < tokens.size(); i += 2) params[tokens[i]] = tokens[i + 1];
  return params;
}

void applyLaunchCommand(const LaunchCommand& command, LauncherState& state) {
  if (command.mode == LaunchMode::kRejected) return;
  state.hOcxWnd = command.hOcxWnd;
  state.browserPid = command.browserPid;
  state.gameWidth = command.gameWidth;
  state.gameHeight = command.gameHeight;
  switch (command.mode) {
    case LaunchMode::kNormal:
    case LaunchMode::kRepair: {
      state.GameUpdateUrl = command.updateUrl;
      state.launchParams.clear();
      if (command.hasLastField) state.launchParams = parseExtParam(command.lastField);
      auto it = state.launchParams.find(L"LocalDir");
      state.WEB_KX_DIR_PATH = it != state.launchParams.end() ? it->second : std::wstring();
      break;
    }
    case LaunchMode::kSwitch:
      if (command.hasLastField) state.WEB_KX_DIR_PATH = command.lastField;
      break;
    case LaunchMode::kClearPatch:
      state.GameUpdateUrl = command.updateUrl;
      if (command.hasLastField) state.WEB_KX_DIR_PATH = command.lastField;
      break;
    case LaunchMode::kRejected:
      break;
  }
}

}  // namespace kx::launcher
