// NPKXGamePlugin.dll loaded into the test process: exports, resources, the
// two initialisation calls and the gate table, against the test browser's
// own NPN functions.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tests/plugin/browser_session_win.h"
#include "tools/test_browser/npn_host.h"
#include "tools/test_browser/plugin_module_win.h"

namespace kx::testing {
namespace {

using browser::NpnHost;
using browser::PluginModule;

class PluginDllTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = windowsPathFromEnv("KX_PLUGIN_DLL");
    ASSERT_TRUE(module_.load(path_));
  }
  // Entry points and a version-0.27 table, as a browser starts.
  void initialize() {
    funcs_.size = sizeof(funcs_);
    ASSERT_EQ(module_.getEntryPoints(&funcs_), 0);
    table_ = host_.table(27);
    ASSERT_EQ(module_.initialize(&table_), 0);
  }

  std::wstring path_;
  NpnHost host_;
  PluginModule module_;
  NPPluginFuncs funcs_{};
  NPNetscapeFuncs table_{};
};

TEST_F(PluginDllTest, VersionResourceReadsBackAsItsTable) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path_.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<char> data(size);
  ASSERT_TRUE(GetFileVersionInfoW(path_.c_str(), 0, size, data.data()));

  WORD* translation = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &length));
  ASSERT_EQ(length, 4u);
  EXPECT_EQ(translation[0], 0x0409);
  EXPECT_EQ(translation[1], 0x04E4);

  const struct {
    const wchar_t* key;
    const wchar_t* value;
  } strings[] = {
      {L"MIMEType", L"application/kxnpgameplugin"},
      {L"FileDescription", L"NPKXGamePlugin 1.19.0.0"},
      {L"ProductName", L"NPKXGamePlugin"},
      {L"InternalName", L"NPKXGamePlugin.dll"},
      {L"OriginalFilename", L"NPKXGamePlugin.dll"},
      {L"FileVersion", L"1.19.0.0"},
      {L"ProductVersion", L"1.19.0.0"},
      {L"CompanyName", L"Corvane"},
  };
  for (const auto& s : strings) {
    wchar_t* value = nullptr;
    const std::wstring query = std::wstring(L"\\StringFileInfo\\040904E4\\") + s.key;
    ASSERT_TRUE(VerQueryValueW(data.data(), query.c_str(), reinterpret_cast<void**>(&value),
                               &length))
        << s.key;
    EXPECT_STREQ(value, s.value) << s.key;
  }
  wchar_t* none = nullptr;
  EXPECT_FALSE(VerQueryValueW(data.data(), L"\\StringFileInfo\\040904E4\\FileExtents",
                              reinterpret_cast<void**>(&none), &length));

  VS_FIXEDFILEINFO* fixed = nullptr;
  ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010013u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010013u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0u);
}

// Reads an extended dialog template the way DialogBoxParamW does.
class TemplateReader {
 public:
  TemplateReader(const void* data, size_t size)
      : p_(static_cast<const unsigned char*>(data)), end_(p_ + size) {}
  uint16_t word() { return read<uint16_t>(); }
  uint32_t dword() { return read<uint32_t>(); }
  int16_t shortValue() { return read<int16_t>(); }
  uint8_t byte() { return read<uint8_t>(); }
  std::wstring text() {
    std::wstring out;
    for (wchar_t c; (c = static_cast<wchar_t>(word())) != 0 && ok_;) out += c;
    return out;
  }
  // A name or "#ordinal".
  std::wstring nameOrOrdinal() {
    const uint16_t first = word();
    if (first == 0xFFFF) return L"#" + std::to_wstring(word());
    if (first == 0) return L"";
    return static_cast<wchar_t>(first) + text();
  }
  void alignDword(const void* base) {
    const size_t offset = p_ - static_cast<const unsigned char*>(base);
    p_ += (4 - offset % 4) % 4;
  }
  bool ok() const { return ok_; }

 private:
  template <typename T>
  T read() {
    T value{};
    if (p_ + sizeof(T) > end_) {
      ok_ = false;
      return value;
    }
    std::memcpy(&value, p_, sizeof(T));
    p_ += sizeof(T);
    return value;
  }
  const unsigned char* p_;
  const unsigned char* end_;
  bool ok_ = true;
};

TEST_F(PluginDllTest, RepairDialogTemplateIsExactlyTheChoiceDialog) {
  HRSRC found = FindResourceExW(module_.module(), MAKEINTRESOURCEW(5), MAKEINTRESOURCEW(2002),
                                MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED));
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED), 2052);
  const void* data = LockResource(LoadResource(module_.module(), found));
  TemplateReader r(data, SizeofResource(module_.module(), found));
  EXPECT_EQ(r.word(), 1);       // dlgVer
  EXPECT_EQ(r.word(), 0xFFFF);  // extended
  EXPECT_EQ(r.dword(), 0u);     // help id
  EXPECT_EQ(r.dword(), 0u);     // extended style
  EXPECT_EQ(r.dword(), 0x90C808C8u);
  const uint16_t count = r.word();
  EXPECT_EQ(count, 6);
  EXPECT_EQ(r.shortValue(), 0);
  EXPECT_EQ(r.shortValue(), 0);
  EXPECT_EQ(r.shortValue(), 299);
  EXPECT_EQ(r.shortValue(), 134);
  EXPECT_EQ(r.nameOrOrdinal(), L"");  // no menu
  EXPECT_EQ(r.nameOrOrdinal(), L"");  // default class
  EXPECT_EQ(r.text(), L"\u300AVantorra\u300B\u624B\u6E38\u7F51\u9875\u7248");
  EXPECT_EQ(r.word(), 8);    // points
  EXPECT_EQ(r.word(), 400);  // weight
  EXPECT_EQ(r.byte(), 0);    // not italic
  EXPECT_EQ(r.byte(), 1);    // character set
  EXPECT_EQ(r.text(), L"MS Shell Dlg");

  const struct {
    uint32_t id;
    const wchar_t* cls;
    const wchar_t* text;
    uint32_t style;
    int16_t x, y, cx, cy;
  } controls[] = {
      {1, L"#128", L"\u6E05\u9664\u8865\u4E01", 0x50010001, 24, 97, 50, 14},
      {6, L"#128", L"\u91CD\u88C5\u6E38\u620F", 0x50010000, 121, 97, 50, 14},
      {2, L"#128", L"\u53D6\u6D88", 0x50010000, 213, 97, 50, 14},
      {0xFFFFFFFF, L"#130",
       L"1\u3001\u6E05\u9664\u8865\u4E01\u3002\u5C06\u53EA\u6E05\u9664\u8865\u4E01\u6587\u4EF6"
       L"\u5E76\u81EA\u52A8\u91CD\u65B0\u4E0B\u8F7D\uFF0C\u4E0D\u5F71\u54CD\u5176\u4ED6\u6587"
       L"\u4EF6\uFF0C\u8017\u65F6\u8F83\u77ED\u3002",
       0x50020000, 7, 47, 285, 8},
      {0xFFFFFFFF, L"#130",
       L"2\u3001\u91CD\u88C5\u6E38\u620F\u3002\u5C06\u6E05\u9664\u672C\u5730\u5BA2\u6237\u7AEF"
       L"\u6240\u6709\u6587\u4EF6\u5E76\u81EA\u52A8\u91CD\u65B0\u4E0B\u8F7D\uFF0C\u8017\u65F6"
       L"\u8F83\u957F\u3002",
       0x50020000, 8, 70, 253, 8},
      {0xFFFFFFFF, L"#130",
       L"\u60A8\u53EF\u4EE5\u9009\u62E9\u4EE5\u4E0B2\u79CD\u6E38\u620F\u4FEE\u590D\u65B9\u5F0F"
       L"\uFF1A",
       0x50020000, 9, 19, 125, 8},
  };
  for (const auto& c : controls) {
    r.alignDword(data);
    EXPECT_EQ(r.dword(), 0u);  // help id
    EXPECT_EQ(r.dword(), 0u);  // extended style
    EXPECT_EQ(r.dword(), c.style) << c.id;
    EXPECT_EQ(r.shortValue(), c.x);
    EXPECT_EQ(r.shortValue(), c.y);
    EXPECT_EQ(r.shortValue(), c.cx);
    EXPECT_EQ(r.shortValue(), c.cy);
    EXPECT_EQ(r.dword(), c.id);
    EXPECT_EQ(r.nameOrOrdinal(), c.cls);
    EXPECT_EQ(r.nameOrOrdinal(), c.text);
    EXPECT_EQ(r.word(), 0);  // no creation data
  }
  EXPECT_TRUE(r.ok());
}

TEST_F(PluginDllTest, InitializeChecksTheTableAndTheMajorVersion) {
  EXPECT_EQ(module_.initialize(nullptr), 3);  // NPERR_INVALID_FUNCTABLE_ERROR
  EXPECT_EQ(module_.getEntryPoints(nullptr), 3);
  NPNetscapeFuncs table = host_.table(0x0100);
  EXPECT_EQ(module_.initialize(&table), 8);  // NPERR_INCOMPATIBLE_VERSION_ERROR
  table = host_.table(0x01FF);
  EXPECT_EQ(module_.initialize(&table), 8);
  table = host_.table(0x001B);
  EXPECT_EQ(module_.initialize(&table), 0);
  table = host_.table(0x00FF);  // minor versions of major 0 are all accepted
  EXPECT_EQ(module_.initialize(&table), 0);
  EXPECT_EQ(module_.shutdown(), 0);
}

TEST_F(PluginDllTest, GetEntryPointsWritesVersion27AndTheGatesOnly) {
  NPPluginFuncs funcs;
  std::memset(&funcs, 0xA5, sizeof(funcs));
  funcs.size = 0x1234;  // the browser's, not the plug-in's to change
  ASSERT_EQ(module_.getEntryPoints(&funcs), 0);
  EXPECT_EQ(funcs.size, 0x1234);
  EXPECT_EQ(funcs.version, 27);
  for (const void* entry :
       {reinterpret_cast<void*>(funcs.newp), reinterpret_cast<void*>(funcs.destroy),
        reinterpret_cast<void*>(funcs.setwindow), reinterpret_cast<void*>(funcs.newstream),
        reinterpret_cast<void*>(funcs.destroystream), reinterpret_cast<void*>(funcs.asfile),
        reinterpret_cast<void*>(funcs.writeready), reinterpret_cast<void*>(funcs.write),
        reinterpret_cast<void*>(funcs.print), reinterpret_cast<void*>(funcs.event),
        reinterpret_cast<void*>(funcs.urlnotify), reinterpret_cast<void*>(funcs.getvalue),
        reinterpret_cast<void*>(funcs.setvalue)}) {
    EXPECT_NE(entry, nullptr);
    HMODULE owner = nullptr;
    ASSERT_TRUE(GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                       GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                   static_cast<LPCWSTR>(entry), &owner));
    EXPECT_EQ(owner, module_.module());
  }
  EXPECT_EQ(funcs.javaClass, nullptr);
  const unsigned char* tail = reinterpret_cast<const unsigned char*>(&funcs) +
                              offsetof(NPPluginFuncs, gotfocus);
  for (size_t i = 0; i < sizeof(funcs) - offsetof(NPPluginFuncs, gotfocus); ++i)
    ASSERT_EQ(tail[i], 0xA5) << "byte " << i << " after setvalue";

  // A table that ends before getvalue gets nothing written past its end.
  std::memset(&funcs, 0xA5, sizeof(funcs));
  funcs.size = offsetof(NPPluginFuncs, getvalue);
  ASSERT_EQ(module_.getEntryPoints(&funcs), 0);
  EXPECT_NE(reinterpret_cast<uintptr_t>(funcs.urlnotify), 0xA5A5A5A5A5A5A5A5ull & UINTPTR_MAX);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(funcs.getvalue), 0xA5A5A5A5A5A5A5A5ull & UINTPTR_MAX);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(funcs.setvalue), 0xA5A5A5A5A5A5A5A5ull & UINTPTR_MAX);
}

TEST_F(PluginDllTest, EveryGateWithoutAnNppWithoutAnInstanceAndWithOne) {
  initialize();
  NPP_t none{};                 // pdata null: no instance
  NPP_t live{};
  ASSERT_EQ(funcs_.newp(nullptr, &live, NP_EMBED, 0, nullptr, nullptr, nullptr), 0);
  ASSERT_NE(live.pdata, nullptr);
  char buffer[4] = {};
  uint16_t streamType = 7;
  struct Row {
    const char* gate;
    std::function<int(NPP)> call;
    int nullNpp, noInstance, withInstance;
  };
  const int kNotApplicable = -999;
  const Row rows[] = {
      {"NPP_New", [&](NPP p) { return funcs_.newp(nullptr, p, NP_EMBED, 0, nullptr, nullptr, nullptr); },
       2, kNotApplicable, kNotApplicable},
      {"NPP_SetWindow(null NPWindow)", [&](NPP p) { return funcs_.setwindow(p, nullptr); }, 2, 1, 1},
      {"NPP_SetWindow(null window)",
       [&](NPP p) {
         NPWindow w{};
         return funcs_.setwindow(p, &w);
       },
       2, 1, 0},
      {"NPP_NewStream",
       [&](NPP p) { return funcs_.newstream(p, nullptr, nullptr, 0, &streamType); }, 2, 1, 0},
      {"NPP_DestroyStream", [&](NPP p) { return funcs_.destroystream(p, nullptr, 0); }, 2, 1, 0},
      {"NPP_StreamAsFile",
       [&](NPP p) {
         funcs_.asfile(p, nullptr, "x");
         return 0;
       },
       0, 0, 0},
      {"NPP_WriteReady", [&](NPP p) { return funcs_.writeready(p, nullptr); }, 0x0FFFFFFF,
       0x0FFFFFFF, 0x0FFFFFFF},
      {"NPP_Write", [&](NPP p) { return funcs_.write(p, nullptr, 5, 77, buffer); }, 77, 77, 77},
      {"NPP_Print",
       [&](NPP p) {
         funcs_.print(p, nullptr);
         return 0;
       },
       0, 0, 0},
      {"NPP_HandleEvent", [&](NPP p) { return funcs_.event(p, buffer); }, 0, 0, 0},
      {"NPP_URLNotify",
       [&](NPP p) {
         funcs_.urlnotify(p, "http://127.0.0.1/", 0, nullptr);
         return 0;
       },
       0, 0, 0},
      {"NPP_GetValue(name)",
       [&](NPP p) {
         void* value = buffer;
         const int r = funcs_.getvalue(p, NPPVpluginNameString, &value);
         EXPECT_EQ(value, buffer) << "written";
         return r;
       },
       2, 1, 0},
      {"NPP_SetValue", [&](NPP p) { return funcs_.setvalue(p, NPNVnetscapeWindow, nullptr); }, 2,
       1, 0},
      {"NPP_Destroy(null)", [&](NPP p) { return p ? 0 : funcs_.destroy(p, nullptr); }, 2, 0, 0},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.call(nullptr), row.nullNpp) << row.gate << " without an NPP";
    if (row.noInstance != kNotApplicable) {
      EXPECT_EQ(row.call(&none), row.noInstance) << row.gate << " without an instance";
    }
    if (row.withInstance != kNotApplicable) {
      EXPECT_EQ(row.call(&live), row.withInstance) << row.gate << " with an instance";
    }
  }
  EXPECT_EQ(streamType, 7) << "stream type untouched";
  EXPECT_EQ(funcs_.destroy(&none, nullptr), 0);

  // The scriptable object: written, retained per request.
  NPObject* object = nullptr;
  EXPECT_EQ(funcs_.getvalue(&none, NPPVpluginScriptableNPObject, &object), 1);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(funcs_.getvalue(&live, NPPVpluginScriptableNPObject, &object), 0);
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(object->referenceCount, 2u);
  host_.release(object);

  NPSavedData* saved = reinterpret_cast<NPSavedData*>(buffer);
  EXPECT_EQ(funcs_.destroy(&live, &saved), 0);
  EXPECT_EQ(saved, reinterpret_cast<NPSavedData*>(buffer)) << "no saved data returned";
  EXPECT_EQ(live.pdata, nullptr);
  EXPECT_EQ(host_.liveObjects(), 0u);  // the instance gave its reference back
  // Later gates see no instance.
  EXPECT_EQ(funcs_.setvalue(&live, NPNVnetscapeWindow, nullptr), 1);
  EXPECT_TRUE(host_.misuses().empty());
}

int g_topPaints = 0;
LRESULT CALLBACK countingTopProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    ++g_topPaints;
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    EndPaint(window, &paint);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// ReDraw updates the outermost ancestor of the plug-in window, at once.
TEST_F(PluginDllTest, ReDrawUpdatesTheOutermostWindow) {
  initialize();
  WNDCLASSW top{};
  top.lpfnWndProc = &countingTopProc;
  top.hInstance = GetModuleHandleW(nullptr);
  top.lpszClassName = L"KXReDrawTop";
  RegisterClassW(&top);
  HWND outer = CreateWindowExW(0, L"KXReDrawTop", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                               400, 300, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(outer, nullptr);
  HWND middle = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 300, 200, outer,
                                nullptr, nullptr, nullptr);
  HWND area = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 200, 100, middle,
                              nullptr, nullptr, nullptr);
  ASSERT_TRUE(area && middle);
  // Whatever was pending before goes now.
  UpdateWindow(outer);

  NPP_t npp{};
  ASSERT_EQ(funcs_.newp(nullptr, &npp, NP_EMBED, 0, nullptr, nullptr, nullptr), 0);
  NPWindow window{};
  window.window = area;
  ASSERT_EQ(funcs_.setwindow(&npp, &window), 0);
  NPObject* object = nullptr;
  ASSERT_EQ(funcs_.getvalue(&npp, NPPVpluginScriptableNPObject, &object), 0);

  g_topPaints = 0;
  InvalidateRect(outer, nullptr, FALSE);
  NPVariant result;
  ASSERT_TRUE(host_.invoke(object, "ReDraw", nullptr, 0, &result));
  EXPECT_EQ(g_topPaints, 1);  // painted within the call, no message loop ran
  // Nothing is invalidated by ReDraw itself.
  ASSERT_TRUE(host_.invoke(object, "ReDraw", nullptr, 0, &result));
  EXPECT_EQ(g_topPaints, 1);

  host_.release(object);
  EXPECT_EQ(funcs_.destroy(&npp, nullptr), 0);
  EXPECT_EQ(host_.liveObjects(), 0u);
  DestroyWindow(outer);
}

}  // namespace
}  // namespace kx::testing
