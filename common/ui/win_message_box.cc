#include "common/ui/win_message_box.h"

#include <windows.h>

namespace kx {

int WinMessageBoxes::show(uintptr_t owner, const std::wstring& text, const std::wstring& caption,
                          uint32_t style) {
  // An empty caption means the system's default one.
  return MessageBoxW(reinterpret_cast<HWND>(owner), text.c_str(),
                     caption.empty() ? nullptr : caption.c_str(), style);
}

}  // namespace kx
