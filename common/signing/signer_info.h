#ifndef KX_COMMON_SIGNING_SIGNER_INFO_H_
#define KX_COMMON_SIGNING_SIGNER_INFO_H_

// Authenticode check of an executable and the details of who signed it.

#include <windows.h>

namespace kx {

// Strings are owned by the record (process heap) until freeSignerInfo().
struct SignerInfo {
  DWORD trustStatus;
  wchar_t* subjectName;
  wchar_t* subjectEmail;
  wchar_t* subjectUrl;
  wchar_t* issuerName;
  wchar_t* issuerFriendlyName;
  wchar_t* programName;
  wchar_t* publisherLink;
  wchar_t* moreInfoLink;
  wchar_t* serialNumber;
  bool hasTimestamp;
  SYSTEMTIME signingTime;
};

// True when the file's embedded signature verifies; with |info|, also when its
// details could be opened. A "\??\" prefix is ignored.
bool verifyFileSignature(const wchar_t* path, SignerInfo* info);

// Releases every string of |info| and nulls it; safe to call twice.
void freeSignerInfo(SignerInfo* info);

}  // namespace kx

#endif  // KX_COMMON_SIGNING_SIGNER_INFO_H_
