#include "plugin/sdk/sdk_manager.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "plugin/npapi/host_funcs.h"
#include "tools/test_browser/npn_host.h"

namespace WebSDK {
namespace {

TEST(ParseEventTextTest, PairsItemsAndFirstValues) {
  const struct {
    const char* text;
    EventFields fields;
  } cases[] = {
      {"eventType:OnLogin,code:abc,clientType:2",
       {{"clientType", "2"}, {"code", "abc"}, {"eventType", "OnLogin"}}},
      {"eventType:OnLogin,eventType:OnLogout", {{"eventType", "OnLogin"}}},
      {",,eventType:OnPageLoaded,,", {{"eventType", "OnPageLoaded"}}},
      {"a::b", {{"a", "b"}}},
      {"a:b:c,a:,:b,x,y:1", {{"y", "1"}}},
      {"", {}},
      {",:,", {}},
      {"k:\xE4\xBD\xA0", {{"k", "\xE4\xBD\xA0"}}},
  };
  for (const auto& c : cases) EXPECT_EQ(parseEventText(c.text), c.fields) << c.text;
}

TEST(FieldsTextTest, KeysInByteOrderEachEndingInAComma) {
  EXPECT_EQ(fieldsText({{"2", "Anna"}, {"10", "7"}, {"1", "99"}}), "1:99,10:7,2:Anna,");
  EXPECT_EQ(fieldsText({}), "");
}

class SDKManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    table_ = browser_.table();
    NPPlugin::adoptHostFuncs(table_);
    browser_.setGetUrlListener([this](NPP npp, const char* url, const char* target) {
      EXPECT_EQ(npp, &npp_);
      urls_.push_back(url);
      targets_.push_back(target);
      return NPERR_NO_ERROR;
    });
  }
  void TearDown() override { NPPlugin::clearHostFuncs(); }

  kx::browser::NpnHost browser_;
  NPNetscapeFuncs table_{};
  NPP_t npp_{};
  SDKManager sdk_;
  std::vector<std::string> urls_, targets_;
};

TEST_F(SDKManagerTest, EventsReachTheirHandlersInIdOrderWithTheWholeMap) {
  std::vector<std::string> calls;
  auto recorder = [&](const std::string& tag) {
    return [&calls, tag](EventFields fields) { calls.push_back(tag + ":" + fieldsText(fields)); };
  };
  EXPECT_EQ(sdk_.registerHandler("OnLogin", recorder("first")), 1);
  EXPECT_EQ(sdk_.registerHandler("OnLogout", recorder("logout")), 2);
  EXPECT_EQ(sdk_.registerHandler("OnLogin", recorder("second")), 3);

  sdk_.onScriptMessageUtf8("eventType:OnLogin,code:abc,clientType:2");
  sdk_.onScriptMessageUtf8("eventType:OnLogin,eventType:OnLogout");
  sdk_.onScriptMessageUtf8("code:abc");
  sdk_.onScriptMessageUtf8("eventType:onlogin");
  sdk_.onScriptMessageUtf8("eventType:OnPay,status:1");
  EXPECT_EQ(calls, (std::vector<std::string>{
                       "first:clientType:2,code:abc,eventType:OnLogin,",
                       "second:clientType:2,code:abc,eventType:OnLogin,",
                       "first:eventType:OnLogin,",
                       "second:eventType:OnLogin,",
                   }));

  calls.clear();
  sdk_.reset();
  sdk_.onScriptMessageUtf8("eventType:OnLogin");
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(sdk_.registerHandler("OnLogin", recorder("again")), 1);
}

TEST_F(SDKManagerTest, AHandlerThatResetsTheManagerDoesNotCutTheWalkShort) {
  std::vector<int> calls;
  sdk_.registerHandler("OnPageLoaded", [&](EventFields) {
    calls.push_back(1);
    sdk_.reset();
  });
  sdk_.registerHandler("OnPageLoaded", [&](EventFields) { calls.push_back(2); });
  sdk_.onScriptMessageUtf8("eventType:OnPageLoaded");
  EXPECT_EQ(calls, (std::vector<int>{1, 2}));
}

TEST_F(SDKManagerTest, PageCallsWithoutAnInstanceDoNothing) {
  EXPECT_EQ(sdk_.OnActiveXReady(), NPERR_INVALID_INSTANCE_ERROR);
  EXPECT_EQ(sdk_.callPage("f", {"a"}), 2);
  EXPECT_TRUE(urls_.empty());
}

TEST_F(SDKManagerTest, EveryPageCallOfTheTable) {
  sdk_.setNpp(&npp_);
  const struct {
    std::function<NPError()> call;
    const char* url;
  } cases[] = {
      {[&] { return sdk_.OnActiveXReady(); }, "javascript:OnActiveXReady()"},
      {[&] { return sdk_.OnActiveXQuit(); }, "javascript:OnActiveXQuit()"},
      {[&] { return sdk_.initWebSDK("g12", -7); }, "javascript:initWebSDK('g12','-7')"},
      {[&] { return sdk_.login(); }, "javascript:login()"},
      {[&] { return sdk_.logout(); }, "javascript:logout()"},
      {[&] { return sdk_.SetClientData("d1"); }, "javascript:setClientData('d1')"},
      {[&] { return sdk_.showUserDialog(); }, "javascript:showUserDialog()"},
      {[&] { return sdk_.showPayDialog("p2"); }, "javascript:showPayDialog('p2')"},
      {[&] { return sdk_.closePayDialog(); }, "javascript:closePayDialog()"},
      {[&] { return sdk_.invokeFunc("n3", "a4"); }, "javascript:invokeFunc('n3','a4')"},
      {[&] { return sdk_.commonCmdHandler("cmd:com_progress_status,status:6"); },
       "javascript:invokeFunc('commonCmdHandler','cmd:com_progress_status,status:6')"},
      {[&] { return sdk_.setRoleInfo({{"2", "Anna"}, {"10", "7"}, {"1", "99"}}); },
       "javascript:invokeFunc('setRoleInfo','1:99,10:7,2:Anna,')"},
      {[&] { return sdk_.setRoleInfo({}); }, "javascript:invokeFunc('setRoleInfo','')"},
      {[&] { return sdk_.OnGameInitProgress(150); }, "javascript:OnGameInitProgress('100')"},
      {[&] { return sdk_.OnGameInitProgress(-5); }, "javascript:OnGameInitProgress('0')"},
      {[&] { return sdk_.OnGameInitProgress(100); }, "javascript:OnGameInitProgress('100')"},
      {[&] { return sdk_.OnGameInitProgress(0); }, "javascript:OnGameInitProgress('0')"},
      {[&] { return sdk_.OnGameInitProgress(37); }, "javascript:OnGameInitProgress('37')"},
      {[&] { return sdk_.OnGameInitProgress(101); }, "javascript:OnGameInitProgress('100')"},
      {[&] { return sdk_.OnSetResolution(1); }, "javascript:OnSetResolution('1')"},
      {[&] { return sdk_.OnChangeGamemainSize(1312); }, "javascript:OnChangeGamemainSize('1312')"},
      {[&] { return sdk_.showDiv(true); }, "javascript:showDiv('0','1')"},
      {[&] { return sdk_.showDiv(false); }, "javascript:showDiv('0','0')"},
  };
  for (const auto& c : cases) {
    urls_.clear();
    EXPECT_EQ(c.call(), NPERR_NO_ERROR);
    ASSERT_EQ(urls_.size(), 1u) << c.url;
    EXPECT_EQ(urls_[0], c.url);
    EXPECT_EQ(targets_.back(), "_self");
  }
}

TEST_F(SDKManagerTest, TextsFromOutsideAreEscapedInPageCalls) {
  sdk_.setNpp(&npp_);
  sdk_.commonCmdHandler("x');alert('1");
  ASSERT_EQ(urls_.size(), 1u);
  EXPECT_EQ(urls_[0], "javascript:invokeFunc('commonCmdHandler','x\\');alert(\\'1')");
}

}  // namespace
}  // namespace WebSDK
