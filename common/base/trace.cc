#include "common/base/trace.h"

#include "common/base/unicode.h"

namespace kx {
namespace {

struct Directive {
  bool left = false, zero = false, plus = false, space = false, alt = false;
  int width = -1;
  int precision = -1;
  wchar_t conversion = 0;
  std::wstring text;  // as written, e.g. L"%08x"
};

std::wstring textOf(const TraceArg& a) {
  if (a.text == nullptr) return L"(null)";
  switch (a.kind) {
    case TraceArg::Kind::kWide: return std::wstring(static_cast<const wchar_t*>(a.text), a.length);
    case TraceArg::Kind::kNarrow:
      return wideFromUtf8(std::string(static_cast<const char*>(a.text), a.length));
    case TraceArg::Kind::kU16:
      return wideFromUtf8(
          utf16ToUtf8(std::u16string(static_cast<const char16_t*>(a.text), a.length)));
    default: return std::wstring();
  }
}

bool isText(const TraceArg& a) {
  return a.kind == TraceArg::Kind::kWide || a.kind == TraceArg::Kind::kNarrow ||
         a.kind == TraceArg::Kind::kU16;
}

bool isInteger(const TraceArg& a) {
  return a.kind == TraceArg::Kind::kSigned || a.kind == TraceArg::Kind::kUnsigned ||
         a.kind == TraceArg::Kind::kBool || a.kind == TraceArg::Kind::kChar;
}

std::wstring digits(uint64_t v, unsigned base, bool upper) {
  const wchar_t* set = upper ? L"0123456789ABCDEF" : L"0123456789abcdef";
  std::wstring out;
  do {
    out.insert(out.begin(), set[v % base]);
    v /= base;
  } while (v != 0);
  return out;
}

std::wstring pointerText(uint64_t v) {
  std::wstring d = digits(v, 16, false);
  const size_t width = sizeof(void*) * 2;
  if (d.size() < width) d.insert(0, width - d.size(), L'0');
  return L"0x" + d;
}

std::wstring describe(const TraceArg& a) {
  switch (a.kind) {
    case TraceArg::Kind::kSigned:
      return L"int " + (a.s < 0 ? L"-" + digits(0 - static_cast<uint64_t>(a.s), 10, false)
                                : digits(static_cast<uint64_t>(a.s), 10, false));
    case TraceArg::Kind::kUnsigned: return L"unsigned " + digits(a.u, 10, false);
    case TraceArg::Kind::kBool: return a.u ? L"bool true" : L"bool false";
    case TraceArg::Kind::kChar: return L"char " + digits(a.u, 10, false);
    case TraceArg::Kind::kPointer: return L"pointer " + pointerText(a.u);
    default: return L"text \"" + textOf(a) + L"\"";
  }
}

std::wstring mismatch(const Directive& directive, const std::wstring& what) {
  return L"<" + directive.text + L"? " + what + L">";
}

std::wstring pad(std::wstring body, const Directive& directive, bool zeroAllowed,
                 size_t signLength) {
  if (directive.width < 0 || body.size() >= static_cast<size_t>(directive.width)) return body;
  const size_t fill = static_cast<size_t>(directive.width) - body.size();
  if (directive.left) return body + std::wstring(fill, L' ');
  if (directive.zero && zeroAllowed) return body.insert(signLength, fill, L'0');
  return std::wstring(fill, L' ') + body;
}

std::wstring formatInteger(const Directive& directive, const TraceArg& a) {
  const wchar_t c = directive.conversion;
  unsigned base = 10;
  if (c == L'x' || c == L'X') base = 16;
  if (c == L'o') base = 8;
  bool negative = false;
  uint64_t magnitude = a.u;
  if ((c == L'd' || c == L'i') && a.kind == TraceArg::Kind::kSigned && a.s < 0) {
    negative = true;
    magnitude = 0 - static_cast<uint64_t>(a.s);
  }
  std::wstring body = digits(magnitude, base, c == L'X');
  if (directive.precision >= 0) {
    if (directive.precision == 0 && magnitude == 0) body.clear();
    if (body.size() < static_cast<size_t>(directive.precision)) {
      body.insert(0, static_cast<size_t>(directive.precision) - body.size(), L'0');
    }
  }
  std::wstring prefix;
  if (c == L'd' || c == L'i') {
    if (negative) {
      prefix = L"-";
    } else if (directive.plus) {
      prefix = L"+";
    } else if (directive.space) {
      prefix = L" ";
    }
  } else if (directive.alt && magnitude != 0) {
    if (base == 16) prefix = c == L'X' ? L"0X" : L"0x";
    if (base == 8 && (body.empty() || body[0] != L'0')) prefix = L"0";
  }
  return pad(prefix + body, directive, directive.precision < 0, prefix.size());
}

std::wstring formatOne(const Directive& directive, const TraceArg& a) {
  switch (directive.conversion) {
    case L'd':
    case L'i':
    case L'u':
    case L'x':
    case L'X':
    case L'o':
      if (!isInteger(a)) return mismatch(directive, describe(a));
      return formatInteger(directive, a);
    case L'c': {
      const bool fits =
          a.kind == TraceArg::Kind::kChar ||
          ((a.kind == TraceArg::Kind::kSigned || a.kind == TraceArg::Kind::kUnsigned) && a.s >= 0 &&
           a.u <= 0x10FFFF);
      if (!fits) return mismatch(directive, describe(a));
      std::wstring one;
      if (sizeof(wchar_t) == 2 && a.u >= 0x10000) {
        one = wideFromUtf8(
            utf16ToUtf8(std::u16string{static_cast<char16_t>(0xD800 + ((a.u - 0x10000) >> 10)),
                                       static_cast<char16_t>(0xDC00 + ((a.u - 0x10000) & 0x3FF))}));
      } else {
        one.push_back(static_cast<wchar_t>(a.u));
      }
      return pad(one, directive, false, 0);
    }
    case L's':
    case L'S': {
      if (!isText(a)) return mismatch(directive, describe(a));
      std::wstring text = textOf(a);
      if (directive.precision >= 0 && a.text != nullptr &&
          text.size() > static_cast<size_t>(directive.precision)) {
        text.resize(static_cast<size_t>(directive.precision));
      }
      return pad(text, directive, false, 0);
    }
    case L'p':
      if (a.kind == TraceArg::Kind::kPointer) return pad(pointerText(a.u), directive, false, 0);
      if (isText(a)) {
        return pad(pointerText(static_cast<uint64_t>(reinterpret_cast<uintptr_t>(a.text))),
                   directive, false, 0);
      }
      return mismatch(directive, describe(a));
    default: return mismatch(directive, describe(a));
  }
}

// Reads the directive after a '%' at format[i]; false when it is not one we
// format (the text is then shown as it is, marked).
bool readDirective(const wchar_t* format, size_t& i, Directive& directive) {
  const size_t start = i;
  ++i;
  for (;; ++i) {
    bool* flag = nullptr;
    switch (format[i]) {
      case L'-': flag = &directive.left; break;
      case L'0': flag = &directive.zero; break;
      case L'+': flag = &directive.plus; break;
      case L' ': flag = &directive.space; break;
      case L'#': flag = &directive.alt; break;
      default: break;
    }
    if (flag == nullptr) break;
    *flag = true;
  }
  auto number = [&](int& out) {
    out = 0;
    while (format[i] >= L'0' && format[i] <= L'9') {
      if (out < 1000) out = out * 10 + (format[i] - L'0');
      ++i;
    }
  };
  if (format[i] >= L'1' && format[i] <= L'9') number(directive.width);
  if (format[i] == L'.') {
    ++i;
    number(directive.precision);
  }
  // Length modifiers: the argument's own type counts.
  for (;;) {
    const wchar_t c = format[i];
    if (c == L'h' || c == L'l' || c == L'L' || c == L'z' || c == L'j' || c == L't' || c == L'w') {
      ++i;
    } else if (c == L'I' && format[i + 1] == L'6' && format[i + 2] == L'4') {
      i += 3;
    } else if (c == L'I' && format[i + 1] == L'3' && format[i + 2] == L'2') {
      i += 3;
    } else if (c == L'I') {
      ++i;
    } else {
      break;
    }
  }
  directive.conversion = format[i];
  if (directive.conversion == 0) {
    directive.text.assign(format + start, i - start);
    return false;
  }
  ++i;
  directive.text.assign(format + start, i - start);
  for (const wchar_t* c = L"diuxXocsSp"; *c != 0; ++c) {
    if (*c == directive.conversion) return true;
  }
  return false;
}

}  // namespace

std::wstring formatTrace(const wchar_t* format, const TraceArg* args, size_t count) {
  std::wstring out;
  size_t next = 0;
  if (format == nullptr) format = L"(null format)";
  for (size_t i = 0; format[i] != 0;) {
    if (format[i] != L'%') {
      out.push_back(format[i++]);
      continue;
    }
    if (format[i + 1] == L'%') {
      out.push_back(L'%');
      i += 2;
      continue;
    }
    Directive directive;
    if (!readDirective(format, i, directive)) {
      out += L"<" + directive.text + L"?>";
      continue;
    }
    if (next >= count) {
      out += mismatch(directive, L"missing");
      continue;
    }
    out += formatOne(directive, args[next++]);
  }
  for (; next < count; ++next) out += L" <extra: " + describe(args[next]) + L">";
  return out;
}

}  // namespace kx
