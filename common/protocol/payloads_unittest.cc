#include "common/protocol/payloads.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>

#include "common/protocol/copy_data.h"
#include "common/protocol/wire.h"

namespace kx {
namespace {

using Bytes = std::vector<uint8_t>;

// Every layout, encoded from fixed values, against the bytes written out by hand.
TEST(Payloads, EncodeToExactBytes) {
  struct Case {
    const char* what;
    Payload got;
    Bytes want;
  };
  const Case cases[] = {
      {"progress 4/8", encodeLaunchProgress({4, 8}), {0x04, 0x08}},
      {"speed", encodeDownloadSpeed({0x01020304, 0x10, 0xA0B0C0D0}),
       {0x04, 0x03, 0x02, 0x01, 0x10, 0, 0, 0, 0xD0, 0xC0, 0xB0, 0xA0}},
      {"unzip", encodeUnzipProgress({2, 300}), {2, 0, 0, 0, 0x2C, 0x01, 0, 0}},
      {"msg info", encodeLaunchMsgInfo(u"hi"), {'h', 0, 'i', 0, 0, 0}},
      {"relaunch", encodeGameRelaunch({3}), {3}},
      {"client info", encodeGameClientInfo({0xFFFFFFFE, 0x1234, -1}),
       {0xFE, 0xFF, 0xFF, 0xFF, 0x34, 0x12, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}},
      {"sdk call", encodeGameSdkCall({6, u"{}"}), {6, 0, 0, 0, '{', 0, '}', 0, 0, 0}},
      {"sdk call empty", encodeGameSdkCall({9, u""}), {9, 0, 0, 0, 0, 0}},
      {"main size", encodeGameMainSize({1280, 720, 1}),
       {0x00, 0x05, 0, 0, 0xD0, 0x02, 0, 0, 1, 0, 0, 0}},
      {"notify dialog close", encodeSdkNotify({NOTIFY_DIALOG_CLOSE, u""}), {4, 0, 0, 0, 0, 0}},
      {"notify login", encodeSdkNotify({NOTIFY_LOGIN, u"abc 2"}),
       {1, 0, 5, 0, 'a', 0, 'b', 0, 'c', 0, ' ', 0, '2', 0, 0, 0}},
      {"notify chinese", encodeSdkNotify({NOTIFY_LOGOUT, u"\u4E2D"}), {3, 0, 1, 0, 0x2D, 0x4E, 0, 0}},
      {"quit", encodeQuitGame(), {1}},
      {"show", encodeShowGame({0}), {0}},
      {"resize", encodeResizeGame({-1, 2}), {0xFF, 0xFF, 0xFF, 0xFF, 2, 0, 0, 0}},
      {"chat", encodeChatButton({1}), {1, 0, 0, 0}},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.want) << c.what;
}

TEST(Payloads, BrowserInfoLayoutAndCut) {
  const Payload p = encodeBrowserInfo({2, 3, 4, std::u16string(200, u'x')});
  ASSERT_EQ(p.size(), kBrowserInfoBytes);
  const Bytes head = {2, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0, 1, 0, 0, 0, 19, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0};
  EXPECT_EQ(Bytes(p.begin(), p.begin() + 28), head);
  for (size_t i = 0; i < 127; ++i) ASSERT_EQ(p[28 + 2 * i], 'x') << i;
  EXPECT_EQ(p[28 + 254], 0);  // the 128th unit is the terminator
  EXPECT_EQ(p[28 + 255], 0);
  auto back = decodeBrowserInfo(p.data(), p.size());
  ASSERT_TRUE(back);
  EXPECT_EQ(back->exploreInfo, std::u16string(127, u'x'));
  EXPECT_EQ(back->lowversion, 4);

  const Payload shortText = encodeBrowserInfo({0, 0, 0, u"IE"});
  ASSERT_EQ(shortText.size(), kBrowserInfoBytes);
  EXPECT_EQ(decodeBrowserInfo(shortText.data(), shortText.size())->exploreInfo, u"IE");
}

TEST(Payloads, NotifyTextIsCutAtTheLengthField) {
  const Payload p = encodeSdkNotify({NOTIFY_PAY, std::u16string(70000, u'a')});
  ASSERT_EQ(p.size(), 6u + 2 * 65535);
  EXPECT_EQ(p[2], 0xFF);
  EXPECT_EQ(p[3], 0xFF);
  auto back = decodeSdkNotify(p.data(), p.size());
  ASSERT_TRUE(back);
  EXPECT_EQ(back->text.size(), 65535u);
}

// Every decoder: a null pointer and every length below its layout are ignored.
// Each payload is copied into a buffer of exactly the tested length so that
// AddressSanitizer catches any read past cbData.
TEST(Payloads, DecodersRejectShortAndNullPayloads) {
  struct Case {
    const char* what;
    Payload full;
    size_t layout;
    std::function<bool(const void*, size_t)> decodes;
  };
  const Case cases[] = {
      {"progress", encodeLaunchProgress({1, 1}), 2,
       [](const void* d, size_t n) { return decodeLaunchProgress(d, n).has_value(); }},
      {"speed", encodeDownloadSpeed({1, 2, 3}), 12,
       [](const void* d, size_t n) { return decodeDownloadSpeed(d, n).has_value(); }},
      {"unzip", encodeUnzipProgress({1, 2}), 8,
       [](const void* d, size_t n) { return decodeUnzipProgress(d, n).has_value(); }},
      {"relaunch", encodeGameRelaunch({1}), 1,
       [](const void* d, size_t n) { return decodeGameRelaunch(d, n).has_value(); }},
      {"client info", encodeGameClientInfo({1, 2, 0}), 12,
       [](const void* d, size_t n) { return decodeGameClientInfo(d, n).has_value(); }},
      {"sdk call", encodeGameSdkCall({1, u"p"}), 4,
       [](const void* d, size_t n) { return decodeGameSdkCall(d, n).has_value(); }},
      {"main size", encodeGameMainSize({1, 2, 3}), 12,
       [](const void* d, size_t n) { return decodeGameMainSize(d, n).has_value(); }},
      {"notify", encodeSdkNotify({NOTIFY_LOGIN, u"abc 2"}), 16,
       [](const void* d, size_t n) { return decodeSdkNotify(d, n).has_value(); }},
      {"quit", encodeQuitGame(), 1,
       [](const void* d, size_t n) { return decodeQuitGame(d, n).has_value(); }},
      {"show", encodeShowGame({1}), 1,
       [](const void* d, size_t n) { return decodeShowGame(d, n).has_value(); }},
      {"resize", encodeResizeGame({1, 2}), 8,
       [](const void* d, size_t n) { return decodeResizeGame(d, n).has_value(); }},
      {"chat", encodeChatButton({1}), 4,
       [](const void* d, size_t n) { return decodeChatButton(d, n).has_value(); }},
      {"browser", encodeBrowserInfo({1, 2, 3, u"x"}), 284,
       [](const void* d, size_t n) { return decodeBrowserInfo(d, n).has_value(); }},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(c.decodes(nullptr, c.layout)) << c.what;
    for (size_t len = 0; len < c.layout; ++len) {
      std::vector<uint8_t> exact(c.full.begin(), c.full.begin() + len);
      EXPECT_FALSE(c.decodes(exact.empty() ? reinterpret_cast<const uint8_t*>("") : exact.data(), len))
          << c.what << " len " << len;
    }
    std::vector<uint8_t> exact(c.full.begin(), c.full.begin() + c.layout);
    EXPECT_TRUE(c.decodes(exact.data(), c.layout)) << c.what;
  }
  EXPECT_FALSE(decodeLaunchMsgInfo(nullptr, 4));
}

TEST(Payloads, DecodedValues) {
  const Bytes progress = {4, 8};
  auto p = decodeLaunchProgress(progress.data(), progress.size());
  ASSERT_TRUE(p);
  EXPECT_EQ(p->progress, PHASE_DOWNLOAD);
  EXPECT_EQ(p->status, kDownloadEighths);

  const Payload info = encodeGameClientInfo({0xFFFFFFFE, 4242, 0});
  auto i = decodeGameClientInfo(info.data(), info.size());
  ASSERT_TRUE(i);
  EXPECT_EQ(fromWire32(i->hGameWnd), static_cast<uintptr_t>(-2));  // sign-extended back
  EXPECT_EQ(i->processId, 4242u);

  const Payload speed = encodeDownloadSpeed({100, 200, 300});
  auto s = decodeDownloadSpeed(speed.data(), speed.size());
  ASSERT_TRUE(s);
  EXPECT_EQ(s->totalBytes, 300u);
}

// Every decoder against bytes written out by hand, with a different value in
// every byte of every field, so a swapped field, a wrong offset or a wrong
// width reads a wrong number.
TEST(Payloads, DecodeFromExactBytes) {
  const Bytes progress = {0x05, 0x03};
  const auto p = decodeLaunchProgress(progress.data(), progress.size());
  ASSERT_TRUE(p);
  EXPECT_EQ(p->progress, 5u);
  EXPECT_EQ(p->status, 3u);

  const Bytes speed = {0x11, 0x12, 0x13, 0x14, 0x21, 0x22, 0x23, 0x24, 0x31, 0x32, 0x33, 0x84};
  const auto s = decodeDownloadSpeed(speed.data(), speed.size());
  ASSERT_TRUE(s);
  EXPECT_EQ(s->downloadSpeed, 0x14131211u);
  EXPECT_EQ(s->curBytesRead, 0x24232221u);
  EXPECT_EQ(s->totalBytes, 0x84333231u);

  const Bytes unzip = {0x41, 0x42, 0x43, 0x04, 0x51, 0x52, 0x53, 0x05};
  const auto u = decodeUnzipProgress(unzip.data(), unzip.size());
  ASSERT_TRUE(u);
  EXPECT_EQ(u->curFiles, 0x04434241u);
  EXPECT_EQ(u->totalFiles, 0x05535251u);

  const Bytes relaunch = {0xC7};
  const auto r = decodeGameRelaunch(relaunch.data(), relaunch.size());
  ASSERT_TRUE(r);
  EXPECT_EQ(r->switchMode, 0xC7u);

  const Bytes info = {0x61, 0x62, 0x63, 0x64, 0x71, 0x72, 0x73, 0x04, 0xFE, 0xFF, 0xFF, 0xFF};
  const auto i = decodeGameClientInfo(info.data(), info.size());
  ASSERT_TRUE(i);
  EXPECT_EQ(i->hGameWnd, 0x64636261u);
  EXPECT_EQ(i->processId, 0x04737271u);
  EXPECT_EQ(i->startStatus, -2);

  // funcID is 16 bits; the two bytes after it are not read.
  const Bytes call = {0x06, 0x00, 0xAA, 0xBB, 'x', 0, 0x2D, 0x4E, 0, 0};
  const auto c = decodeGameSdkCall(call.data(), call.size());
  ASSERT_TRUE(c);
  EXPECT_EQ(c->funcID, 6u);
  EXPECT_EQ(c->param, u"x\u4E2D");

  const Bytes size = {0x81, 0x82, 0x83, 0x08, 0x91, 0x92, 0x93, 0x09, 0xA1, 0xA2, 0xA3, 0x0A};
  const auto m = decodeGameMainSize(size.data(), size.size());
  ASSERT_TRUE(m);
  EXPECT_EQ(m->mainWidth, 0x08838281);
  EXPECT_EQ(m->mainHeight, 0x09939291);
  EXPECT_EQ(m->customSize, 0x0AA3A2A1);

  // The length field, not the terminator, bounds the text.
  const Bytes notify = {0x02, 0x00, 0x02, 0x00, 'a', 0, 'b', 0, 0, 0};
  const auto n = decodeSdkNotify(notify.data(), notify.size());
  ASSERT_TRUE(n);
  EXPECT_EQ(n->kind, 2u);
  EXPECT_EQ(n->text, u"ab");

  const Bytes show = {0x01};
  const auto sh = decodeShowGame(show.data(), show.size());
  ASSERT_TRUE(sh);
  EXPECT_EQ(sh->show, 1u);

  const Bytes resize = {0xB1, 0xB2, 0xB3, 0x0B, 0xC1, 0xC2, 0xC3, 0xFC};
  const auto rs = decodeResizeGame(resize.data(), resize.size());
  ASSERT_TRUE(rs);
  EXPECT_EQ(rs->width, 0x0BB3B2B1);
  EXPECT_EQ(rs->height, static_cast<int32_t>(0xFCC3C2C1u));

  const Bytes chat = {0xD1, 0xD2, 0xD3, 0x0D};
  const auto ch = decodeChatButton(chat.data(), chat.size());
  ASSERT_TRUE(ch);
  EXPECT_EQ(ch->value, 0x0DD3D2D1);

  Bytes browser(284, 0);
  const uint8_t head[28] = {0x01, 0x02, 0x03, 0x04, 0x11, 0x12, 0x13, 0x14, 0x21, 0x22,
                            0x23, 0x24, 1,    0,    0,    0,    19,   0,    0,    0,
                            0,    0,    0,    0,    1,    0,    0,    0};
  std::copy(std::begin(head), std::end(head), browser.begin());
  browser[28] = 'C';
  browser[30] = 'h';
  const auto b = decodeBrowserInfo(browser.data(), browser.size());
  ASSERT_TRUE(b);
  EXPECT_EQ(b->hversion, 0x04030201);
  EXPECT_EQ(b->midversion, 0x14131211);
  EXPECT_EQ(b->lowversion, 0x24232221);
  EXPECT_EQ(b->exploreInfo, u"Ch");

  const Bytes quit = {0x01};
  EXPECT_EQ(decodeQuitGame(quit.data(), quit.size()), std::optional<uint8_t>(1));

  const Bytes msg = {'o', 0, 'k', 0, 0, 0, 'x', 0};
  EXPECT_EQ(decodeLaunchMsgInfo(msg.data(), msg.size()), std::optional<std::u16string>(u"ok"));
}

TEST(Payloads, TextsEndAtTerminatorOrAtCbData) {
  // No terminator: the text stops at cbData (an odd last byte is not a unit).
  const Bytes noZero = {2, 0, 0, 0, 'a', 0, 'b', 0, 'c'};
  std::vector<uint8_t> exact(noZero);
  auto call = decodeGameSdkCall(exact.data(), exact.size());
  ASSERT_TRUE(call);
  EXPECT_EQ(call->funcID, 2);
  EXPECT_EQ(call->param, u"ab");
  // An early terminator ends the text.
  const Bytes early = {'x', 0, 0, 0, 'y', 0};
  EXPECT_EQ(*decodeLaunchMsgInfo(early.data(), early.size()), u"x");
  const Bytes one = {'z'};
  EXPECT_EQ(*decodeLaunchMsgInfo(one.data(), one.size()), u"");
  // A notice whose length field claims more than the payload holds is ignored.
  Payload lying = encodeSdkNotify({NOTIFY_LOGOUT, u"abc"});
  lying[2] = 50;
  EXPECT_FALSE(decodeSdkNotify(lying.data(), lying.size()));
  // The length field rules over an embedded zero's position only up to the zero.
  const Bytes zeroInside = {3, 0, 3, 0, 'a', 0, 0, 0, 'c', 0, 0, 0};
  EXPECT_EQ(decodeSdkNotify(zeroInside.data(), zeroInside.size())->text, u"a");
}

TEST(CopyDataTable, IdentifiersDispatchAndSendParameters) {
  for (const CopyDataInfo& info : kCopyDataTable) {
    EXPECT_EQ(findCopyData(info.id), &info);
    // Of what the plug-in receives, only the relaunch request is queued.
    if (info.to == Party::kPlugin) EXPECT_EQ(isImmediate(info.id), info.id != CD_GAME_RELAUNCH) << info.name;
  }
  EXPECT_EQ(findCopyData(0x9999), nullptr);
  EXPECT_STREQ(copyDataName(CD_BROWSER_INFO), "CD_BROWSER_INFO");
  EXPECT_STREQ(copyDataName(0x9999), "unknown");

  auto launcher = sendParamsFor(CD_DOWNLOAD_SPEED);
  ASSERT_TRUE(launcher);
  EXPECT_FALSE(launcher->wParamIsSenderWindow);
  EXPECT_EQ(launcher->flags, 0u);
  EXPECT_EQ(launcher->timeoutMs, 0u);
  auto quit = sendParamsFor(CD_QUIT_GAME);
  ASSERT_TRUE(quit);
  EXPECT_FALSE(quit->wParamIsSenderWindow);
  EXPECT_EQ(quit->flags, 0x0008u);
  EXPECT_EQ(quit->timeoutMs, 100u);
  for (uint32_t id : {CD_SDK_NOTIFY, CD_SHOW_GAME, CD_RESIZE_GAME, CD_CHAT_BUTTON, CD_BROWSER_INFO}) {
    auto p = sendParamsFor(id);
    ASSERT_TRUE(p);
    EXPECT_TRUE(p->wParamIsSenderWindow) << copyDataName(id);
    EXPECT_EQ(p->timeoutMs, 100u);
  }
  EXPECT_FALSE(sendParamsFor(CD_GAME_CLIENT_INFO));
}

TEST(Wire, HandlesTravelAs32BitValues) {
  EXPECT_EQ(toWire32(static_cast<uintptr_t>(0x12345678)), 0x12345678u);
  EXPECT_EQ(fromWire32(0x12345678u), static_cast<uintptr_t>(0x12345678));
  EXPECT_EQ(fromWire32(toWire32(static_cast<uintptr_t>(-2))), static_cast<uintptr_t>(-2));
  EXPECT_EQ(u16ToWide(wideToU16(L"a\x4E2D")), L"a\x4E2D");
}

}  // namespace
}  // namespace kx
