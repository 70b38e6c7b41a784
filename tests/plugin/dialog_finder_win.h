#ifndef KX_TESTS_PLUGIN_DIALOG_FINDER_WIN_H_
#define KX_TESTS_PLUGIN_DIALOG_FINDER_WIN_H_

// Finds the message boxes and dialogs another process shows, reads them and
// presses their buttons, as a user would.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace kx::testing {

struct FoundDialog {
  HWND window = nullptr;
  std::wstring caption;
  std::vector<std::wstring> texts;    // static controls, in child order
  std::vector<std::wstring> buttons;  // button texts, in child order
};

// A visible dialog-class (#32770) top-level window of |processId| with
// |caption|; polls until |timeoutMs| passed.
std::optional<FoundDialog> waitForDialog(DWORD processId, const std::wstring& caption,
                                         DWORD timeoutMs = 15000);
// Any visible dialog of |processId|, for checking that none is up.
std::optional<FoundDialog> anyDialog(DWORD processId);
// BM_CLICK on the button with |id|; false when there is none.
bool pressButton(HWND dialog, int id);
// Waits until |dialog| is gone.
bool waitGone(HWND dialog, DWORD timeoutMs = 15000);

}  // namespace kx::testing

#endif  // KX_TESTS_PLUGIN_DIALOG_FINDER_WIN_H_
