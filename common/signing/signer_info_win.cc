#include "common/signing/signer_info.h"

// clang-format off
#include <windows.h>
#include <wincrypt.h>
#include <softpub.h>
#include <wintrust.h>
// clang-format on

#include <stddef.h>
#include <stdint.h>
#include <string.h>
#include <wchar.h>

#include <string>

#include "common/signing/opus_info.h"
#include "common/signing/timestamp_token.h"

namespace kx {

namespace {

constexpr DWORD kEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;
constexpr char kOpusInfoOid[] = "1.3.6.1.4.1.311.2.1.12";
constexpr char kSigningTimeOid[] = "1.2.840.113549.1.9.5";
constexpr char kCounterSignOid[] = "1.2.840.113549.1.9.6";
// RFC 3161 time-stamp token, what current signing tools write instead of 9.6.
constexpr char kTimestampTokenOid[] = "1.3.6.1.4.1.311.3.3.1";

HANDLE heap() { return ::GetProcessHeap(); }
void heapFree(void* p) {
  if (p) ::HeapFree(heap(), 0, p);
}

// Heap buffer freed on scope exit.
class HeapBuffer {
 public:
  HeapBuffer() = default;
  ~HeapBuffer() { heapFree(p_); }
  HeapBuffer(const HeapBuffer&) = delete;
  HeapBuffer& operator=(const HeapBuffer&) = delete;
  bool allocate(DWORD size) {
    heapFree(p_);
    p_ = ::HeapAlloc(heap(), HEAP_ZERO_MEMORY, size ? size : 1);
    size_ = p_ ? size : 0;
    return p_ != nullptr;
  }
  void* get() const { return p_; }
  DWORD size() const { return size_; }

 private:
  void* p_ = nullptr;
  DWORD size_ = 0;
};

wchar_t* heapCopy(const wchar_t* s) {
  if (!s) return nullptr;
  size_t n = wcslen(s) + 1;
  auto* out = static_cast<wchar_t*>(::HeapAlloc(heap(), 0, n * sizeof(wchar_t)));
  if (out) memcpy(out, s, n * sizeof(wchar_t));
  return out;
}

// Decodes into |out|; the reported size bounds every later read.
bool decode(LPCSTR type, const BYTE* data, DWORD size, HeapBuffer* out) {
  DWORD needed = 0;
  if (!::CryptDecodeObject(kEncoding, type, data, size, 0, nullptr, &needed) || !needed)
    return false;
  if (!out->allocate(needed)) return false;
  DWORD got = needed;
  return ::CryptDecodeObject(kEncoding, type, data, size, 0, out->get(), &got) &&
         got <= needed;
}

const CRYPT_ATTRIBUTE* findAttribute(const CRYPT_ATTRIBUTES& attrs, const char* oid) {
  for (DWORD i = 0; i < attrs.cAttr; ++i) {
    if (attrs.rgAttr[i].pszObjId && strcmp(attrs.rgAttr[i].pszObjId, oid) == 0)
      return &attrs.rgAttr[i];
  }
  return nullptr;
}

bool toLocalTime(const CRYPT_ATTR_BLOB& value, SYSTEMTIME* out) {
  HeapBuffer buf;
  if (!decode(reinterpret_cast<LPCSTR>(PKCS_UTC_TIME), value.pbData, value.cbData, &buf) ||
      buf.size() < sizeof(FILETIME))
    return false;
  FILETIME utc, local;
  memcpy(&utc, buf.get(), sizeof utc);
  return ::FileTimeToLocalFileTime(&utc, &local) && ::FileTimeToSystemTime(&local, out);
}

wchar_t* linkText(const SPC_LINK* link) {
  if (!link) return nullptr;
  if (link->dwLinkChoice == SPC_URL_LINK_CHOICE) return heapCopy(link->pwszUrl);
  if (link->dwLinkChoice == SPC_FILE_LINK_CHOICE) return heapCopy(link->pwszFile);
  return nullptr;
}

void readProgramInfo(const CMSG_SIGNER_INFO& signer, SignerInfo* info) {
  const CRYPT_ATTRIBUTE* attr = findAttribute(signer.AuthAttrs, kOpusInfoOid);
  if (!attr || attr->cValue == 0) return;
  HeapBuffer buf;
  if (!decode(SPC_SP_OPUS_INFO_OBJID, attr->rgValue[0].pbData, attr->rgValue[0].cbData, &buf) ||
      buf.size() < sizeof(SPC_SP_OPUS_INFO))
    return;
  const auto* opus = static_cast<const SPC_SP_OPUS_INFO*>(buf.get());
  // Our own reading: the system decoder takes an ASCII name for UTF-16.
  std::u16string name;
  if (decodeOpusProgramName(attr->rgValue[0].pbData, attr->rgValue[0].cbData, name)) {
    const std::wstring wide(name.begin(), name.end());  // UTF-16 code units either way
    info->programName = heapCopy(wide.c_str());
  }
  info->publisherLink = linkText(opus->pPublisherInfo);
  info->moreInfoLink = linkText(opus->pMoreInfo);
}

wchar_t* certName(PCCERT_CONTEXT cert, DWORD type, DWORD flags) {
  DWORD len = ::CertGetNameStringW(cert, type, flags, nullptr, nullptr, 0);
  if (len == 0) return nullptr;
  auto* out =
      static_cast<wchar_t*>(::HeapAlloc(heap(), HEAP_ZERO_MEMORY, (len + 1) * sizeof(wchar_t)));
  if (!out) return nullptr;
  if (::CertGetNameStringW(cert, type, flags, nullptr, out, len + 1) == 0) {
    heapFree(out);
    return nullptr;
  }
  return out;
}

wchar_t* serialText(const CRYPT_INTEGER_BLOB& serial) {
  auto* out = static_cast<wchar_t*>(
      ::HeapAlloc(heap(), HEAP_ZERO_MEMORY, (serial.cbData * 2 + 1) * sizeof(wchar_t)));
  if (!out) return nullptr;
  static const wchar_t kHex[] = L"0123456789ABCDEF";
  // Stored little-endian: print most significant first.
  for (DWORD i = 0; i < serial.cbData; ++i) {
    BYTE b = serial.pbData[serial.cbData - 1 - i];
    out[2 * i] = kHex[b >> 4];
    out[2 * i + 1] = kHex[b & 0xF];
  }
  return out;
}

void readCertificate(HCERTSTORE store, const CMSG_SIGNER_INFO& signer, SignerInfo* info) {
  CERT_INFO wanted = {};
  wanted.Issuer = signer.Issuer;
  wanted.SerialNumber = signer.SerialNumber;
  PCCERT_CONTEXT cert = ::CertFindCertificateInStore(store, kEncoding, 0, CERT_FIND_SUBJECT_CERT,
                                                     &wanted, nullptr);
  if (!cert) return;
  info->serialNumber = serialText(cert->pCertInfo->SerialNumber);
  info->issuerFriendlyName = certName(cert, CERT_NAME_FRIENDLY_DISPLAY_TYPE, CERT_NAME_ISSUER_FLAG);
  info->issuerName = certName(cert, CERT_NAME_SIMPLE_DISPLAY_TYPE, CERT_NAME_ISSUER_FLAG);
  info->subjectName = certName(cert, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0);
  info->subjectUrl = certName(cert, CERT_NAME_URL_TYPE, 0);
  info->subjectEmail = certName(cert, CERT_NAME_EMAIL_TYPE, 0);
  ::CertFreeCertificateContext(cert);
}

void readSigningTime(const CMSG_SIGNER_INFO& signer, SignerInfo* info) {
  for (DWORD i = 0; i < signer.AuthAttrs.cAttr; ++i) {
    const CRYPT_ATTRIBUTE& a = signer.AuthAttrs.rgAttr[i];
    if (!a.pszObjId || strcmp(a.pszObjId, kSigningTimeOid) != 0 || a.cValue == 0) continue;
    if (!toLocalTime(a.rgValue[0], &info->signingTime)) info->signingTime = SYSTEMTIME{};
  }
}

void readCounterSignature(const CMSG_SIGNER_INFO& signer, SignerInfo* info) {
  const CRYPT_ATTRIBUTE* attr = findAttribute(signer.UnauthAttrs, kCounterSignOid);
  if (!attr || attr->cValue == 0) return;
  HeapBuffer buf;
  if (!decode(PKCS7_SIGNER_INFO, attr->rgValue[0].pbData, attr->rgValue[0].cbData, &buf) ||
      buf.size() < sizeof(CMSG_SIGNER_INFO))
    return;
  const auto* counter = static_cast<const CMSG_SIGNER_INFO*>(buf.get());
  for (DWORD i = 0; i < counter->AuthAttrs.cAttr; ++i) {
    const CRYPT_ATTRIBUTE& a = counter->AuthAttrs.rgAttr[i];
    if (!a.pszObjId || strcmp(a.pszObjId, kSigningTimeOid) != 0 || a.cValue == 0) continue;
    SYSTEMTIME t;
    if (toLocalTime(a.rgValue[0], &t)) {
      info->signingTime = t;
      info->hasTimestamp = true;
      return;
    }
  }
  info->signingTime = SYSTEMTIME{};
}

bool utcToLocalTime(const UtcTime& t, SYSTEMTIME* out) {
  SYSTEMTIME utc = {};
  utc.wYear = static_cast<WORD>(t.year);
  utc.wMonth = static_cast<WORD>(t.month);
  utc.wDay = static_cast<WORD>(t.day);
  utc.wHour = static_cast<WORD>(t.hour);
  utc.wMinute = static_cast<WORD>(t.minute);
  utc.wSecond = static_cast<WORD>(t.second);
  utc.wMilliseconds = static_cast<WORD>(t.milliseconds);
  FILETIME utcFile, localFile;
  return ::SystemTimeToFileTime(&utc, &utcFile) &&
         ::FileTimeToLocalFileTime(&utcFile, &localFile) &&
         ::FileTimeToSystemTime(&localFile, out);
}

// True when |blob| lies inside the |size| bytes at |base| that the message gave us.
bool blobWithin(const CRYPT_ATTR_BLOB& blob, const void* base, DWORD size) {
  uintptr_t begin = reinterpret_cast<uintptr_t>(base);
  uintptr_t p = reinterpret_cast<uintptr_t>(blob.pbData);
  return blob.pbData && p >= begin && blob.cbData <= size && p - begin <= size - blob.cbData;
}

// Only when no 9.6 counter-signature gave a time; a token that does not read
// leaves the signing time as it was.
void readTimestampToken(const CMSG_SIGNER_INFO& signer, const void* base, DWORD size,
                        SignerInfo* info) {
  if (info->hasTimestamp) return;
  const CRYPT_ATTRIBUTE* attr = findAttribute(signer.UnauthAttrs, kTimestampTokenOid);
  if (!attr || attr->cValue == 0 || !attr->rgValue) return;
  const CRYPT_ATTR_BLOB& value = attr->rgValue[0];
  if (!blobWithin(value, base, size)) return;
  UtcTime genTime;
  SYSTEMTIME local;
  if (!readTimestampTokenTime(value.pbData, value.cbData, &genTime) ||
      !utcToLocalTime(genTime, &local))
    return;
  info->signingTime = local;
  info->hasTimestamp = true;
}

// Layout sizes up to the members we fill, identical to the 32-bit sizes.
DWORD trustDataSize() {
  return static_cast<DWORD>(offsetof(WINTRUST_DATA, dwUIContext) + sizeof(DWORD));
}

bool verify(const wchar_t* path, SignerInfo* info) {
  WINTRUST_FILE_INFO file = {};
  file.cbStruct = sizeof(file);
  file.pcwszFilePath = path;
  WINTRUST_DATA data = {};
  data.cbStruct = trustDataSize();
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_WHOLECHAIN;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &file;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  LONG status = ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
  if (status != 0) {
    if (info) info->trustStatus = static_cast<DWORD>(status);
    return false;
  }
  if (!info) return true;

  HCERTSTORE store = nullptr;
  HCRYPTMSG msg = nullptr;
  if (!::CryptQueryObject(CERT_QUERY_OBJECT_FILE, path, CERT_QUERY_CONTENT_FLAG_PKCS7_SIGNED_EMBED,
                          CERT_QUERY_FORMAT_FLAG_BINARY, 0, nullptr, nullptr, nullptr, &store,
                          &msg, nullptr))
    return false;
  DWORD size = 0;
  HeapBuffer signerBuf;
  if (::CryptMsgGetParam(msg, CMSG_SIGNER_INFO_PARAM, 0, nullptr, &size) && size &&
      signerBuf.allocate(size) &&
      ::CryptMsgGetParam(msg, CMSG_SIGNER_INFO_PARAM, 0, signerBuf.get(), &size) &&
      size >= sizeof(CMSG_SIGNER_INFO)) {
    const auto& signer = *static_cast<const CMSG_SIGNER_INFO*>(signerBuf.get());
    readProgramInfo(signer, info);
    readCertificate(store, signer, info);
    readSigningTime(signer, info);
    readCounterSignature(signer, info);
    readTimestampToken(signer, signerBuf.get(), size, info);
  }
  if (store) ::CertCloseStore(store, 0);
  if (msg) ::CryptMsgClose(msg);
  return true;
}

}  // namespace

bool verifyFileSignature(const wchar_t* path, SignerInfo* info) {
  if (info) *info = SignerInfo{};
  if (!path || !*path) return false;
  if (_wcsnicmp(path, L"\\??\\", 4) == 0) path += 4;
  if (!*path) return false;
  wchar_t* copy = heapCopy(path);
  if (!copy) return false;
  bool ok = verify(copy, info);
  heapFree(copy);
  return ok;
}

void freeSignerInfo(SignerInfo* info) {
  if (!info) return;
  wchar_t** fields[] = {&info->subjectName,  &info->subjectEmail,       &info->subjectUrl,
                        &info->issuerName,   &info->issuerFriendlyName, &info->programName,
                        &info->publisherLink, &info->moreInfoLink,      &info->serialNumber};
  for (wchar_t** f : fields) {
    heapFree(*f);
    *f = nullptr;
  }
}

}  // namespace kx
