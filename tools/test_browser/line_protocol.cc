#include "tools/test_browser/line_protocol.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace kx::browser {
namespace {

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// |count| hex digits at |text|[at]; -1 when they are not all there.
long hexAt(const std::string& text, size_t at, size_t count) {
  if (at + count > text.size()) return -1;
  long value = 0;
  for (size_t i = 0; i < count; ++i) {
    const int d = hexDigit(text[at + i]);
    if (d < 0) return -1;
    value = value * 16 + d;
  }
  return value;
}

void appendUtf8(std::string& out, uint32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string unescapeField(const std::string& field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\' || i + 1 == field.size()) {
      out += field[i];
      continue;
    }
    const char e = field[++i];
    switch (e) {
      case 't': out += '\t'; break;
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      case '\\': out += '\\'; break;
      case 'x': {
        const long v = hexAt(field, i + 1, 2);
        if (v < 0) {
          out += "\\x";
        } else {
          out += static_cast<char>(v);
          i += 2;
        }
        break;
      }
      default: out += '\\'; out += e; break;
    }
  }
  return out;
}

}  // namespace

std::vector<std::string> splitFields(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (;;) {
    const size_t tab = line.find('\t', start);
    fields.push_back(unescapeField(line.substr(start, tab == std::string::npos ? tab : tab - start)));
    if (tab == std::string::npos) break;
    start = tab + 1;
  }
  return fields;
}

std::string escapeField(const std::string& text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\\': out += "\\\\"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
          char buffer[8];
          std::snprintf(buffer, sizeof buffer, "\\x%02X", static_cast<unsigned char>(c));
          out += buffer;
        } else {
          out += c;
        }
    }
  }
  return out;
}

std::string joinFields(const std::vector<std::string>& fields) {
  std::string line;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i) line += '\t';
    line += escapeField(fields[i]);
  }
  return line;
}

std::optional<int64_t> parseNumber(const std::string& text) {
  if (text.empty()) return std::nullopt;
  const bool negative = text[0] == '-';
  const std::string digits = negative ? text.substr(1) : text;
  const bool hex = digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X');
  const std::string body = hex ? digits.substr(2) : digits;
  if (body.empty() || body.size() > 16) return std::nullopt;
  for (const char c : body)
    if (hex ? hexDigit(c) < 0 : (c < '0' || c > '9')) return std::nullopt;
  errno = 0;
  const unsigned long long value = std::strtoull(body.c_str(), nullptr, hex ? 16 : 10);
  if (errno) return std::nullopt;
  const int64_t signedValue = static_cast<int64_t>(value);
  return negative ? -signedValue : signedValue;
}

std::optional<Value> parseValue(const std::string& field) {
  Value v;
  if (field == "null") {
    v.type = NPVariantType_Null;
  } else if (field == "void") {
    v.type = NPVariantType_Void;
  } else if (field.rfind("s:", 0) == 0) {
    v.type = NPVariantType_String;
    v.text = field.substr(2);
  } else if (field == "b:true" || field == "b:false") {
    v.type = NPVariantType_Bool;
    v.boolValue = field == "b:true";
  } else if (field.rfind("i:", 0) == 0) {
    const std::optional<int64_t> n = parseNumber(field.substr(2));
    if (!n || *n < INT32_MIN || *n > INT32_MAX) return std::nullopt;
    v.type = NPVariantType_Int32;
    v.intValue = static_cast<int32_t>(*n);
  } else if (field.rfind("d:", 0) == 0 && field.size() > 2) {
    char* end = nullptr;
    v.doubleValue = std::strtod(field.c_str() + 2, &end);
    if (*end != '\0') return std::nullopt;
    v.type = NPVariantType_Double;
  } else {
    return std::nullopt;
  }
  return v;
}

std::string formatVariant(const NPVariant& variant) {
  switch (variant.type) {
    case NPVariantType_Void: return "void";
    case NPVariantType_Null: return "null";
    case NPVariantType_Bool: return variant.value.boolValue ? "b:true" : "b:false";
    case NPVariantType_Int32: return "i:" + std::to_string(variant.value.intValue);
    case NPVariantType_Double: {
      char buffer[40];
      std::snprintf(buffer, sizeof buffer, "d:%g", variant.value.doubleValue);
      return buffer;
    }
    case NPVariantType_String: {
      const NPString& s = variant.value.stringValue;
      return "s:" + (s.UTF8Characters ? std::string(s.UTF8Characters, s.UTF8Length) : "");
    }
    case NPVariantType_Object: return "object";
  }
  return "unknown";
}

NPVariant toVariant(const Value& value) {
  NPVariant v{};
  v.type = value.type;
  switch (value.type) {
    case NPVariantType_Bool: v.value.boolValue = value.boolValue; break;
    case NPVariantType_Int32: v.value.intValue = value.intValue; break;
    case NPVariantType_Double: v.value.doubleValue = value.doubleValue; break;
    case NPVariantType_String:
      v.value.stringValue.UTF8Characters = value.text.data();
      v.value.stringValue.UTF8Length = static_cast<uint32_t>(value.text.size());
      break;
    default: break;
  }
  return v;
}

std::optional<PageCall> decodePageCall(const std::string& url) {
  static const std::string kScheme = "javascript:";
  if (url.rfind(kScheme, 0) != 0) return std::nullopt;
  size_t i = kScheme.size();
  PageCall call;
  while (i < url.size() && (isalnum(static_cast<unsigned char>(url[i])) || url[i] == '_' ||
                            url[i] == '$' || url[i] == '.'))
    call.function += url[i++];
  if (call.function.empty() || i >= url.size() || url[i++] != '(') return std::nullopt;
  bool first = true;
  while (i < url.size() && url[i] != ')') {
    if (!first) {
      if (url[i++] != ',') return std::nullopt;
    }
    first = false;
    if (i >= url.size() || url[i++] != '\'') return std::nullopt;
    std::string arg;
    for (;;) {
      if (i >= url.size()) return std::nullopt;
      const char c = url[i++];
      if (c == '\'') break;
      // A raw line break would end the script string: not a well-formed call.
      if (c == '\n' || c == '\r') return std::nullopt;
      if (c != '\\') {
        arg += c;
        continue;
      }
      if (i >= url.size()) return std::nullopt;
      const char e = url[i++];
      switch (e) {
        case 'n': arg += '\n'; break;
        case 'r': arg += '\r'; break;
        case 't': arg += '\t'; break;
        case '0': arg += '\0'; break;
        case 'x': {
          const long v = hexAt(url, i, 2);
          if (v < 0) return std::nullopt;
          appendUtf8(arg, static_cast<uint32_t>(v));
          i += 2;
          break;
        }
        case 'u': {
          const long v = hexAt(url, i, 4);
          if (v < 0) return std::nullopt;
          appendUtf8(arg, static_cast<uint32_t>(v));
          i += 4;
          break;
        }
        default: arg += e; break;  // \\ \' \" \/ and the rest stand for themselves
      }
    }
    call.args.push_back(arg);
  }
  if (i >= url.size() || url[i] != ')' || i + 1 != url.size()) return std::nullopt;
  return call;
}

}  // namespace kx::browser
