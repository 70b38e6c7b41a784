#ifndef KX_COMMON_BASE_SCOPED_HANDLE_H_
#define KX_COMMON_BASE_SCOPED_HANDLE_H_

// Owners for Win32 handles: closed exactly once, movable, never copied.

#include <windows.h>

#include <utility>

namespace kx {

template <typename Traits>
class ScopedGenericHandle {
 public:
  using Handle = typename Traits::Handle;
  ScopedGenericHandle() = default;
  explicit ScopedGenericHandle(Handle h) : h_(h) {}
  ~ScopedGenericHandle() { reset(); }
  ScopedGenericHandle(const ScopedGenericHandle&) = delete;
  ScopedGenericHandle& operator=(const ScopedGenericHandle&) = delete;
  ScopedGenericHandle(ScopedGenericHandle&& o) noexcept : h_(o.release()) {}
  ScopedGenericHandle& operator=(ScopedGenericHandle&& o) noexcept {
    if (this != &o) reset(o.release());
    return *this;
  }
  bool valid() const { return Traits::isValid(h_); }
  explicit operator bool() const { return valid(); }
  Handle get() const { return h_; }
  Handle release() { return std::exchange(h_, Traits::invalid()); }
  // Keeps the thread's last error, so a failure can be read after the
  // handles that led to it have been closed.
  void reset(Handle h = Traits::invalid()) {
    if (Traits::isValid(h_)) {
      const DWORD error = ::GetLastError();
      Traits::close(h_);
      ::SetLastError(error);
    }
    h_ = h;
  }

 private:
  Handle h_ = Traits::invalid();
};

// Process, thread, mutex, event: null means none.
struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle invalid() { return nullptr; }
  static bool isValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void close(Handle h) { ::CloseHandle(h); }
};
// Files and snapshots: INVALID_HANDLE_VALUE means none.
struct FileHandleTraits {
  using Handle = HANDLE;
  static Handle invalid() { return INVALID_HANDLE_VALUE; }
  static bool isValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void close(Handle h) { ::CloseHandle(h); }
};
struct FindHandleTraits {
  using Handle = HANDLE;
  static Handle invalid() { return INVALID_HANDLE_VALUE; }
  static bool isValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void close(Handle h) { ::FindClose(h); }
};

// Registry keys: null means none (predefined roots are never owned here).
struct RegKeyTraits {
  using Handle = HKEY;
  static Handle invalid() { return nullptr; }
  static bool isValid(Handle h) { return h != nullptr; }
  static void close(Handle h) { ::RegCloseKey(h); }
};

using ScopedHandle = ScopedGenericHandle<KernelHandleTraits>;
using ScopedFileHandle = ScopedGenericHandle<FileHandleTraits>;
using ScopedFindHandle = ScopedGenericHandle<FindHandleTraits>;
using ScopedRegKey = ScopedGenericHandle<RegKeyTraits>;

}  // namespace kx

#endif  // KX_COMMON_BASE_SCOPED_HANDLE_H_
