#include "common/signing/timestamp_token.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "common/signing/der_reader.h"

namespace kx {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes lengthBytes(size_t n) {
  if (n < 0x80) return {static_cast<uint8_t>(n)};
  Bytes out;
  for (size_t v = n; v; v >>= 8) out.insert(out.begin(), static_cast<uint8_t>(v));
  out.insert(out.begin(), static_cast<uint8_t>(0x80 | out.size()));
  return out;
}

Bytes cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

Bytes tlv(uint8_t tag, const Bytes& body) {
  return cat({{tag}, lengthBytes(body.size()), body});
}

Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }
Bytes filler(size_t n, uint8_t b) { return Bytes(n, b); }

const Bytes kSignedData = {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x07, 0x02};
const Bytes kData = {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x07, 0x01};
const Bytes kTstInfo = {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x09, 0x10, 0x01, 0x04};
const Bytes kSha256 = {0x60, 0x86, 0x48, 0x01, 0x65, 0x03, 0x04, 0x02, 0x01};
const Bytes kPolicy = {0x2B, 0x06, 0x01, 0x04, 0x01, 0x82, 0x37, 0x03, 0x02, 0x01};

Bytes algorithm() { return tlv(0x30, cat({tlv(0x06, kSha256), {0x05, 0x00}})); }

// TSTInfo with |genTime| as the raw element (tag, length and text).
Bytes tstInfoWith(const Bytes& genTime, uint8_t version = 1) {
  return tlv(0x30, cat({tlv(0x02, {version}), tlv(0x06, kPolicy),
                        tlv(0x30, cat({algorithm(), tlv(0x04, filler(32, 0xAB))})),
                        tlv(0x02, {0x01, 0x02, 0x03, 0x04}), genTime,
                        tlv(0x02, {0x7F, 0x11, 0x22, 0x33})}));  // nonce
}

Bytes tstInfo(const std::string& time) { return tstInfoWith(tlv(0x18, text(time))); }

// eContent as the raw [0] element around the TSTInfo octets.
Bytes tokenWith(const Bytes& outerType, const Bytes& contentType, const Bytes& eContent) {
  // Certificates and signer infos are large enough to need long-form lengths.
  Bytes signedData =
      tlv(0x30, cat({tlv(0x02, {0x03}), tlv(0x31, algorithm()),
                     tlv(0x30, cat({tlv(0x06, contentType), eContent})),
                     tlv(0xA0, tlv(0x30, filler(300, 0x5A))),
                     tlv(0x31, tlv(0x30, filler(200, 0x33)))}));
  return tlv(0x30, cat({tlv(0x06, outerType), tlv(0xA0, signedData)}));
}

Bytes token(const Bytes& tst, const Bytes& contentType = kTstInfo) {
  return tokenWith(kSignedData, contentType, tlv(0xA0, tlv(0x04, tst)));
}

// Copies into an allocation of exactly |size| so that ASan reports any over-read.
bool readExactCopy(const Bytes& bytes, size_t size, UtcTime* out) {
  auto copy = std::make_unique<uint8_t[]>(size ? size : 1);
  std::copy(bytes.begin(), bytes.begin() + size, copy.get());
  return readTimestampTokenTime(copy.get(), size, out);
}

Bytes valid() { return token(tstInfo("20261210081500Z")); }

struct Case {
  const char* name;
  Bytes token;
  bool ok;
  UtcTime want;
};

std::vector<Case> cases() {
  Bytes tst = tstInfo("20261210081500Z");
  Bytes goodTime = tlv(0x18, text("20261210081500Z"));
  // genTime claims 0x30 bytes, more than its TSTInfo holds (the token's
  // later bytes would make up the difference if the bound were not kept).
  Bytes overlong = tstInfoWith(cat({{0x18, 0x30}, text("20261210081500Z")}));
  // Indefinite length on the eContent wrapper, with its end-of-contents octets.
  Bytes indefinite = cat({{0xA0, 0x80}, tlv(0x04, tst), {0x00, 0x00}});
  // Non-minimal long form for the OCTET STRING length.
  Bytes longForm = cat({{0x04, 0x81, static_cast<uint8_t>(tst.size())}, tst});
  Bytes trailing = valid();
  trailing.push_back(0x00);
  Bytes outerIndefinite = valid();
  outerIndefinite[1] = 0x80;
  return {
      {"valid", valid(), true, {2026, 12, 10, 8, 15, 0, 0}},
      {"fraction", token(tstInfo("20261210081500.123Z")), true, {2026, 12, 10, 8, 15, 0, 123}},
      {"one fraction digit", token(tstInfo("20261210081500.5Z")), true, {2026, 12, 10, 8, 15, 0, 500}},
      {"long fraction", token(tstInfo("20261210081500.987654Z")), true, {2026, 12, 10, 8, 15, 0, 987}},
      {"leap day", token(tstInfo("20240229235959Z")), true, {2024, 2, 29, 23, 59, 59, 0}},
      {"end of year", token(tstInfo("19991231000000Z")), true, {1999, 12, 31, 0, 0, 0, 0}},
      {"eContentType id-data", token(tst, kData), false, {}},
      {"outer type id-data", tokenWith(kData, kTstInfo, tlv(0xA0, tlv(0x04, tst))), false, {}},
      {"TSTInfo version 2", token(tstInfoWith(goodTime, 2)), false, {}},
      {"genTime as UTCTime", token(tstInfoWith(tlv(0x17, text("261210081500Z")))), false, {}},
      {"length beyond parent", token(overlong), false, {}},
      {"indefinite eContent", tokenWith(kSignedData, kTstInfo, indefinite), false, {}},
      {"indefinite outer", outerIndefinite, false, {}},
      {"non-minimal length", tokenWith(kSignedData, kTstInfo, tlv(0xA0, longForm)), false, {}},
      {"trailing byte", trailing, false, {}},
      {"trailing byte after TSTInfo", token(cat({tst, {0x05, 0x00}})), false, {}},
      {"month 13", token(tstInfo("20261310081500Z")), false, {}},
      {"month 0", token(tstInfo("20260010081500Z")), false, {}},
      {"day 0", token(tstInfo("20261200081500Z")), false, {}},
      {"April 31", token(tstInfo("20260431081500Z")), false, {}},
      {"February 29 off leap year", token(tstInfo("21000229081500Z")), false, {}},
      {"hour 24", token(tstInfo("20261210241500Z")), false, {}},
      {"minute 60", token(tstInfo("20261210086000Z")), false, {}},
      {"second 60", token(tstInfo("20261210081560Z")), false, {}},
      {"no Z", token(tstInfo("20261210081500")), false, {}},
      {"offset", token(tstInfo("20261210081500+0100")), false, {}},
      {"no seconds", token(tstInfo("202612100815Z")), false, {}},
      {"empty fraction", token(tstInfo("20261210081500.Z")), false, {}},
      {"comma fraction", token(tstInfo("20261210081500,5Z")), false, {}},
      {"letter in fraction", token(tstInfo("20261210081500.1aZ")), false, {}},
      {"sign in year", token(tstInfo("+0261210081500Z")), false, {}},
      {"empty", {}, false, {}},
  };
}

TEST(TimestampTokenTest, Table) {
  for (const Case& c : cases()) {
    SCOPED_TRACE(c.name);
    UtcTime got;
    got.year = -1;
    ASSERT_EQ(c.ok, readExactCopy(c.token, c.token.size(), &got));
    if (!c.ok) {
      EXPECT_EQ(-1, got.year) << "left untouched on failure";
      continue;
    }
    EXPECT_EQ(c.want.year, got.year);
    EXPECT_EQ(c.want.month, got.month);
    EXPECT_EQ(c.want.day, got.day);
    EXPECT_EQ(c.want.hour, got.hour);
    EXPECT_EQ(c.want.minute, got.minute);
    EXPECT_EQ(c.want.second, got.second);
    EXPECT_EQ(c.want.milliseconds, got.milliseconds);
  }
}

TEST(TimestampTokenTest, EveryTruncationIsRejected) {
  for (const Bytes& whole : {valid(), token(tstInfo("20261210081500.123Z"))}) {
    ASSERT_GT(whole.size(), 600u);  // long-form lengths are on the way
    for (size_t n = 0; n < whole.size(); ++n) {
      UtcTime got;
      EXPECT_FALSE(readExactCopy(whole, n, &got)) << "length " << n;
    }
    UtcTime got;
    EXPECT_TRUE(readExactCopy(whole, whole.size(), &got));
  }
}

TEST(TimestampTokenTest, NullArguments) {
  Bytes t = valid();
  UtcTime got;
  EXPECT_FALSE(readTimestampTokenTime(nullptr, t.size(), &got));
  EXPECT_FALSE(readTimestampTokenTime(t.data(), t.size(), nullptr));
}

struct ElementCase {
  const char* name;
  Bytes bytes;
  bool ok;
  size_t contentSize;
};

TEST(DerReaderTest, Lengths) {
  Bytes big = cat({{0x04, 0x82, 0x01, 0x00}, filler(256, 0x11)});
  Bytes biggest = cat({{0x04, 0x81, 0x80}, filler(128, 0x11)});
  const ElementCase kCases[] = {
      {"short", {0x04, 0x02, 0xAA, 0xBB}, true, 2},
      {"empty contents", {0x05, 0x00}, true, 0},
      {"long form 256", big, true, 256},
      {"long form 128", biggest, true, 128},
      {"long form below 128", {0x04, 0x81, 0x01, 0xAA}, false, 0},
      {"leading zero length byte", cat({{0x04, 0x82, 0x00, 0x80}, filler(128, 0)}), false, 0},
      {"indefinite", {0x30, 0x80, 0x05, 0x00, 0x00, 0x00}, false, 0},
      {"five length bytes", {0x04, 0x85, 0x00, 0x00, 0x00, 0x00, 0x01, 0xAA}, false, 0},
      {"huge length", {0x04, 0x84, 0xFF, 0xFF, 0xFF, 0xFF, 0xAA}, false, 0},
      {"past the end", {0x04, 0x03, 0xAA, 0xBB}, false, 0},
      {"length bytes past the end", {0x04, 0x82, 0x01}, false, 0},
      {"multi-byte tag", {0x1F, 0x81, 0x01, 0x00}, false, 0},
      {"tag only", {0x04}, false, 0},
  };
  for (const ElementCase& c : kCases) {
    SCOPED_TRACE(c.name);
    auto copy = std::make_unique<uint8_t[]>(c.bytes.size());
    std::copy(c.bytes.begin(), c.bytes.end(), copy.get());
    DerReader r(copy.get(), c.bytes.size());
    uint8_t tag = 0;
    DerReader contents;
    ASSERT_EQ(c.ok, r.readAny(&tag, &contents));
    if (c.ok) {
      EXPECT_EQ(c.bytes[0], tag);
      EXPECT_EQ(c.contentSize, contents.size());
      EXPECT_EQ(copy.get() + c.bytes.size() - c.contentSize, contents.data());
      EXPECT_TRUE(r.empty());
    } else {
      EXPECT_EQ(c.bytes.size(), r.size()) << "nothing consumed";
    }
  }
}

TEST(DerReaderTest, ReadChecksTagAndExactContents) {
  const Bytes seq = {0x06, 0x02, 0x2A, 0x03, 0x02, 0x01, 0x05};
  DerReader r(seq.data(), seq.size());
  EXPECT_FALSE(r.read(0x02, nullptr));
  const uint8_t other[] = {0x2A, 0x04};
  EXPECT_FALSE(r.readExact(0x06, other, sizeof other));
  EXPECT_FALSE(r.readExact(0x06, other, 1));
  const uint8_t oid[] = {0x2A, 0x03};
  EXPECT_TRUE(r.readExact(0x06, oid, sizeof oid));
  DerReader n;
  ASSERT_TRUE(r.read(0x02, &n));
  ASSERT_EQ(1u, n.size());
  EXPECT_EQ(5, n.data()[0]);
  EXPECT_TRUE(r.empty());
  EXPECT_FALSE(r.read(0x02, nullptr));
  const Bytes broken = {0x05, 0x00, 0x04, 0x05, 0x00};
  DerReader b(broken.data(), broken.size());
  EXPECT_FALSE(b.skipAll());
}

}  // namespace
}  // namespace kx
