#include "plugin/npapi/np_gates.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugin/npapi/plugin_base.h"

namespace {

// What the gates did with the instances of this test's factory.
std::vector<std::string> g_log;
bool g_createFails = false;
bool g_attachFails = false;

class FakeInstance : public NPPlugin::Plugin {
 public:
  using Plugin::Plugin;
  bool attachWindow(NPWindow* window) override {
    g_log.push_back("attach");
    return !g_attachFails && Plugin::attachWindow(window);
  }
  void detachWindow() override {
    g_log.push_back("detach");
    Plugin::detachWindow();
  }
  NPError setWindow(NPWindow*) override {
    g_log.push_back("setWindow");
    return NPERR_NO_ERROR;
  }
  NPObject* getScriptableObject() override { return &object; }
  NPObject object{};
};

class GatesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_log.clear();
    g_createFails = g_attachFails = false;
    funcs_.size = sizeof(funcs_);
    ASSERT_EQ(NPPlugin::getEntryPoints(&funcs_), NPERR_NO_ERROR);
  }
  NPPluginFuncs funcs_{};
};

TEST_F(GatesTest, AFailedAttachmentLeavesNoInstanceBehind) {
  NPP_t npp{};
  ASSERT_EQ(funcs_.newp(nullptr, &npp, NP_EMBED, 0, nullptr, nullptr, nullptr), NPERR_NO_ERROR);
  ASSERT_NE(npp.pdata, nullptr);
  g_attachFails = true;
  int window = 0;
  NPWindow w{};
  w.window = &window;
  EXPECT_EQ(funcs_.setwindow(&npp, &w), NPERR_MODULE_LOAD_FAILED_ERROR);
  EXPECT_EQ(npp.pdata, nullptr);
  // The freed instance is never reached again (ASan would see it).
  EXPECT_EQ(funcs_.setwindow(&npp, &w), NPERR_GENERIC_ERROR);
  EXPECT_EQ(funcs_.setvalue(&npp, NPNVnetscapeWindow, nullptr), NPERR_GENERIC_ERROR);
  EXPECT_EQ(funcs_.destroy(&npp, nullptr), NPERR_NO_ERROR);
  EXPECT_EQ(g_log, (std::vector<std::string>{"create", "attach", "destroy"}));
}

TEST_F(GatesTest, OnlyTheFirstWindowIsAttachedAndDestroyDetachesFirst) {
  NPP_t npp{};
  ASSERT_EQ(funcs_.newp(nullptr, &npp, NP_EMBED, 0, nullptr, nullptr, nullptr), NPERR_NO_ERROR);
  int first = 0, second = 0;
  NPWindow none{}, a{}, b{};
  a.window = &first;
  b.window = &second;
  EXPECT_EQ(funcs_.setwindow(&npp, &none), NPERR_NO_ERROR);
  EXPECT_EQ(funcs_.setwindow(&npp, &a), NPERR_NO_ERROR);
  EXPECT_EQ(funcs_.setwindow(&npp, &b), NPERR_NO_ERROR);
  EXPECT_EQ(funcs_.setwindow(&npp, &none), NPERR_NO_ERROR);
  auto* instance = static_cast<FakeInstance*>(static_cast<nsPluginInstanceBase*>(npp.pdata));
  EXPECT_EQ(instance->hwnd(), &first);
  EXPECT_TRUE(instance->isWindowAttached());

  NPObject* object = nullptr;
  EXPECT_EQ(funcs_.getvalue(&npp, NPPVpluginScriptableNPObject, &object), NPERR_NO_ERROR);
  EXPECT_EQ(object, &instance->object);
  EXPECT_EQ(funcs_.destroy(&npp, nullptr), NPERR_NO_ERROR);
  EXPECT_EQ(npp.pdata, nullptr);
  EXPECT_EQ(g_log, (std::vector<std::string>{"create", "setWindow", "attach", "setWindow",
                                             "setWindow", "setWindow", "detach", "destroy"}));
}

TEST_F(GatesTest, AnInstanceThatCannotBeMadeIsOutOfMemory) {
  g_createFails = true;
  NPP_t npp{};
  EXPECT_EQ(funcs_.newp(nullptr, &npp, NP_EMBED, 0, nullptr, nullptr, nullptr),
            NPERR_OUT_OF_MEMORY_ERROR);
  EXPECT_EQ(npp.pdata, nullptr);
}

}  // namespace

nsPluginInstanceBase* createPluginInstance(const PluginCreateData& data) {
  g_log.push_back("create");
  if (g_createFails) return nullptr;
  return new FakeInstance(data.instance);
}

void destroyPluginInstance(nsPluginInstanceBase* instance) {
  g_log.push_back("destroy");
  delete instance;
}
