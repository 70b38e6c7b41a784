#include "common/signing/timestamp_token.h"

#include "common/signing/der_reader.h"

namespace kx {

namespace {

// Encoded contents of the two object identifiers we require.
constexpr uint8_t kSignedDataOid[] = {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x07, 0x02};
constexpr uint8_t kTstInfoOid[] = {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D,
                                   0x01, 0x09, 0x10, 0x01, 0x04};

bool digits(const uint8_t* p, int n, int* value) {
  int v = 0;
  for (int i = 0; i < n; ++i) {
    if (p[i] < '0' || p[i] > '9') return false;
    v = v * 10 + (p[i] - '0');
  }
  *value = v;
  return true;
}

bool leapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int y, int m) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && leapYear(y) ? 29 : kDays[m - 1];
}

// "YYYYMMDDhhmmss[.f...]Z": the only form RFC 3161 allows for genTime.
bool parseGeneralizedTime(const DerReader& text, UtcTime* out) {
  const uint8_t* p = text.data();
  size_t n = text.size();
  if (n < 15 || p[n - 1] != 'Z') return false;
  UtcTime t;
  if (!digits(p, 4, &t.year) || !digits(p + 4, 2, &t.month) || !digits(p + 6, 2, &t.day) ||
      !digits(p + 8, 2, &t.hour) || !digits(p + 10, 2, &t.minute) ||
      !digits(p + 12, 2, &t.second))
    return false;
  size_t rest = n - 15;  // between the seconds and the 'Z'
  if (rest) {
    if (rest < 2 || p[14] != '.') return false;
    int scale = 100;
    for (size_t i = 15; i < n - 1; ++i) {
      int d;
      if (!digits(p + i, 1, &d)) return false;
      t.milliseconds += d * scale;
      scale /= 10;
    }
  }
  if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > daysInMonth(t.year, t.month) ||
      t.hour > 23 || t.minute > 59 || t.second > 59)
    return false;
  *out = t;
  return true;
}

// TSTInfo ::= SEQUENCE { version, policy, messageImprint, serialNumber, genTime, ... }
bool readTstInfo(DerReader in, UtcTime* out) {
  DerReader tst, version, genTime;
  if (!in.read(der::kSequence, &tst) || !in.empty()) return false;
  if (!tst.read(der::kInteger, &version) || version.size() != 1 || version.data()[0] != 1)
    return false;
  if (!tst.read(der::kOid, nullptr) || !tst.read(der::kSequence, nullptr) ||
      !tst.read(der::kInteger, nullptr) || !tst.read(der::kGeneralizedTime, &genTime) ||
      !tst.skipAll())
    return false;
  return parseGeneralizedTime(genTime, out);
}

}  // namespace

bool readTimestampTokenTime(const uint8_t* data, size_t size, UtcTime* out) {
  if (!data || !out) return false;
  DerReader token(data, size);
  DerReader contentInfo, explicitContent, signedData, encap, eContent, octets;
  if (!token.read(der::kSequence, &contentInfo) || !token.empty()) return false;
  if (!contentInfo.readExact(der::kOid, kSignedDataOid, sizeof kSignedDataOid) ||
      !contentInfo.read(der::kContextExplicit0, &explicitContent) || !contentInfo.empty())
    return false;
  if (!explicitContent.read(der::kSequence, &signedData) || !explicitContent.empty())
    return false;
  // SignedData ::= SEQUENCE { version, digestAlgorithms, encapContentInfo, ... }
  if (!signedData.read(der::kInteger, nullptr) || !signedData.read(der::kSet, nullptr) ||
      !signedData.read(der::kSequence, &encap) || !signedData.skipAll())
    return false;
  if (!encap.readExact(der::kOid, kTstInfoOid, sizeof kTstInfoOid) ||
      !encap.read(der::kContextExplicit0, &eContent) || !encap.empty())
    return false;
  if (!eContent.read(der::kOctetString, &octets) || !eContent.empty()) return false;
  return readTstInfo(octets, out);
}

}  // namespace kx
