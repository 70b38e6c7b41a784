#ifndef KX_COMMON_SIGNING_VERIFIED_FILE_H_
#define KX_COMMON_SIGNING_VERIFIED_FILE_H_

// The one acceptance rule both deliverables use before starting a program.

#include <windows.h>

#include "common/base/scoped_handle.h"

namespace kx {

// The subject both callers require, compared exactly.
extern const wchar_t kTrustedPublisher[];

// Holds the checked file open with FILE_SHARE_READ only, so it cannot be
// rewritten, renamed or deleted until the process has been created from it.
class VerifiedFile {
 public:
  VerifiedFile() = default;
  VerifiedFile(VerifiedFile&&) noexcept = default;
  VerifiedFile& operator=(VerifiedFile&&) noexcept = default;

  // Opens |path| (locking it), verifies its signature with a record and accepts
  // it only when the signer's subject is kTrustedPublisher. On refusal the
  // lock is dropped and false is returned.
  bool verify(const wchar_t* path);

  bool accepted() const { return lock_.valid(); }
  void release() { lock_.reset(); }

 private:
  ScopedFileHandle lock_;
};

}  // namespace kx

#endif  // KX_COMMON_SIGNING_VERIFIED_FILE_H_
