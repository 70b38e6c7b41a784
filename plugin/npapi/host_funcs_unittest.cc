#include "plugin/npapi/host_funcs.h"

#include <gtest/gtest.h>

#include <cstddef>

#include "tools/test_browser/npn_host.h"

namespace NPPlugin {
namespace {

TEST(HostFuncsTest, KeepsTheUsedEntriesOfAFullTable) {
  kx::browser::NpnHost browser;
  NPNetscapeFuncs table = browser.table(0x001B);
  table.posturl = reinterpret_cast<NPN_OpaqueProcPtr>(&NPPlugin::clearHostFuncs);
  table.getvalueforurl = reinterpret_cast<NPN_OpaqueProcPtr>(&NPPlugin::clearHostFuncs);
  adoptHostFuncs(table);
  const NPNetscapeFuncs& kept = hostFuncs();
  EXPECT_EQ(kept.size, sizeof(NPNetscapeFuncs));
  EXPECT_EQ(kept.version, 0x001B);
  EXPECT_EQ(kept.geturl, table.geturl);
  EXPECT_EQ(kept.posturl, table.posturl);
  EXPECT_EQ(kept.hasmethod, table.hasmethod);
  EXPECT_EQ(kept.releasevariantvalue, table.releasevariantvalue);
  EXPECT_EQ(kept.setexception, table.setexception);
  // Entries after pluginthreadasynccall are not kept.
  EXPECT_EQ(kept.getvalueforurl, nullptr);
  clearHostFuncs();
  EXPECT_EQ(hostFuncs().geturl, nullptr);
}

TEST(HostFuncsTest, AShorterTableIsNotReadPastItsSize) {
  kx::browser::NpnHost browser;
  NPNetscapeFuncs table = browser.table();
  // Ends right after releaseobject: invoke and later must read as absent.
  table.size = static_cast<uint16_t>(offsetof(NPNetscapeFuncs, invoke));
  table.hasmethod = reinterpret_cast<NPN_HasMethodProcPtr>(&NPPlugin::clearHostFuncs);
  adoptHostFuncs(table);
  EXPECT_EQ(hostFuncs().releaseobject, table.releaseobject);
  EXPECT_EQ(hostFuncs().hasmethod, nullptr);
  EXPECT_EQ(hostFuncs().releasevariantvalue, nullptr);
  // A table that ends inside an entry does not give that entry.
  table.size = static_cast<uint16_t>(offsetof(NPNetscapeFuncs, memalloc) + sizeof(void*) - 1);
  adoptHostFuncs(table);
  EXPECT_EQ(hostFuncs().uagent, table.uagent);
  EXPECT_EQ(hostFuncs().memalloc, nullptr);
  EXPECT_EQ(npnMemAlloc(4), nullptr);
  clearHostFuncs();
}

}  // namespace
}  // namespace NPPlugin
