// kx_test_browser: hosts an NPAPI plug-in the way a browser does and plays
// the page for a driver on stdin/stdout. The line protocol is in PROTOCOL.md.
//
//   kx_test_browser PLUGIN.dll [--np-version N] [--page-urls]
//   kx_test_browser --mime TYPE [--np-version N] [--page-urls]   (the plug-in registered for TYPE)
#include <windows.h>

#include <cstdio>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/base/text_convert_win.h"
#include "tools/test_browser/line_protocol.h"
#include "tools/test_browser/npn_host.h"
#include "tools/test_browser/plugin_module_win.h"
#include "tools/test_browser/plugin_registry_win.h"

namespace kx::browser {
namespace {

constexpr UINT kLinesArrived = WM_APP + 1;
constexpr UINT_PTR kWaitTimer = 1;
constexpr wchar_t kTopClass[] = L"KXTestBrowserTop";
constexpr wchar_t kChildClass[] = L"KXTestBrowserPluginArea";
// Every other instance gets windows of a second class with a procedure of its
// own, so a plug-in that puts back the wrong procedure is seen.
constexpr wchar_t kChildClassB[] = L"KXTestBrowserPluginAreaB";
constexpr char kMime[] = "application/kxnpgameplugin";

struct Instance {
  std::string name;
  NPP_t npp{};
  std::vector<HWND> windows;                      // every window handed over
  std::vector<std::unique_ptr<NPWindow>> npWindows;  // kept: the plug-in holds the pointer
  WNDPROC originalProc = nullptr;
  NPObject* object = nullptr;
  int browserRefs = 0;
  bool destroyed = false;
  int serial = 0;
};

class Browser {
 public:
  Browser(uint16_t npVersion, bool pageUrls)
      : npVersion_(npVersion), start_(GetTickCount()), pageUrls_(pageUrls) {}

  // |announce|: says which file it loads (a plug-in found through the registry).
  int run(const std::wstring& pluginPath, bool announce);
  void onLinesArrived() { drain(); }
  void onWaitOver() {
    KillTimer(top_, kWaitTimer);
    waiting_ = false;
    emit({"waited"});
    drain();
  }
  void pushLine(std::string line) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      incoming_.push_back(std::move(line));
    }
    PostMessageW(top_, kLinesArrived, 0, 0);
  }

 private:
  void emit(std::vector<std::string> fields) {
    fields.insert(fields.begin() + 1, std::to_string(GetTickCount() - start_));
    const std::string line = joinFields(fields) + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line.data(), static_cast<DWORD>(line.size()),
              &written, nullptr);
  }
  void drain();
  void execute(const std::vector<std::string>& f);
  Instance* find(const std::string& name, const std::string& command);
  HWND newChildWindow(bool second);
  NPError onGetURL(NPP npp, const char* url, const char* target);
  void destroy(Instance& in);
  void quit();

  NpnHost host_;
  PluginModule module_;
  NPPluginFuncs funcs_{};
  NPNetscapeFuncs table_{};
  uint16_t npVersion_;
  DWORD start_;
  HWND top_ = nullptr;
  std::map<std::string, std::unique_ptr<Instance>> instances_;
  std::map<std::string, std::deque<std::vector<std::string>>> answers_;
  std::mutex mutex_;
  std::deque<std::string> incoming_;
  bool waiting_ = false;
  bool quitting_ = false;
  NPError getUrlResult_ = NPERR_NO_ERROR;
  bool pageUrls_ = false;  // also print each page call's URL as sent
};

Browser* g_browser = nullptr;

LRESULT CALLBACK childProcB(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK topProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (g_browser && message == kLinesArrived) {
    g_browser->onLinesArrived();
    return 0;
  }
  if (g_browser && message == WM_TIMER && wParam == kWaitTimer) {
    g_browser->onWaitOver();
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void readStdin(Browser* browser) {
  HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
  std::string pending;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(in, buffer, sizeof buffer, &got, nullptr) && got > 0) {
    pending.append(buffer, got);
    size_t end;
    while ((end = pending.find('\n')) != std::string::npos) {
      std::string line = pending.substr(0, end);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      pending.erase(0, end + 1);
      if (!line.empty()) browser->pushLine(std::move(line));
    }
  }
  browser->pushLine("quit");
}

std::string hex(const void* p) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "0x%llx",
                static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(p)));
  return buffer;
}

int Browser::run(const std::wstring& pluginPath, bool announce) {
  g_browser = this;
  host_.setMisuseListener([this](const Misuse& m) { emit({"misuse", m.kind, m.detail}); });
  host_.setGetUrlListener(
      [this](NPP npp, const char* url, const char* target) { return onGetURL(npp, url, target); });

  WNDCLASSW top{};
  top.lpfnWndProc = &topProc;
  top.hInstance = GetModuleHandleW(nullptr);
  top.lpszClassName = kTopClass;
  RegisterClassW(&top);
  WNDCLASSW child{};
  child.lpfnWndProc = &DefWindowProcW;
  child.hInstance = GetModuleHandleW(nullptr);
  child.lpszClassName = kChildClass;
  RegisterClassW(&child);
  child.lpfnWndProc = &childProcB;
  child.lpszClassName = kChildClassB;
  RegisterClassW(&child);
  top_ = CreateWindowExW(0, kTopClass, L"KX test browser", WS_OVERLAPPEDWINDOW, 0, 0, 1280, 900,
                         nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!top_) {
    emit({"error", "start", "no window"});
    return 3;
  }
  if (announce) {
    std::string path;
    emit({"found", wideToUtf8(pluginPath, path)});
  }
  if (!module_.load(pluginPath)) {
    emit({"error", "load", "plug-in not loaded or exports missing"});
    return 3;
  }
  funcs_.size = sizeof(funcs_);
  const NPError entryPoints = module_.getEntryPoints(&funcs_);
  table_ = host_.table(npVersion_);
  const NPError initialized = module_.initialize(&table_);
  emit({"loaded", std::to_string(entryPoints), std::to_string(initialized),
        std::to_string(funcs_.version), std::to_string(GetCurrentProcessId()),
        std::to_string(static_cast<int32_t>(reinterpret_cast<intptr_t>(top_)))});

  std::thread(readStdin, this).detach();
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  // The reader thread may still block on stdin; the process ends with us.
  ExitProcess(0);
}

void Browser::drain() {
  for (;;) {
    if (waiting_ || quitting_) return;
    std::string line;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (incoming_.empty()) return;
      line = std::move(incoming_.front());
      incoming_.pop_front();
    }
    execute(splitFields(line));
  }
}

Instance* Browser::find(const std::string& name, const std::string& command) {
  const auto it = instances_.find(name);
  if (it == instances_.end()) {
    emit({"error", command, "no instance " + name});
    return nullptr;
  }
  return it->second.get();
}

HWND Browser::newChildWindow(bool second) {
  return CreateWindowExW(0, second ? kChildClassB : kChildClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 960, 640, top_,
                         nullptr, GetModuleHandleW(nullptr), nullptr);
}

NPError Browser::onGetURL(NPP npp, const char* url, const char* target) {
  std::string name = "?";
  for (const auto& [key, in] : instances_)
    if (&in->npp == npp) name = key;
  const std::string tgt = target ? target : "(null)";
  const std::optional<PageCall> call = decodePageCall(url);
  if (!call) {
    emit({"url", name, tgt, url});
    return getUrlResult_;
  }
  // A real page engine evaluates the URL itself (the page bridge does).
  if (pageUrls_) emit({"pageurl", name, tgt, url});
  std::vector<std::string> fields{"page", name, tgt, call->function};
  fields.insert(fields.end(), call->args.begin(), call->args.end());
  emit(fields);
  // A page reacts inside the call, as real page script does.
  auto answers = answers_.find(call->function);
  if (answers != answers_.end() && !answers->second.empty()) {
    const std::vector<std::string> script = answers->second.front();
    answers->second.pop_front();
    execute(script);
  }
  return getUrlResult_;
}

void Browser::destroy(Instance& in) {
  NPSavedData* saved = nullptr;
  const NPError result = funcs_.destroy(&in.npp, &saved);
  in.destroyed = true;
  emit({"destroy", in.name, std::to_string(result)});
}

void Browser::quit() {
  quitting_ = true;
  for (auto& [name, in] : instances_)
    if (!in->destroyed) destroy(*in);
  // Like a page being torn down: the script's references go last.
  for (auto& [name, in] : instances_)
    for (; in->browserRefs > 0; --in->browserRefs) host_.release(in->object);
  const NPError shutdown = module_.shutdown();
  host_.reportLeaks();
  emit({"bye", std::to_string(shutdown), std::to_string(host_.liveObjects()),
        std::to_string(host_.liveBlocks())});
  PostQuitMessage(0);
}

void Browser::execute(const std::vector<std::string>& f) {
  const std::string& cmd = f[0];
  auto need = [&](size_t n) {
    if (f.size() >= n) return true;
    emit({"error", cmd, "missing fields"});
    return false;
  };
  if (cmd == "new") {
    if (!need(2)) return;
    if (instances_.count(f[1])) return emit({"error", cmd, "instance exists " + f[1]});
    auto in = std::make_unique<Instance>();
    in->name = f[1];
    in->serial = static_cast<int>(instances_.size());
    Instance& ref = *in;
    instances_[f[1]] = std::move(in);
    std::string mime = f.size() > 2 ? f[2] : kMime;
    const NPError result =
        funcs_.newp(&mime[0], &ref.npp, NP_EMBED, 0, nullptr, nullptr, nullptr);
    emit({"new", ref.name, std::to_string(result)});
  } else if (cmd == "window") {
    if (!need(2)) return;
    Instance* in = find(f[1], cmd);
    if (!in) return;
    const std::string kind = f.size() > 2 ? f[2] : "real";
    auto npWindow = std::make_unique<NPWindow>();
    *npWindow = NPWindow{};
    npWindow->type = NPWindowTypeWindow;
    npWindow->width = 960;
    npWindow->height = 640;
    HWND hwnd = nullptr;
    if (kind == "real" && !in->windows.empty()) {
      hwnd = in->windows.front();
    } else if (kind == "real" || kind == "other") {
      hwnd = newChildWindow(in->serial % 2 == 1);
      if (in->windows.empty())
        in->originalProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
      in->windows.push_back(hwnd);
    }
    npWindow->window = hwnd;
    NPWindow* given = kind == "none" ? nullptr : npWindow.get();
    in->npWindows.push_back(std::move(npWindow));
    const NPError result = funcs_.setwindow(&in->npp, given);
    emit({"window", in->name, std::to_string(result),
          std::to_string(static_cast<int32_t>(reinterpret_cast<intptr_t>(hwnd)))});
  } else if (cmd == "makewindow") {
    if (!need(2)) return;
    Instance* in = find(f[1], cmd);
    if (!in) return;
    if (!in->windows.empty()) return emit({"error", cmd, "window exists"});
    HWND hwnd = newChildWindow(in->serial % 2 == 1);
    in->originalProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
    in->windows.push_back(hwnd);
    emit({"makewindow", in->name,
          std::to_string(static_cast<int32_t>(reinterpret_cast<intptr_t>(hwnd)))});
  } else if (cmd == "object") {
    if (!need(2)) return;
    Instance* in = find(f[1], cmd);
    if (!in) return;
    NPObject* object = nullptr;
    const NPError result = funcs_.getvalue(&in->npp, NPPVpluginScriptableNPObject, &object);
    if (object) {
      if (in->object && in->object != object) emit({"error", cmd, "a different object"});
      in->object = object;
      ++in->browserRefs;
    }
    emit({"object", in->name, std::to_string(result), hex(object),
          object && host_.isLive(object) ? std::to_string(object->referenceCount) : "0"});
  } else if (cmd == "getvalue") {
    if (!need(3)) return;
    Instance* in = find(f[1], cmd);
    const std::optional<int64_t> variable = parseNumber(f[2]);
    if (!in || !variable) return;
    void* value = reinterpret_cast<void*>(static_cast<uintptr_t>(0x5A5A5A5A));
    const NPError result =
        funcs_.getvalue(&in->npp, static_cast<NPPVariable>(*variable), &value);
    const bool untouched = value == reinterpret_cast<void*>(static_cast<uintptr_t>(0x5A5A5A5A));
    emit({"getvalue", in->name, std::to_string(result), untouched ? "untouched" : "written"});
  } else if (cmd == "invoke" || cmd == "get" || cmd == "hasmethod" || cmd == "hasproperty") {
    if (!need(3)) return;
    Instance* in = find(f[1], cmd);
    if (!in) return;
    if (!in->object) return emit({"error", cmd, "no object for " + f[1]});
    if (cmd == "hasmethod" || cmd == "hasproperty") {
      const bool has = cmd == "hasmethod" ? host_.hasMethod(in->object, f[2])
                                          : host_.hasProperty(in->object, f[2]);
      return emit({cmd, in->name, f[2], has ? "true" : "false"});
    }
    std::vector<Value> values;
    for (size_t i = 3; i < f.size(); ++i) {
      const std::optional<Value> v = parseValue(f[i]);
      if (!v) return emit({"error", cmd, "bad value " + f[i]});
      values.push_back(*v);
    }
    std::vector<NPVariant> args;
    for (const Value& v : values) args.push_back(toVariant(v));
    NPVariant result;
    const bool ok = cmd == "invoke"
                        ? host_.invoke(in->object, f[2], args.data(),
                                       static_cast<uint32_t>(args.size()), &result)
                        : host_.getProperty(in->object, f[2], &result);
    emit({cmd, in->name, f[2], ok ? "true" : "false", formatVariant(result)});
    host_.releaseVariantValue(&result);
  } else if (cmd == "release") {
    if (!need(2)) return;
    Instance* in = find(f[1], cmd);
    if (!in) return;
    if (in->browserRefs == 0) return emit({"error", cmd, "no reference held"});
    NPObject* object = in->object;
    --in->browserRefs;
    host_.release(object);
    const bool live = host_.isLive(object);
    emit({"release", in->name, live ? "live" : "freed",
          live ? std::to_string(object->referenceCount) : "0"});
  } else if (cmd == "destroy") {
    if (!need(2)) return;
    Instance* in = find(f[1], cmd);
    if (!in) return;
    if (in->destroyed) return emit({"error", cmd, "already destroyed"});
    destroy(*in);
  } else if (cmd == "send" || cmd == "copydata") {
    if (!need(cmd == "send" ? 5 : 4)) return;
    Instance* in = find(f[1], cmd);
    if (!in) return;
    if (in->windows.empty()) return emit({"error", cmd, "no window"});
    const size_t which = f.size() > (cmd == "send" ? 5u : 4u)
                             ? static_cast<size_t>(parseNumber(f.back()).value_or(0))
                             : 0;
    if (which >= in->windows.size()) return emit({"error", cmd, "no such window"});
    HWND target = in->windows[which];
    LRESULT result = 0;
    if (cmd == "send") {
      const auto msg = parseNumber(f[2]), wp = parseNumber(f[3]), lp = parseNumber(f[4]);
      if (!msg || !wp || !lp) return emit({"error", cmd, "bad number"});
      result = SendMessageW(target, static_cast<UINT>(*msg), static_cast<WPARAM>(*wp),
                            static_cast<LPARAM>(*lp));
    } else {
      const auto id = parseNumber(f[2]);
      std::string bytes;
      const std::string& hexText = f[3] == "-" ? std::string() : f[3];
      for (size_t i = 0; i + 1 < hexText.size(); i += 2) {
        const auto b = parseNumber("0x" + hexText.substr(i, 2));
        if (!b) return emit({"error", cmd, "bad payload"});
        bytes += static_cast<char>(*b);
      }
      if (!id) return emit({"error", cmd, "bad id"});
      COPYDATASTRUCT data{static_cast<ULONG_PTR>(*id), static_cast<DWORD>(bytes.size()),
                          bytes.empty() ? nullptr : &bytes[0]};
      result = SendMessageW(target, WM_COPYDATA, reinterpret_cast<WPARAM>(top_),
                            reinterpret_cast<LPARAM>(&data));
    }
    emit({cmd, in->name, std::to_string(static_cast<long long>(result))});
  } else if (cmd == "wndproc") {
    if (!need(2)) return;
    Instance* in = find(f[1], cmd);
    if (!in || in->windows.empty()) return;
    const auto proc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(in->windows[0], GWLP_WNDPROC));
    emit({"wndproc", in->name, proc == in->originalProc ? "original" : "replaced"});
  } else if (cmd == "answer") {
    if (!need(3)) return;
    answers_[f[1]].emplace_back(f.begin() + 2, f.end());
    emit({"answer", f[1]});
  } else if (cmd == "geturl-result") {
    if (!need(2)) return;
    getUrlResult_ = static_cast<NPError>(parseNumber(f[1]).value_or(0));
    emit({"geturl-result", std::to_string(getUrlResult_)});
  } else if (cmd == "sync") {
    emit({"sync", f.size() > 1 ? f[1] : ""});
  } else if (cmd == "wait") {
    if (!need(2)) return;
    waiting_ = true;
    SetTimer(top_, kWaitTimer, static_cast<UINT>(parseNumber(f[1]).value_or(0)), nullptr);
  } else if (cmd == "quit") {
    quit();
  } else {
    emit({"error", cmd, "unknown command"});
  }
}

}  // namespace
}  // namespace kx::browser

int wmain(int argc, wchar_t** argv) {
  if (argc < 2 || (std::wstring(argv[1]) == L"--mime" && argc < 3)) {
    std::fprintf(stderr,
                 "usage: kx_test_browser PLUGIN.dll|--mime TYPE [--np-version N] [--page-urls]\n");
    return 2;
  }
  const bool byMime = std::wstring(argv[1]) == L"--mime";
  const int firstOption = byMime ? 3 : 2;
  uint16_t version = 27;
  bool pageUrls = false;
  for (int i = firstOption; i < argc; ++i)
    if (std::wstring(argv[i]) == L"--page-urls") pageUrls = true;
  for (int i = firstOption; i + 1 < argc; ++i)
    if (std::wstring(argv[i]) == L"--np-version") {
      std::string text;
      kx::wideToUtf8(argv[i + 1], text);
      version = static_cast<uint16_t>(kx::browser::parseNumber(text).value_or(27));
    }
  std::wstring path = argv[1];
  if (byMime) {
    path = kx::browser::findRegisteredPlugin(HKEY_LOCAL_MACHINE, argv[2]);
    if (path.empty()) {
      std::fputs("error\t0\tfind\tno plug-in registered for the type\n", stdout);
      return 3;
    }
  }
  kx::browser::Browser browser(version, pageUrls);
  return browser.run(path, byMime);
}
