#include "common/base/scoped_handle.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace kx {
namespace {

TEST(ScopedHandle, ResetKeepsTheLastError) {
  ScopedHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  ASSERT_TRUE(event.valid());
  SetLastError(ERROR_FILE_NOT_FOUND);
  event.reset();
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(event.valid());
}

TEST(ScopedHandle, ClosesOnceAndMoves) {
  HANDLE raw = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(raw, nullptr);
  {
    ScopedHandle a(raw);
    ScopedHandle b(std::move(a));
    EXPECT_FALSE(a.valid());
    EXPECT_EQ(b.get(), raw);
  }
  DWORD flags = 0;
  EXPECT_FALSE(GetHandleInformation(raw, &flags));  // closed when b went away
}

TEST(ScopedFileHandle, InvalidValueIsNone) {
  ScopedFileHandle f(CreateFileW(L"Z:\\no\\such\\file", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                 nullptr));
  EXPECT_FALSE(f.valid());
  EXPECT_EQ(f.get(), INVALID_HANDLE_VALUE);
}

}  // namespace
}  // namespace kx
