#ifndef KX_COMMON_BASE_TRACE_H_
#define KX_COMMON_BASE_TRACE_H_

// Diagnostic lines: kx::trace(L"format", args...). Nothing may depend on them.
// On Windows they go to OutputDebugStringW (WINEDEBUG=+debugstr shows them
// under Wine); elsewhere to stderr when KX_TRACE is set, else nowhere.
//
// The format is checked against the arguments' real types when the line is
// made, never trusted: %d %i %u %x %X %o %c %s %ls %p %% with flags "-0+ #",
// a width and a precision (length modifiers h l ll I64 z j t are read and
// ignored -- the argument's own type decides). Arguments: integers, enums,
// bool, char/wchar_t, std::wstring, std::string (UTF-8), std::u16string,
// wide/narrow C strings and string literals, other pointers. A conversion that
// does not fit its argument is shown as "<%d? text "abc">"; a missing one as
// "<%d? missing>"; left-over arguments are appended as " <extra: 5>". Any
// other argument type does not compile.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace kx {

struct TraceArg {
  enum class Kind : uint8_t { kSigned, kUnsigned, kBool, kChar, kPointer, kWide, kNarrow, kU16 };
  Kind kind = Kind::kSigned;
  uint8_t bytes = 0;  // size of an integer argument
  int64_t s = 0;
  uint64_t u = 0;              // also a pointer's value, a char's code
  const void* text = nullptr;  // kWide / kNarrow / kU16; null prints "(null)"
  size_t length = 0;           // units of text
};

namespace trace_internal {

template <typename T>
inline constexpr bool kAlwaysFalse = false;

template <typename Char>
size_t boundedLength(const Char* p, size_t max) {
  size_t n = 0;
  while (n < max && p[n] != 0) ++n;
  return n;
}

template <typename Char>
TraceArg textArg(TraceArg::Kind kind, const Char* p, size_t length) {
  TraceArg a;
  a.kind = kind;
  a.text = p;
  a.length = length;
  return a;
}

template <typename T>
TraceArg makeArg(const T& v) {
  using U = std::remove_cv_t<T>;
  TraceArg a;
  if constexpr (std::is_same_v<U, bool>) {
    a.kind = TraceArg::Kind::kBool;
    a.u = v ? 1 : 0;
  } else if constexpr (std::is_same_v<U, char> || std::is_same_v<U, wchar_t> ||
                       std::is_same_v<U, char16_t>) {
    a.kind = TraceArg::Kind::kChar;
    a.u = static_cast<uint64_t>(static_cast<std::make_unsigned_t<U>>(v));
  } else if constexpr (std::is_enum_v<U>) {
    return makeArg(static_cast<std::underlying_type_t<U>>(v));
  } else if constexpr (std::is_integral_v<U>) {
    a.bytes = sizeof(U);
    if constexpr (std::is_signed_v<U>) {
      a.kind = TraceArg::Kind::kSigned;
      a.s = static_cast<int64_t>(v);
      a.u = static_cast<uint64_t>(static_cast<std::make_unsigned_t<U>>(v));
    } else {
      a.kind = TraceArg::Kind::kUnsigned;
      a.u = static_cast<uint64_t>(v);
      a.s = static_cast<int64_t>(v);
    }
  } else if constexpr (std::is_array_v<U>) {
    using E = std::remove_cv_t<std::remove_extent_t<U>>;
    constexpr size_t n = std::extent_v<U>;
    if constexpr (std::is_same_v<E, wchar_t>) {
      return textArg(TraceArg::Kind::kWide, v, boundedLength(v, n));
    } else if constexpr (std::is_same_v<E, char>) {
      return textArg(TraceArg::Kind::kNarrow, v, boundedLength(v, n));
    } else if constexpr (std::is_same_v<E, char16_t>) {
      return textArg(TraceArg::Kind::kU16, v, boundedLength(v, n));
    } else {
      static_assert(kAlwaysFalse<T>, "kx::trace: arrays other than texts are not traced");
    }
  } else if constexpr (std::is_pointer_v<U>) {
    using P = std::remove_cv_t<std::remove_pointer_t<U>>;
    if constexpr (std::is_same_v<P, wchar_t>) {
      return textArg(TraceArg::Kind::kWide, v, v ? std::char_traits<wchar_t>::length(v) : 0);
    } else if constexpr (std::is_same_v<P, char>) {
      return textArg(TraceArg::Kind::kNarrow, v, v ? std::char_traits<char>::length(v) : 0);
    } else if constexpr (std::is_same_v<P, char16_t>) {
      return textArg(TraceArg::Kind::kU16, v, v ? std::char_traits<char16_t>::length(v) : 0);
    } else {
      a.kind = TraceArg::Kind::kPointer;
      a.u = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(v));
    }
  } else if constexpr (std::is_same_v<U, std::nullptr_t>) {
    a.kind = TraceArg::Kind::kPointer;
  } else if constexpr (std::is_same_v<U, std::wstring> || std::is_same_v<U, std::wstring_view>) {
    return textArg(TraceArg::Kind::kWide, v.data(), v.size());
  } else if constexpr (std::is_same_v<U, std::string> || std::is_same_v<U, std::string_view>) {
    return textArg(TraceArg::Kind::kNarrow, v.data(), v.size());
  } else if constexpr (std::is_same_v<U, std::u16string> ||
                       std::is_same_v<U, std::u16string_view>) {
    return textArg(TraceArg::Kind::kU16, v.data(), v.size());
  } else {
    static_assert(kAlwaysFalse<T>, "kx::trace: unsupported argument type");
  }
  return a;
}

bool traceEnabled();
void writeTrace(const std::wstring& line);

}  // namespace trace_internal

// The line a trace call makes; pure, so it is tested natively.
std::wstring formatTrace(const wchar_t* format, const TraceArg* args, size_t count);

template <typename... Args>
void trace(const wchar_t* format, const Args&... args) {
  if (!trace_internal::traceEnabled()) return;
  if constexpr (sizeof...(Args) == 0) {
    trace_internal::writeTrace(formatTrace(format, nullptr, 0));
  } else {
    const TraceArg list[] = {trace_internal::makeArg(args)...};
    trace_internal::writeTrace(formatTrace(format, list, sizeof...(Args)));
  }
}

}  // namespace kx

#endif  // KX_COMMON_BASE_TRACE_H_
