#include "launcher/package/package_download_plan.h"

#include <algorithm>

#include "launcher/util/version.h"

namespace kx::launcher {
namespace {

bool readsAsVersion(const std::wstring& v) {
  // compareVersion treats unreadable versions as equal to anything; a readable
  // one is never equal to a differing readable one, so test against two values.
  return compareVersion(v, L"0.0.0", true) != 0 || compareVersion(v, L"0.0.1", true) != 0;
}

}  // namespace

void sortNewestFirst(std::vector<std::wstring>& names) {
  std::stable_sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
    const std::wstring va = versionFromPackageName(a);
    const std::wstring vb = versionFromPackageName(b);
    const bool ra = readsAsVersion(va);
    const bool rb = readsAsVersion(vb);
    if (ra != rb) return ra;
    return ra && compareVersion(va, vb, true) > 0;
  });
}

PackagePlan planPackageChoice(const std::vector<std::wstring>& names, const std::wstring& miniver,
                              const std::wstring& apkver) {
  std::vector<std::wstring> zips;
  std::vector<std::wstring> temps;
  for (const auto& n : names) {
    if (n == L"." || n == L"..") continue;
    if (n.find(L".zip") != std::wstring::npos) {
      zips.push_back(n);
    } else if (n.find(L".temp") != std::wstring::npos) {
      temps.push_back(n);
    }
  }
  PackagePlan plan;
  if (!zips.empty()) {
    sortNewestFirst(zips);
    size_t keep = 0;
    if (compareVersion(versionFromPackageName(zips[0]), miniver, true) >= 0) {
      plan.package = zips[0];
      keep = 1;
    }
    plan.toDelete.insert(plan.toDelete.end(), zips.begin() + static_cast<long>(keep), zips.end());
  }
  if (plan.package.empty() && !temps.empty()) {
    for (const auto& t : temps) {
      if (plan.partial.empty() && !apkver.empty() && versionFromPackageName(t) == apkver) {
        plan.partial = t;
      } else {
        plan.toDelete.push_back(t);
      }
    }
  }
  return plan;
}

}  // namespace kx::launcher
