#ifndef KX_TOOLS_TEST_BROWSER_LINE_PROTOCOL_H_
#define KX_TOOLS_TEST_BROWSER_LINE_PROTOCOL_H_

// The test browser's line protocol (PROTOCOL.md): TAB-separated fields with
// C-style escapes, typed values, and page calls decoded from "javascript:"
// URLs.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "plugin/npapi/np_types.h"

namespace kx::browser {

// Splits at TAB and undoes \t \n \r \\ \xHH in each field.
std::vector<std::string> splitFields(const std::string& line);
// Escapes TAB, line breaks, backslash and other control bytes.
std::string escapeField(const std::string& text);
std::string joinFields(const std::vector<std::string>& fields);

// A typed value: "s:text", "i:42", "d:1.5", "b:true", "b:false", "null", "void".
struct Value {
  NPVariantType type = NPVariantType_Void;
  std::string text;
  int32_t intValue = 0;
  double doubleValue = 0;
  bool boolValue = false;
};
std::optional<Value> parseValue(const std::string& field);
// The variant in the same notation; objects as "object".
std::string formatVariant(const NPVariant& variant);
// A variant that points into |value| (which must outlive it).
NPVariant toVariant(const Value& value);

// javascript:name('a','b') with the script's string escapes undone
// (\\ \' \" \n \r \t \/ \0 \xHH \uHHHH, the latter as UTF-8).
struct PageCall {
  std::string function;
  std::vector<std::string> args;
};
std::optional<PageCall> decodePageCall(const std::string& url);

// Decimal or 0x-prefixed hexadecimal, signed; none for anything else.
std::optional<int64_t> parseNumber(const std::string& text);

}  // namespace kx::browser

#endif  // KX_TOOLS_TEST_BROWSER_LINE_PROTOCOL_H_
