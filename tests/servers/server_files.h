#ifndef KX_TESTS_SERVERS_SERVER_FILES_H_
#define KX_TESTS_SERVERS_SERVER_FILES_H_

// What Wine tests need of a test server's folder (named by an environment
// variable set by ctest): paths into it, its files, and its base URL.

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace kx::test {

// The Z: path of |relative| inside the folder named by |env|.
inline std::string serverPath(const char* env, const std::string& relative) {
  const char* dir = std::getenv(env);
  std::string p = std::string("Z:") + (dir ? dir : "") + "/" + relative;
  for (char& c : p) {
    if (c == '/') c = '\\';
  }
  return p;
}

// The whole file; empty when it cannot be read.
inline std::string readFileBytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

inline std::wstring serverUrl(const char* env) {
  const std::string port = readFileBytes(serverPath(env, "port"));
  return L"http://127.0.0.1:" + std::wstring(port.begin(), port.end());
}

}  // namespace kx::test

#endif  // KX_TESTS_SERVERS_SERVER_FILES_H_
