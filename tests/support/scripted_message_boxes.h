#ifndef KX_TESTS_SUPPORT_SCRIPTED_MESSAGE_BOXES_H_
#define KX_TESTS_SUPPORT_SCRIPTED_MESSAGE_BOXES_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "common/ui/message_box.h"

namespace kx {

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

#endif  // KX_TESTS_SUPPORT_SCRIPTED_MESSAGE_BOXES_H_
