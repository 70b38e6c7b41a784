#ifndef KX_COMMON_UI_MESSAGE_BOX_H_
#define KX_COMMON_UI_MESSAGE_BOX_H_

// The one way product code shows a message box. The real presenter calls
// MessageBoxW; tests install a scripted one that records every request.

#include <cstdint>
#include <string>
#include <vector>

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

// Records requests and answers from a script (kIdOk once the script runs out).
class ScriptedMessageBoxes : public MessageBoxPresenter {
 public:
  struct Request {
    uintptr_t owner;
    std::wstring text;
    std::wstring caption;
    uint32_t style;
  };
  explicit ScriptedMessageBoxes(std::vector<int> answers = {}) : answers_(std::move(answers)) {}
  int show(uintptr_t owner, const std::wstring& text, const std::wstring& caption,
           uint32_t style) override {
    requests_.push_back({owner, text, caption, style});
    if (next_ < answers_.size()) return answers_[next_++];
    return kIdOk;
  }
  const std::vector<Request>& requests() const { return requests_; }

 private:
  std::vector<int> answers_;
  size_t next_ = 0;
  std::vector<Request> requests_;
};

}  // namespace kx

#endif  // KX_COMMON_UI_MESSAGE_BOX_H_
