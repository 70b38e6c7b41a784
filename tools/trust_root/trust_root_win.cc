// trust_root <cert.der>: adds a DER certificate to the current user's Root
// store, without UI. Used to trust the throwaway test root inside Wine.

#include <windows.h>
#include <wincrypt.h>

#include <stdio.h>

#include <vector>

#include "common/base/scoped_handle.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    fwprintf(stderr, L"usage: trust_root <cert.der>\n");
    return 2;
  }
  kx::ScopedFileHandle file(::CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
  if (!file.valid()) return 1;
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 || size.QuadPart > 65536) return 1;
  std::vector<BYTE> der(static_cast<size_t>(size.QuadPart));
  DWORD got = 0;
  if (!::ReadFile(file.get(), der.data(), static_cast<DWORD>(der.size()), &got, nullptr) ||
      got != der.size())
    return 1;
  HCERTSTORE root = ::CertOpenSystemStoreW(0, L"ROOT");
  if (!root) return 1;
  BOOL ok = ::CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING, der.data(), got,
                                               CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
  ::CertCloseStore(root, 0);
  return ok ? 0 : 1;
}
