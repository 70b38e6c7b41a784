#include "tools/game_standin/standin_script.h"

#include <cstdlib>
#include <limits>

#include "common/base/unicode.h"
#include "common/protocol/copy_data.h"

namespace kx::standin {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// A cursor over one command.
class Words {
 public:
  explicit Words(std::string line) : line_(std::move(line)) {}
  bool next(std::string& word) {
    while (pos_ < line_.size() && isBlank(line_[pos_])) ++pos_;
    if (pos_ >= line_.size()) return false;
    const size_t start = pos_;
    while (pos_ < line_.size() && !isBlank(line_[pos_])) ++pos_;
    word = line_.substr(start, pos_ - start);
    return true;
  }
  bool atEnd() {
    while (pos_ < line_.size() && isBlank(line_[pos_])) ++pos_;
    return pos_ >= line_.size();
  }
  // The rest after one separating blank, kept as written.
  std::string rest() {
    if (pos_ < line_.size() && isBlank(line_[pos_])) ++pos_;
    std::string out = line_.substr(pos_);
    pos_ = line_.size();
    return out;
  }

 private:
  std::string line_;
  size_t pos_ = 0;
};

// Decimal (with sign) or 0x hexadecimal, within [min, max].
bool parseNumber(const std::string& word, long long min, long long max, long long& out) {
  if (word.empty()) return false;
  size_t i = 0;
  bool negative = false;
  if (word[0] == '-' || word[0] == '+') {
    negative = word[0] == '-';
    i = 1;
  }
  int base = 10;
  if (word.size() > i + 1 && word[i] == '0' && (word[i + 1] == 'x' || word[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= word.size()) return false;
  unsigned long long value = 0;
  for (; i < word.size(); ++i) {
    const char c = word[i];
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return false;
    }
    value = value * base + digit;
    if (value > 0xFFFFFFFFull + 1) return false;
  }
  const long long signedValue =
      negative ? -static_cast<long long>(value) : static_cast<long long>(value);
  if (signedValue < min || signedValue > max) return false;
  out = signedValue;
  return true;
}

constexpr long long kU8 = 0xFF;
constexpr long long kU16 = 0xFFFF;
constexpr long long kU32 = 0xFFFFFFFF;
constexpr long long kI32Min = std::numeric_limits<int32_t>::min();
constexpr long long kI32Max = std::numeric_limits<int32_t>::max();

struct Range {
  long long min;
  long long max;
};

class Parser {
 public:
  ParseResult run(const std::string& text) {
    Script script;
    size_t lineNo = 0;
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      ++lineNo;
      std::string line = text.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      const size_t first = line.find_first_not_of(" \t");
      if (first != std::string::npos && line[first] == '#') line.clear();
      size_t from = 0;
      while (from <= line.size()) {
        size_t semi = line.find(';', from);
        if (semi == std::string::npos) semi = line.size();
        if (!parseLine(line.substr(from, semi - from), script)) {
          ParseResult r;
          r.errorLine = lineNo;
          r.error = error_;
          return r;
        }
        from = semi + 1;
      }
      start = end + 1;
    }
    ParseResult r;
    r.script = std::move(script);
    return r;
  }

 private:
  bool fail(const std::string& what) {
    error_ = what;
    return false;
  }

  bool number(Words& w, const char* what, Range range, long long& out) {
    std::string word;
    if (!w.next(word)) return fail(std::string("missing ") + what);
    if (!parseNumber(word, range.min, range.max, out)) {
      return fail(std::string("bad ") + what + " '" + word + "'");
    }
    return true;
  }

  bool numbers(Words& w, std::initializer_list<std::pair<const char*, Range>> fields,
               std::vector<long long>& out) {
    for (const auto& [name, range] : fields) {
      long long v = 0;
      if (!number(w, name, range, v)) return false;
      out.push_back(v);
    }
    if (!w.atEnd()) return fail("too many fields");
    return true;
  }

  bool hexBytes(Words& w, Payload& out) {
    std::string digits;
    std::string word;
    while (w.next(word)) digits += word;
    if (digits.size() % 2 != 0) return fail("odd number of hex digits");
    for (size_t i = 0; i < digits.size(); i += 2) {
      long long v = 0;
      if (!parseNumber("0x" + digits.substr(i, 2), 0, kU8, v)) return fail("bad hex byte");
      out.push_back(static_cast<uint8_t>(v));
    }
    return true;
  }

  bool sendFields(Words& w, uint32_t id, Payload& out) {
    const Range u8{0, kU8}, u16{0, kU16}, u32{0, kU32}, i32{kI32Min, kI32Max};
    std::vector<long long> v;
    switch (id) {
      case CD_LAUNCH_PROGRESS:
      case CD_GAME_PROGRESS:
        if (!numbers(w, {{"progress", u8}, {"status", u8}}, v)) return false;
        out = encodeLaunchProgress({static_cast<uint8_t>(v[0]), static_cast<uint8_t>(v[1])});
        return true;
      case CD_LAUNCH_MSG_INFO:
        out = encodeLaunchMsgInfo(utf8ToUtf16(w.rest()));
        return true;
      case CD_DOWNLOAD_SPEED:
        if (!numbers(w, {{"downloadSpeed", u32}, {"curBytesRead", u32}, {"totalBytes", u32}}, v)) {
          return false;
        }
        out = encodeDownloadSpeed({static_cast<uint32_t>(v[0]), static_cast<uint32_t>(v[1]),
                                   static_cast<uint32_t>(v[2])});
        return true;
      case CD_UNZIP_PROGRESS:
        if (!numbers(w, {{"curFiles", u32}, {"totalFiles", u32}}, v)) return false;
        out = encodeUnzipProgress({static_cast<uint32_t>(v[0]), static_cast<uint32_t>(v[1])});
        return true;
      case CD_GAME_RELAUNCH:
        if (!numbers(w, {{"switchMode", u8}}, v)) return false;
        out = encodeGameRelaunch({static_cast<uint8_t>(v[0])});
        return true;
      case CD_GAME_CLIENT_INFO:
        if (!numbers(w, {{"hGameWnd", u32}, {"processId", u32}, {"startStatus", i32}}, v)) {
          return false;
        }
        out = encodeGameClientInfo(
            {static_cast<uint32_t>(v[0]), static_cast<uint32_t>(v[1]), static_cast<int32_t>(v[2])});
        return true;
      case CD_GAME_SDK_CALL: {
        long long func = 0;
        if (!number(w, "funcID", u16, func)) return false;
        out = encodeGameSdkCall({static_cast<uint16_t>(func), utf8ToUtf16(w.rest())});
        return true;
      }
      case CD_GAME_MAIN_SIZE:
        if (!numbers(w, {{"mainWidth", i32}, {"mainHeight", i32}, {"customSize", i32}}, v)) {
          return false;
        }
        out = encodeGameMainSize(
            {static_cast<int32_t>(v[0]), static_cast<int32_t>(v[1]), static_cast<int32_t>(v[2])});
        return true;
      default:
        return fail("no fields known for " + std::to_string(id) + "; use hex");
    }
  }

  bool action(Words& w, const std::string& verb, Step& step) {
    if (verb == "send") {
      long long id = 0;
      if (!number(w, "message id", {0, kU32}, id)) return false;
      step.kind = ActionKind::kSend;
      step.id = static_cast<uint32_t>(id);
      Words probe = w;
      std::string word;
      if (probe.next(word) && word == "hex") {
        w = probe;
        return hexBytes(w, step.payload);
      }
      return sendFields(w, step.id, step.payload);
    }
    if (verb == "start-game") {
      step.kind = ActionKind::kStartGame;
      step.folder = utf8ToUtf16(w.rest());
      if (step.folder.empty()) return fail("start-game needs a folder");
      return true;
    }
    if (verb == "exit") {
      step.kind = ActionKind::kExit;
      std::vector<long long> v;
      if (!numbers(w, {{"exit code", {kI32Min, kI32Max}}}, v)) return false;
      step.exitCode = static_cast<int32_t>(v[0]);
      return true;
    }
    return fail("unknown command '" + verb + "'");
  }

  bool parseLine(const std::string& line, Script& script) {
    Words w(line);
    std::string verb;
    if (!w.next(verb)) return true;
    std::vector<long long> v;
    if (verb == "status") {
      if (!numbers(w, {{"status", {kI32Min, kI32Max}}}, v)) return false;
      script.startStatus = static_cast<int32_t>(v[0]);
      return true;
    }
    if (verb == "ignore") {
      if (!numbers(w, {{"message id", {0, kU32}}}, v)) return false;
      script.ignored.insert(static_cast<uint32_t>(v[0]));
      return true;
    }
    if (verb == "lifetime") {
      if (!numbers(w, {{"lifetime", {1, kU32}}}, v)) return false;
      script.lifetimeMs = static_cast<uint32_t>(v[0]);
      return true;
    }
    Step step;
    if (verb == "after" || verb == "on") {
      long long n = 0;
      if (verb == "after") {
        if (!number(w, "delay", {0, kU32}, n)) return false;
        step.trigger = Trigger::kAfter;
        step.delayMs = static_cast<uint32_t>(n);
      } else {
        if (!number(w, "message id", {0, kU32}, n)) return false;
        step.trigger = Trigger::kOn;
        step.onId = static_cast<uint32_t>(n);
      }
      if (!w.next(verb)) return fail("missing action");
    }
    if (!action(w, verb, step)) return false;
    script.steps.push_back(std::move(step));
    return true;
  }

  std::string error_;
};

}  // namespace

ParseResult parseScript(const std::string& utf8) { return Parser().run(utf8); }

}  // namespace kx::standin
