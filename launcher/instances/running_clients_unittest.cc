#include "launcher/instances/running_clients.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/fake_clock.h"

namespace kx::launcher {
namespace {

TEST(IsPathUnderTest, Table) {
  struct Case {
    const wchar_t* path;
    const wchar_t* dir;
    bool under;
  } cases[] = {
      {L"C:\\Corvane\\KxWeb\\Kx\\sub\\tool.exe", L"C:\\Corvane\\KxWeb\\Kx", true},
      {L"C:\\Corvane\\KxWeb\\Kx\\kxmain.exe", L"C:\\Corvane\\KxWeb\\Kx\\", true},
      {L"C:\\Corvane\\KxWeb\\KxDownload\\tool.exe", L"C:\\Corvane\\KxWeb\\Kx", false},
      {L"c:/corvane/kxweb/kx/KXMAIN.EXE", L"C:\\Corvane\\KxWeb\\Kx", true},
      {L"C:\\Corvane\\KxWeb\\Kx\\kxmain.exe", L"c:/corvane/kxweb/KX/", true},
      {L"C:\\Corvane\\KxWeb\\Kx\\kxmain.exe", L"C:\\Corvane\\KxWeb\\Kx\\\\", true},
      {L"C:\\Corvane\\KxWeb\\KxDownload\\a.exe", L"C:\\Corvane\\KxWeb\\Kx\\\\", false},
      {L"C:\\Corvane\\KxWeb\\Kx", L"C:\\Corvane\\KxWeb\\Kx", false},
      {L"D:\\Corvane\\KxWeb\\Kx\\kxmain.exe", L"C:\\Corvane\\KxWeb\\Kx", false},
      {L"C:\\Other\\kxmain.exe", L"C:\\Corvane\\KxWeb\\Kx", false},
      // Only A-Z fold: a non-ASCII letter must match exactly.
      {L"C:\\\u00C4\\x.exe", L"C:\\\u00E4", false},
      {L"C:\\\u00C4\\x.exe", L"c:\\\u00C4", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.path << " under " << c.dir);
    EXPECT_EQ(isPathUnder(c.path, c.dir), c.under);
  }
}

TEST(WaitForOtherClientsTest, ScansAndWaits) {
  struct Case {
    int scansFindingClients;  // -1: always
    bool result;
    int sleeps;
  } cases[] = {
      {0, true, 0}, {3, true, 3}, {10, true, 10}, {11, false, 10}, {-1, false, 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scansFindingClients);
    int scans = 0;
    FakeClock clock;
    const bool result = waitForOtherClients(
        [&] {
          ++scans;
          return c.scansFindingClients < 0 || scans <= c.scansFindingClients;
        },
        clock);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(clock.sleeps(), std::vector<uint32_t>(static_cast<size_t>(c.sleeps), 1000u));
    EXPECT_EQ(scans, c.sleeps + 1);
  }
}

}  // namespace
}  // namespace kx::launcher
