#include "launcher/report/confirmed_retry.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/fake_clock.h"
#include "tests/support/scripted_message_boxes.h"

namespace kx::launcher {
namespace {

TEST(ConfirmedRetry, AttemptsBoxesAndPauses) {
  struct Case {
    const char* name;
    std::vector<bool> results;  // of successive attempts
    std::vector<int> answers;
    bool want;
    int wantAttempts;
    size_t wantBoxes;
    size_t wantPauses;
  };
  const Case cases[] = {
      {"first succeeds", {true}, {}, true, 1, 0, 0},
      {"third succeeds", {false, false, true}, {kIdOk, kIdOk}, true, 3, 2, 2},
      // The third failure still asks, and OK still pauses, but nothing follows.
      {"three failures, OK each time", {false, false, false, true}, {kIdOk, kIdOk, kIdOk}, false,
       3, 3, 3},
      {"cancel at first box", {false, true}, {kIdCancel}, false, 1, 1, 0},
      {"cancel at third box", {false, false, false}, {kIdOk, kIdOk, kIdCancel}, false, 3, 3, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedMessageBoxes boxes(c.answers);
    FakeClock clock;
    int attempts = 0;
    const bool ok = runConfirmedRetry(
        [&] { return c.results[static_cast<size_t>(attempts++)]; },
        {L"again?", L"caption"}, boxes, clock);
    EXPECT_EQ(ok, c.want);
    EXPECT_EQ(attempts, c.wantAttempts);
    EXPECT_EQ(clock.sleeps(), std::vector<uint32_t>(c.wantPauses, 500u));
    ASSERT_EQ(boxes.requests().size(), c.wantBoxes);
    for (const auto& r : boxes.requests()) {
      EXPECT_EQ(r.owner, 0u);
      EXPECT_EQ(r.text, L"again?");
      EXPECT_EQ(r.caption, L"caption");
      EXPECT_EQ(r.style, 1u);  // MB_OKCANCEL
    }
  }
}

}  // namespace
}  // namespace kx::launcher
