#include "launcher/package/zip_file_names.h"

namespace cocos2d {
namespace {

bool isSeparator(char c) { return c == '/' || c == '\\'; }

bool isParentLike(std::string_view component) {
  int dots = 0;
  for (char c : component) {
    if (c == '.') {
      ++dots;
    } else if (c != ' ') {
      return false;
    }
  }
  return dots >= 2;
}

}  // namespace

bool isFolderEntryName(std::string_view name) {
  return !name.empty() && isSeparator(name.back());
}

bool isSafeEntryName(std::string_view name) {
  if (name.empty() || isSeparator(name.front())) return false;
  if (name.find('\0') != std::string_view::npos) return false;
  if (name.find(':') != std::string_view::npos) return false;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = start;
    while (end < name.size() && !isSeparator(name[end])) ++end;
    if (isParentLike(name.substr(start, end - start))) return false;
    start = end + 1;
  }
  return true;
}

std::string_view withoutTrailingSeparator(std::string_view folder) {
  if (!folder.empty() && isSeparator(folder.back())) folder.remove_suffix(1);
  return folder;
}

}  // namespace cocos2d
