#ifndef KX_TESTS_SUPPORT_SCOPED_ENV_WIN_H_
#define KX_TESTS_SUPPORT_SCOPED_ENV_WIN_H_

#include <windows.h>

#include <string>

namespace kx::test {

// Sets an environment variable of this process (inherited by what it starts)
// for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const wchar_t* name, const std::wstring& value) : name_(name) {
    SetEnvironmentVariableW(name, value.c_str());
  }
  ~ScopedEnv() { SetEnvironmentVariableW(name_, nullptr); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const wchar_t* name_;
};

}  // namespace kx::test

#endif  // KX_TESTS_SUPPORT_SCOPED_ENV_WIN_H_
