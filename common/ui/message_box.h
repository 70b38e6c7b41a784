#ifndef KX_COMMON_UI_MESSAGE_BOX_H_
#define KX_COMMON_UI_MESSAGE_BOX_H_

// The one way product code shows a message box. The real presenter calls
// MessageBoxW; tests install a scripted one (tests/support) that records
// every request.

#include <cstdint>
#include <string>

namespace kx {

// Style bits and answers, numerically the Win32 ones, so pure code can use them.
enum MessageBoxStyle : uint32_t {
  kMbOk = 0x0,
  kMbOkCancel = 0x1,
  kMbIconError = 0x10,
  kMbIconWarning = 0x30,
  kMbIconInformation = 0x40,
};
enum MessageBoxAnswer : int { kIdOk = 1, kIdCancel = 2 };

class MessageBoxPresenter {
 public:
  virtual ~MessageBoxPresenter() = default;
  // |owner| is a window handle (0 for none). Returns the pressed button's id.
  virtual int show(uintptr_t owner, const std::wstring& text, const std::wstring& caption,
                   uint32_t style) = 0;
};

}  // namespace kx

#endif  // KX_COMMON_UI_MESSAGE_BOX_H_
