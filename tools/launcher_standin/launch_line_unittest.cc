#include "tools/launcher_standin/launch_line.h"

#include <gtest/gtest.h>

namespace kx::standin {
namespace {

struct Case {
  const wchar_t* arguments;
  const char* line;
};

TEST(LaunchLineTest, NamesTheModeAndEveryField) {
  const Case cases[] = {
      {L"__KX_LAUNCH_NORMAL__ 11 22 33 44 http://h/p LocalDir@D:\\g",
       "mode normal hOcxWnd=11 browserPid=22 width=33 height=44 url=http://h/p "
       "extParam=LocalDir@D:\\g"},
      {L"__KX_LAUNCH_NORMAL__ 11 22 33 44 http://h/p",
       "mode normal hOcxWnd=11 browserPid=22 width=33 height=44 url=http://h/p"},
      {L"__KX_SWITCH_LAUNCH__ -5 6 7 8 3 C:\\\x4E2D",
       "mode switch hOcxWnd=-5 browserPid=6 width=7 height=8 switchNumber=3 "
       "cacheRoot=C:\\\xE4\xB8\xAD"},
      {L"__KX_CLEAR_REPAIR__ 1 2 3 4 u e",
       "mode repair hOcxWnd=1 browserPid=2 width=3 height=4 url=u extParam=e"},
      {L"__KX_CLEAR_PATCH__ 1 2 3 4 u D:\\c",
       "mode clearpatch hOcxWnd=1 browserPid=2 width=3 height=4 url=u cacheRoot=D:\\c"},
      {L"__kx_launch_normal__ 1 2 3 4 u", "mode rejected"},
      {L"__KX_CLEAR_PATCH__ 1 2 3 4", "mode rejected"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(describeLaunchCommand(launcher::parseLaunchCommand(c.arguments)), c.line);
  }
}

}  // namespace
}  // namespace kx::standin
