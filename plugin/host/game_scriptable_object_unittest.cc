#include "plugin/host/game_scriptable_object.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugin/npapi/host_funcs.h"
#include "plugin/npapi/plugin_base.h"
#include "tools/test_browser/npn_host.h"

namespace NPPlugin {
namespace {

using kx::browser::intVariant;
using kx::browser::stringVariant;

// An instance that records what the object asks of it.
class RecordingInstance : public Plugin, public ScriptHost {
 public:
  explicit RecordingInstance(NPP npp) : Plugin(npp) {}
  void onScriptMessage(const std::string& text) override { messages.push_back(text); }
  void setParams(const std::string& text) override { params.push_back(text); }
  void updateWindow() override { ++redraws; }
  bool checkRequiredFiles() override { return filesReady; }
  NPObject* getScriptableObject() override { return scriptableObjectOfClass(&gameScriptableClass); }
  std::vector<std::string> messages, params;
  int redraws = 0;
  bool filesReady = false;
};

class GameScriptableObjectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    table_ = browser_.table();
    adoptHostFuncs(table_);
    npp_.pdata = static_cast<nsPluginInstanceBase*>(&instance_);
    object_ = browser_.createObject(&npp_, &gameScriptableClass);
    ASSERT_NE(object_, nullptr);
  }
  void TearDown() override {
    if (object_) browser_.release(object_);
    EXPECT_EQ(browser_.liveObjects(), 0u);
    EXPECT_EQ(browser_.liveBlocks(), 0u) << "string copies not given back";
    EXPECT_TRUE(browser_.misuses().empty());
    clearHostFuncs();
  }
  bool call(const std::string& method, std::vector<NPVariant> args, NPVariant* result = nullptr) {
    NPVariant ignored;
    return browser_.invoke(object_, method, args.data(), static_cast<uint32_t>(args.size()),
                           result ? result : &ignored);
  }

  kx::browser::NpnHost browser_;
  NPNetscapeFuncs table_{};
  NPP_t npp_{};
  RecordingInstance instance_{&npp_};
  NPObject* object_ = nullptr;
};

TEST_F(GameScriptableObjectTest, NamesAreExactAndIsRunningIsOnlyAProperty) {
  const struct {
    const char* name;
    bool method;
    bool property;
  } cases[] = {
      {"OnScriptMessage", true, false}, {"SetParams", true, false},
      {"ReDraw", true, false},          {"IsPluginReady", true, false},
      {"IsRunning", false, true},       {"isrunning", false, false},
      {"reDraw", false, false},         {"onScriptMessage", false, false},
      {"", false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(browser_.hasMethod(object_, c.name), c.method) << c.name;
    EXPECT_EQ(browser_.hasProperty(object_, c.name), c.property) << c.name;
  }
  NPVariant result;
  EXPECT_FALSE(call("reDraw", {}));
  EXPECT_EQ(instance_.redraws, 0);
  EXPECT_FALSE(browser_.getProperty(object_, "isrunning", &result));
  EXPECT_FALSE(call("IsRunning", {}));
}

TEST_F(GameScriptableObjectTest, IsRunningReadsTrueOnAFreshObject) {
  NPVariant result;
  ASSERT_TRUE(browser_.getProperty(object_, "IsRunning", &result));
  EXPECT_EQ(result.type, NPVariantType_Bool);
  EXPECT_TRUE(result.value.boolValue);
  const NPVariant value = intVariant(0);
  EXPECT_FALSE(object_->_class->setProperty(object_, browser_.identifier("IsRunning"), &value));
  EXPECT_FALSE(object_->_class->removeProperty(object_, browser_.identifier("IsRunning")));
}

TEST_F(GameScriptableObjectTest, TextMethodsTakeTheFirstStringArgument) {
  const std::string event = "eventType:OnPageLoaded";
  const std::string other = "eventType:OnLogin";
  const std::string withNul("eventType:OnPay\0,status:1", 25);
  NPVariant result;
  EXPECT_TRUE(call("OnScriptMessage", {intVariant(42), stringVariant(event), stringVariant(other)},
                   &result));
  EXPECT_EQ(result.type, NPVariantType_Void);
  EXPECT_TRUE(call("OnScriptMessage", {}));
  EXPECT_TRUE(call("OnScriptMessage", {intVariant(1), kx::browser::boolVariant(true)}));
  EXPECT_TRUE(call("OnScriptMessage", {stringVariant(withNul)}));
  EXPECT_TRUE(call("OnScriptMessage", {stringVariant("")}));
  EXPECT_EQ(instance_.messages,
            (std::vector<std::string>{event, "eventType:OnPay", ""}));

  const std::string params = "gameUpdateUrl=http://127.0.0.1/\xE6\xB8\xB8\xE6\x88\x8F,extParam=1";
  EXPECT_TRUE(call("SetParams", {kx::browser::nullVariant(), stringVariant(params)}));
  EXPECT_TRUE(call("SetParams", {intVariant(3)}));
  EXPECT_EQ(instance_.params, std::vector<std::string>{params});
}

TEST_F(GameScriptableObjectTest, IsPluginReadyAnswersTheFileCheckAndReDrawUpdates) {
  NPVariant result;
  ASSERT_TRUE(call("IsPluginReady", {stringVariant("ignored")}, &result));
  EXPECT_EQ(result.type, NPVariantType_Bool);
  EXPECT_FALSE(result.value.boolValue);
  instance_.filesReady = true;
  ASSERT_TRUE(call("IsPluginReady", {}, &result));
  EXPECT_TRUE(result.value.boolValue);
  EXPECT_TRUE(call("ReDraw", {intVariant(5)}, &result));
  EXPECT_EQ(result.type, NPVariantType_Void);
  EXPECT_EQ(instance_.redraws, 1);
}

TEST_F(GameScriptableObjectTest, AnObjectLeftWithoutItsInstanceReachesNothing) {
  object_->_class->invalidate(object_);
  NPVariant result;
  // The calls still succeed for the page, with a void result and no effect.
  EXPECT_TRUE(call("OnScriptMessage", {stringVariant("eventType:OnPageLoaded")}));
  EXPECT_TRUE(call("SetParams", {stringVariant("gameUpdateUrl=x")}));
  EXPECT_TRUE(call("ReDraw", {}));
  EXPECT_TRUE(call("IsPluginReady", {}, &result));
  EXPECT_EQ(result.type, NPVariantType_Void);
  EXPECT_TRUE(instance_.messages.empty());
  EXPECT_TRUE(instance_.params.empty());
  EXPECT_EQ(instance_.redraws, 0);
  NPVariant running;
  EXPECT_TRUE(browser_.getProperty(object_, "IsRunning", &running));
}

TEST(GameScriptableObjectCreationTest, WithoutAnInstanceTheMethodsAreStillRegistered) {
  kx::browser::NpnHost browser;
  const NPNetscapeFuncs table = browser.table();
  adoptHostFuncs(table);
  NPP_t npp{};
  NPObject* object = browser.createObject(&npp, &gameScriptableClass);
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(static_cast<GameScriptableObject*>(object)->plugin(), nullptr);
  EXPECT_TRUE(browser.hasMethod(object, "IsPluginReady"));
  NPVariant result;
  EXPECT_TRUE(browser.invoke(object, "IsPluginReady", nullptr, 0, &result));
  EXPECT_EQ(result.type, NPVariantType_Void);
  browser.release(object);
  EXPECT_EQ(browser.liveObjects(), 0u);
  clearHostFuncs();
}

TEST(PluginScriptableObjectTest, OneObjectRetainedOncePerRequest) {
  kx::browser::NpnHost browser;
  const NPNetscapeFuncs table = browser.table();
  adoptHostFuncs(table);
  NPP_t npp{};
  Plugin plugin(&npp);
  NPObject* first = plugin.getScriptableObject();
  NPObject* second = plugin.getScriptableObject();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, second);
  EXPECT_EQ(first->referenceCount, 3u);  // the instance's own and one per request
  EXPECT_EQ(first->_class, &scriptableClass);
  EXPECT_TRUE(browser.hasProperty(first, "IsRunning"));
  EXPECT_FALSE(browser.hasMethod(first, "OnScriptMessage"));
  browser.release(first);
  browser.release(second);
  EXPECT_TRUE(browser.isLive(first));
  EXPECT_EQ(first->referenceCount, 1u);
  browser.release(first);  // stands for the instance's reference
  EXPECT_EQ(browser.liveObjects(), 0u);
  EXPECT_TRUE(browser.misuses().empty());
  clearHostFuncs();
}

TEST(PluginScriptableObjectTest, AFailedCreationIsTriedAgainAtTheNextRequest) {
  kx::browser::NpnHost browser;
  NPNetscapeFuncs table = browser.table();
  table.createobject = [](NPP, NPClass*) -> NPObject* { return nullptr; };
  adoptHostFuncs(table);
  NPP_t npp{};
  Plugin plugin(&npp);
  EXPECT_EQ(plugin.getScriptableObject(), nullptr);
  table = browser.table();
  adoptHostFuncs(table);
  NPObject* object = plugin.getScriptableObject();
  ASSERT_NE(object, nullptr);
  browser.release(object);
  browser.release(object);
  EXPECT_EQ(browser.liveObjects(), 0u);
  clearHostFuncs();
}

}  // namespace
}  // namespace NPPlugin
