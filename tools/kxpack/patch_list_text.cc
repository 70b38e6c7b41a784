#include "tools/kxpack/patch_list_text.h"

#include <cstdio>

#include "launcher/util/version.h"
#include "tools/kxpack/package_entries.h"

namespace kx::pack {
namespace {

bool printableAsciiWithoutSpaces(const std::string& s) {
  for (const char c : s) {
    if (c <= ' ' || c > '~') return false;
  }
  return true;
}

}  // namespace

bool formatPatchList(const PatchListFields& f, std::string* text, std::string* error) {
  if (!isThreePartVersion(f.apkver)) {
    *error = "apkver \"" + f.apkver + "\" is not three numbers joined by dots";
    return false;
  }
  if (!isThreePartVersion(f.miniver)) {
    *error = "miniver \"" + f.miniver + "\" is not three numbers joined by dots";
    return false;
  }
  // A miniver above the package would have every launcher throw the package
  // away right after unpacking it.
  if (launcher::compareVersion(widen(f.miniver), widen(f.apkver), true) > 0) {
    *error = "miniver " + f.miniver + " is newer than apkver " + f.apkver;
    return false;
  }
  if (f.minivercheck != "0" && f.minivercheck != "1") {
    *error = "minivercheck must be 0 or 1";
    return false;
  }
  // The launcher appends "/KX-<apkver>.zip" and sends the URL as it is.
  if (f.httpurl.rfind("http://", 0) != 0 && f.httpurl.rfind("https://", 0) != 0) {
    *error = "httpurl \"" + f.httpurl + "\" must start with http:// or https://";
    return false;
  }
  if (!printableAsciiWithoutSpaces(f.httpurl)) {
    *error = "httpurl must be printable ASCII without spaces (percent-encode the rest)";
    return false;
  }
  if (f.httpurl.back() == '/') {
    *error = "httpurl must not end with '/': the launcher adds one";
    return false;
  }
  char tail[64];
  std::snprintf(tail, sizeof(tail), " %llu %08x\n",
                static_cast<unsigned long long>(f.packageSize), f.packageCrc32);
  *text = "#miniver " + f.miniver + "\n#apkver " + f.apkver + "\n#httpurl " + f.httpurl +
          "\n#minivercheck " + f.minivercheck + "\n" + packageFileName(f.apkver) + " " +
          f.apkver + tail;
  return true;
}

}  // namespace kx::pack
