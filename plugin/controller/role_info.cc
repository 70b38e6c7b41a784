#include "plugin/controller/role_info.h"

#include <cjson/cJSON.h>

#include <cmath>
#include <cstdio>
#include <memory>

namespace kx::plugin {
namespace {

constexpr const char* kRoleMembers[] = {
    "role_id", "cName", "iGrade", "hostid", "hostname", "iIcon",   "cIconName", "iSchool",
    "cSchoolName", "score", "vip",  "orgId",  "cOrg",     "iRegion", "cRegionName"};

struct JsonDeleter {
  void operator()(cJSON* tree) const { cJSON_Delete(tree); }
};

std::string numberText(double value) {
  char buffer[32];
  if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 1e15) {
    std::snprintf(buffer, sizeof buffer, "%lld", static_cast<long long>(value));
  } else {
    std::snprintf(buffer, sizeof buffer, "%.17g", value);
  }
  return buffer;
}

std::string memberText(const cJSON* member) {
  if (!member) return {};
  if (cJSON_IsString(member) && member->valuestring) return member->valuestring;
  if (cJSON_IsNumber(member)) return numberText(member->valuedouble);
  return {};
}

}  // namespace

WebSDK::EventFields roleInfoFromJson(const std::string& json) {
  std::unique_ptr<cJSON, JsonDeleter> tree(cJSON_Parse(json.c_str()));
  const cJSON* object = tree && cJSON_IsObject(tree.get()) ? tree.get() : nullptr;
  WebSDK::EventFields fields;
  int number = 1;
  for (const char* name : kRoleMembers) {
    fields[std::to_string(number++)] =
        object ? memberText(cJSON_GetObjectItem(object, name)) : std::string();
  }
  return fields;
}

}  // namespace kx::plugin
