#ifndef KX_COMMON_UI_WIN_MESSAGE_BOX_H_
#define KX_COMMON_UI_WIN_MESSAGE_BOX_H_

#include "common/ui/message_box.h"

namespace kx {

// Shows real boxes with MessageBoxW.
class WinMessageBoxes : public MessageBoxPresenter {
 public:
  int show(uintptr_t owner, const std::wstring& text, const std::wstring& caption,
           uint32_t style) override;
};

}  // namespace kx

#endif  // KX_COMMON_UI_WIN_MESSAGE_BOX_H_
