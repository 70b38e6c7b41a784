#include "common/signing/verified_file.h"

#include <wchar.h>

#include "common/signing/signer_info.h"

namespace kx {

const wchar_t kTrustedPublisher[] = L"Corvane Network Co. Ltd.";

namespace {

const wchar_t* withoutNtPrefix(const wchar_t* path) {
  if (path && _wcsnicmp(path, L"\\??\\", 4) == 0) return path + 4;
  return path;
}

}  // namespace

bool VerifiedFile::verify(const wchar_t* path) {
  lock_.reset();
  const wchar_t* plain = withoutNtPrefix(path);
  if (!plain || !*plain) return false;
  // Lock first: the bytes verified are then the bytes that get started.
  ScopedFileHandle lock(::CreateFileW(plain, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!lock.valid()) return false;
  SignerInfo info;
  bool ok = verifyFileSignature(path, &info);
  ok = ok && info.subjectName && wcscmp(info.subjectName, kTrustedPublisher) == 0;
  freeSignerInfo(&info);
  if (ok) lock_ = std::move(lock);
  return ok;
}

}  // namespace kx
