#ifndef KX_PLUGIN_HOST_SCRIPT_HOST_H_
#define KX_PLUGIN_HOST_SCRIPT_HOST_H_

// What the scriptable object asks of its instance. GamePlugin implements it;
// keeping it narrow lets the object's rules run without Windows.

#include <string>

namespace NPPlugin {

class ScriptHost {
 public:
  virtual ~ScriptHost() = default;
  // Texts are UTF-8 as the page passed them.
  virtual void onScriptMessage(const std::string& text) = 0;
  virtual void setParams(const std::string& text) = 0;
  virtual void updateWindow() = 0;
  // Every file the plug-in needs is in the system directory.
  virtual bool checkRequiredFiles() = 0;
};

}  // namespace NPPlugin

#endif  // KX_PLUGIN_HOST_SCRIPT_HOST_H_
