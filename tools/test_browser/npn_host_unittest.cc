#include "tools/test_browser/npn_host.h"

#include <gtest/gtest.h>

#include <thread>

namespace kx::browser {
namespace {

// A class whose objects count their deallocations.
int g_deallocations = 0;
NPObject* allocateCounted(NPP, NPClass*) { return new NPObject{}; }
void deallocateCounted(NPObject* object) {
  ++g_deallocations;
  delete object;
}
NPClass countedClassTable() {
  NPClass c{};
  c.structVersion = NP_CLASS_STRUCT_VERSION;
  c.allocate = &allocateCounted;
  c.deallocate = &deallocateCounted;
  return c;
}
NPClass countedClass = countedClassTable();

TEST(NpnHostTest, IdentifiersCompareByValue) {
  NpnHost host;
  const NPNetscapeFuncs t = host.table();
  EXPECT_EQ(t.size, 472u / (8 / sizeof(void*)));
  EXPECT_EQ(t.getstringidentifier("IsRunning"), t.getstringidentifier(std::string("IsRunning").c_str()));
  EXPECT_NE(t.getstringidentifier("IsRunning"), t.getstringidentifier("isrunning"));
  EXPECT_TRUE(t.identifierisstring(t.getstringidentifier("a")));
  NPUTF8* name = t.utf8fromidentifier(t.getstringidentifier("ReDraw"));
  EXPECT_STREQ(name, "ReDraw");
  t.memfree(name);
  EXPECT_EQ(host.liveBlocks(), 0u);
}

TEST(NpnHostTest, ObjectsAreFreedAtZeroAndLaterUseIsReported) {
  NpnHost host;
  const NPNetscapeFuncs t = host.table();
  g_deallocations = 0;
  NPObject* object = t.createobject(nullptr, &countedClass);
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(object->referenceCount, 1u);
  EXPECT_EQ(object->_class, &countedClass);
  t.retainobject(object);
  t.releaseobject(object);
  EXPECT_EQ(g_deallocations, 0);
  t.releaseobject(object);
  EXPECT_EQ(g_deallocations, 1);
  EXPECT_TRUE(host.misuses().empty());

  t.releaseobject(object);
  t.retainobject(object);
  EXPECT_FALSE(host.hasMethod(object, "x"));
  ASSERT_EQ(host.misuses().size(), 3u);
  EXPECT_EQ(host.misuses()[0].kind, "release-below-zero");
  EXPECT_EQ(host.misuses()[1].kind, "use-after-free");
  EXPECT_EQ(host.misuses()[2].kind, "use-after-free");
  EXPECT_EQ(g_deallocations, 1);
}

TEST(NpnHostTest, CallsFromAnotherThreadAndLeaksAreReported) {
  NpnHost host;
  const NPNetscapeFuncs t = host.table();
  std::vector<Misuse> seen;
  host.setMisuseListener([&](const Misuse& m) { seen.push_back(m); });
  std::thread([&] { t.geturl(nullptr, "javascript:f()", "_self"); }).join();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].kind, "wrong-thread");
  EXPECT_EQ(seen[0].detail, "NPN_GetURL");

  g_deallocations = 0;
  NPObject* kept = t.createobject(nullptr, &countedClass);
  t.retainobject(kept);
  NPObject* freed = t.createobject(nullptr, &countedClass);
  t.releaseobject(freed);
  host.reportLeaks();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1].kind, "leak");
  EXPECT_NE(seen[1].detail.find("refcount 2"), std::string::npos) << seen[1].detail;
  t.releaseobject(kept);
  t.releaseobject(kept);
  EXPECT_EQ(g_deallocations, 2);
}

TEST(NpnHostTest, VariantsReleaseTheirStringsAndObjects) {
  NpnHost host;
  const NPNetscapeFuncs t = host.table();
  NPVariant text{};
  text.type = NPVariantType_String;
  text.value.stringValue.UTF8Characters = static_cast<NPUTF8*>(t.memalloc(3));
  text.value.stringValue.UTF8Length = 3;
  t.releasevariantvalue(&text);
  EXPECT_EQ(text.type, NPVariantType_Void);
  EXPECT_EQ(host.liveBlocks(), 0u);

  g_deallocations = 0;
  NPVariant object{};
  object.type = NPVariantType_Object;
  object.value.objectValue = t.createobject(nullptr, &countedClass);
  t.releasevariantvalue(&object);
  EXPECT_EQ(g_deallocations, 1);

  int local = 0;
  t.memfree(&local);
  ASSERT_EQ(host.misuses().size(), 1u);
  EXPECT_EQ(host.misuses()[0].kind, "bad-free");
}

}  // namespace
}  // namespace kx::browser
