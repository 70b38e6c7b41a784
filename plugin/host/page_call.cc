#include "plugin/host/page_call.h"

#include "plugin/npapi/host_funcs.h"

namespace NPPlugin {

std::string escapePageArgument(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    switch (c) {
      case '\\': out += "\\\\"; continue;
      case '\'': out += "\\'"; continue;
      case '\n': out += "\\n"; continue;
      case '\r': out += "\\r"; continue;
      case '\0': out += "\\x00"; continue;
      // A browser drops tabs from a URL and percent-decodes a javascript: URL
      // before it runs it, so a raw "%27" would end the string literal.
      case '\t': out += "\\t"; continue;
      case '%': out += "\\x25"; continue;
      default: break;
    }
    // "</" could close the page's script element around a generated call.
    if (c == '<' && i + 1 < text.size() && text[i + 1] == '/') {
      out += "<\\/";
      ++i;
      continue;
    }
    // U+2028 and U+2029 end a line inside script strings too.
    if (static_cast<unsigned char>(c) == 0xE2 && i + 2 < text.size() &&
        static_cast<unsigned char>(text[i + 1]) == 0x80 &&
        (static_cast<unsigned char>(text[i + 2]) == 0xA8 ||
         static_cast<unsigned char>(text[i + 2]) == 0xA9)) {
      out += static_cast<unsigned char>(text[i + 2]) == 0xA8 ? "\\u2028" : "\\u2029";
      i += 2;
      continue;
    }
    out += c;
  }
  return out;
}

std::string pageCallUrl(const std::string& functionName, const std::vector<std::string>& args) {
  std::string url = "javascript:" + functionName + "(";
  for (size_t i = 0; i < args.size(); ++i) {
    if (i) url += ",";
    url += "'" + escapePageArgument(args[i]) + "'";
  }
  return url + ")";
}

NPError callPageFunction(NPP npp, const std::string& functionName,
                         const std::vector<std::string>& args, const char* target) {
  const std::string url = pageCallUrl(functionName, args);
  return npnGetURL(npp, url.c_str(), target);
}

}  // namespace NPPlugin
