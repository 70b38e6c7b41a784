#ifndef KX_TESTS_SUPPORT_TEST_TREE_WIN_H_
#define KX_TESTS_SUPPORT_TEST_TREE_WIN_H_

// Small file trees for tests: each test gets its own temp folder.

#include <map>
#include <string>

namespace kx::test {

// Relative path (backslashes) -> bytes.
using FileTree = std::map<std::wstring, std::string>;

class TempTree {
 public:
  // A fresh folder under the temp folder, removed by the destructor.
  explicit TempTree(const std::wstring& tag);
  ~TempTree();
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  const std::wstring& root() const { return root_; }
  std::wstring path(const std::wstring& rel) const;
  bool write(const std::wstring& rel, const std::string& bytes) const;
  void writeAll(const FileTree& files) const;
  // Every file below the root, with its bytes.
  FileTree read() const;

 private:
  std::wstring root_;
};

}  // namespace kx::test

#endif  // KX_TESTS_SUPPORT_TEST_TREE_WIN_H_
