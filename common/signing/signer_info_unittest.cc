#include "common/signing/signer_info.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <time.h>

#include <fstream>
#include <string>

#include "common/signing/verified_file.h"

namespace kx {
namespace {

// Files come from tests/signing/make-pki.sh (run as a fixture) in KX_PKI_DIR.
std::wstring pkiPath(const char* name) {
  const char* dir = getenv("KX_PKI_DIR");
  std::string s = std::string(dir ? dir : ".") + "\\" + name;
  return std::wstring(s.begin(), s.end());
}

std::string readText(const char* name) {
  std::ifstream in(std::string(getenv("KX_PKI_DIR") ? getenv("KX_PKI_DIR") : ".") + "\\" + name);
  std::string s;
  std::getline(in, s);
  return s;
}

std::wstring widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }

bool allStringsNull(const SignerInfo& i) {
  return !i.subjectName && !i.subjectEmail && !i.subjectUrl && !i.issuerName &&
         !i.issuerFriendlyName && !i.programName && !i.publisherLink && !i.moreInfoLink &&
         !i.serialNumber;
}

// Wine limits: WinVerifyTrust returns 0 for any intact signature even when the
// root is not trusted, and it never fetches revocation lists, so "untrusted
// root" and "revoked" cannot be shown here.
struct Case {
  const char* file;
  bool result;
  DWORD trustStatus;
  const wchar_t* subject;  // null: no details expected
  bool timestamp;
  bool accepted;           // by the shared caller check
};
const Case kCases[] = {
    {"corvane-ts.exe", true, 0, L"Corvane Network Co. Ltd.", true, true},
    {"corvane.exe", true, 0, L"Corvane Network Co. Ltd.", false, true},
    {"other.exe", true, 0, L"Other Games Ltd.", false, false},
    // The caller pattern is the exact, case-sensitive subject.
    {"lower.exe", true, 0, L"corvane network co. ltd.", false, false},
    {"nodot.exe", true, 0, L"Corvane Network Co. Ltd", false, false},
    {"longer.exe", true, 0, L"Corvane Network Co. Ltd. ", false, false},
    {"unsigned.exe", false, 0x800B0100, nullptr, false, false},
    {"tampered.exe", false, 0x80096010, nullptr, false, false},
};

TEST(SignerInfoTest, Table) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.file);
    std::wstring path = pkiPath(c.file);
    SignerInfo info;
    EXPECT_EQ(c.result, verifyFileSignature(path.c_str(), &info));
    EXPECT_EQ(c.trustStatus, info.trustStatus);
    EXPECT_EQ(c.timestamp, info.hasTimestamp);
    if (c.subject) {
      ASSERT_NE(nullptr, info.subjectName);
      EXPECT_STREQ(c.subject, info.subjectName);
      ASSERT_NE(nullptr, info.issuerName);
      EXPECT_STREQ(L"KX Test Root CA", info.issuerName);
      // osslsigncode writes the name as the ASCII choice of SpcString.
      ASSERT_NE(nullptr, info.programName);
      EXPECT_STREQ(L"KX Sample", info.programName);
      ASSERT_NE(nullptr, info.moreInfoLink);
      EXPECT_STREQ(L"https://corvane.example/info", info.moreInfoLink);
      ASSERT_NE(nullptr, info.serialNumber);
      if (c.accepted) {
        EXPECT_EQ(widen(readText("corvane.serial")), std::wstring(info.serialNumber));
      }
    } else {
      EXPECT_TRUE(allStringsNull(info));
    }
    freeSignerInfo(&info);
    EXPECT_TRUE(allStringsNull(info));
    freeSignerInfo(&info);  // twice is harmless
    EXPECT_EQ(c.result, verifyFileSignature(path.c_str(), nullptr));
    VerifiedFile checked;
    EXPECT_EQ(c.accepted, checked.verify(path.c_str()));
    EXPECT_EQ(c.accepted, checked.accepted());
  }
}

// osslsigncode writes an RFC 3161 token (1.3.6.1.4.1.311.3.3.1), not a
// 1.2.840.113549.1.9.6 counter-signature: the token's genTime is the stamp.
TEST(SignerInfoTest, TimestampIsTheSigningMomentInLocalTime) {
  SignerInfo info;
  std::wstring path = pkiPath("corvane-ts.exe");
  ASSERT_TRUE(verifyFileSignature(path.c_str(), &info));
  ASSERT_TRUE(info.hasTimestamp);
  time_t signedAt = static_cast<time_t>(atoll(readText("corvane-ts.time").c_str()));
  // Unix seconds -> FILETIME -> local SYSTEMTIME, as the module converts.
  ULARGE_INTEGER u;
  u.QuadPart = (static_cast<unsigned long long>(signedAt) + 11644473600ULL) * 10000000ULL;
  FILETIME utc{u.LowPart, u.HighPart}, local;
  ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
  FILETIME got;
  ASSERT_TRUE(SystemTimeToFileTime(&info.signingTime, &got));
  ULARGE_INTEGER a{{got.dwLowDateTime, got.dwHighDateTime}};
  ULARGE_INTEGER b{{local.dwLowDateTime, local.dwHighDateTime}};
  long long diff = static_cast<long long>(a.QuadPart) - static_cast<long long>(b.QuadPart);
  EXPECT_LT(llabs(diff), 60LL * 10000000LL);
  freeSignerInfo(&info);
}

// Both files carry 2026-12-11 00:00:00 UTC (08:00 in Shanghai): corvane-st.exe
// as its signed 1.2.840.113549.1.9.5 attribute and no time-stamp,
// corvane-cs.exe in a 1.2.840.113549.1.9.6 counter-signature, which is a
// time-stamp and wins over its own 9.5 attribute (the moment of signing).
TEST(SignerInfoTest, SigningTimeFromAttributeAndFromCounterSignature) {
  struct Case {
    const char* file;
    bool timestamp;
  };
  for (const Case& c : {Case{"corvane-st.exe", false}, Case{"corvane-cs.exe", true}}) {
    SCOPED_TRACE(c.file);
    SignerInfo info;
    std::wstring path = pkiPath(c.file);
    ASSERT_TRUE(verifyFileSignature(path.c_str(), &info));
    EXPECT_EQ(info.hasTimestamp, c.timestamp);
    const SYSTEMTIME& t = info.signingTime;
    EXPECT_EQ(t.wYear, 2026);
    EXPECT_EQ(t.wMonth, 12);
    EXPECT_EQ(t.wDay, 11);
    EXPECT_EQ(t.wHour, 8);
    EXPECT_EQ(t.wMinute, 0);
    EXPECT_EQ(t.wSecond, 0);
    EXPECT_EQ(t.wMilliseconds, 0);
    freeSignerInfo(&info);
  }
}

TEST(SignerInfoTest, NtPrefixAndEmptyPaths) {
  std::wstring plain = pkiPath("corvane.exe");
  std::wstring prefixed = L"\\??\\" + plain;
  std::wstring lower = L"\\??\\" + plain;
  SignerInfo info;
  EXPECT_TRUE(verifyFileSignature(prefixed.c_str(), &info));
  EXPECT_NE(nullptr, info.subjectName);
  freeSignerInfo(&info);
  EXPECT_FALSE(verifyFileSignature(L"", &info));
  EXPECT_FALSE(verifyFileSignature(L"\\??\\", &info));
  EXPECT_FALSE(verifyFileSignature(nullptr, &info));
  EXPECT_TRUE(allStringsNull(info));
  VerifiedFile checked;
  EXPECT_TRUE(checked.verify(prefixed.c_str()));
}

TEST(SignerInfoTest, AcceptedFileIsLockedUntilReleased) {
  std::wstring path = pkiPath("corvane.exe");
  VerifiedFile checked;
  ASSERT_TRUE(checked.verify(path.c_str()));
  HANDLE w = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(INVALID_HANDLE_VALUE, w);
  if (w != INVALID_HANDLE_VALUE) CloseHandle(w);
  EXPECT_FALSE(DeleteFileW(path.c_str()));
  // Reading (to start it) stays possible.
  HANDLE r = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  EXPECT_NE(INVALID_HANDLE_VALUE, r);
  if (r != INVALID_HANDLE_VALUE) CloseHandle(r);
  checked.release();
  w = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(INVALID_HANDLE_VALUE, w);
  if (w != INVALID_HANDLE_VALUE) CloseHandle(w);
}

}  // namespace
}  // namespace kx
