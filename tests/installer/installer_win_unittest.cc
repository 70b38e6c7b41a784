// The x64 setup program of dist/ run in the test prefix: what it puts in place,
// what it refuses, and what its uninstaller takes away again.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/base/scoped_handle.h"
#include "common/base/text_convert_win.h"
#include "common/signing/signer_info.h"
#include "common/signing/verified_file.h"
#include "tests/plugin/browser_session_win.h"
#include "tests/support/test_process_win.h"

namespace {

using kx::ScopedFileHandle;
using kx::ScopedHandle;
using kx::ScopedRegKey;
using kx::testing::windowsPathFromEnv;

// Where the x64 installer must put things in a Wine prefix, written out.
constexpr wchar_t kLauncher[] = L"C:\\windows\\system32\\KXLaunch.exe";
constexpr wchar_t kCorvaneFolder[] = L"C:\\Program Files\\Corvane";
constexpr wchar_t kProgramFolder[] = L"C:\\Program Files\\Corvane\\KXGamePlugin";
constexpr wchar_t kPlugin[] = L"C:\\Program Files\\Corvane\\KXGamePlugin\\NPKXGamePlugin.dll";
constexpr wchar_t kUninstaller[] = L"C:\\Program Files\\Corvane\\KXGamePlugin\\uninstall.exe";
constexpr wchar_t kGameCache[] = L"C:\\Corvane\\KxWeb";
constexpr wchar_t kPluginsKey[] = L"Software\\MozillaPlugins";
constexpr wchar_t kPluginKey[] = L"Software\\MozillaPlugins\\@corvane.net/NPKXGamePlugin";
constexpr wchar_t kUninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KXGamePlugin";

constexpr DWORD kBusy = 4;
constexpr DWORD kNewerInstalled = 5;
constexpr DWORD kLimitMs = 60000;

std::wstring distFile(const wchar_t* name) {
  return windowsPathFromEnv("KX_DIST_FILES") + L"\\" + name;
}
std::wstring stub(const std::wstring& version) {
  return windowsPathFromEnv("KX_STUB_DIR") + L"\\kx_version_stub_" + version + L".exe";
}

std::optional<std::string> readFile(const std::wstring& path) {
  ScopedFileHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file.valid()) return std::nullopt;
  std::string bytes;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
    bytes.append(buffer, got);
  return bytes;
}

bool writeFile(const std::wstring& path, const std::string& bytes) {
  ScopedFileHandle file(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD written = 0;
  return file.valid() &&
         WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                   nullptr) &&
         written == bytes.size();
}

bool exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void makeDirectories(const std::wstring& path) {
  for (size_t at = path.find(L'\\', 3); at != std::wstring::npos; at = path.find(L'\\', at + 1))
    CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
  CreateDirectoryW(path.c_str(), nullptr);
}

void removeTree(const std::wstring& path) {
  WIN32_FIND_DATAW found;
  kx::ScopedFindHandle find(FindFirstFileW((path + L"\\*").c_str(), &found));
  if (find.valid()) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring child = path + L"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        removeTree(child);
      else
        DeleteFileW(child.c_str());
    } while (FindNextFileW(find.get(), &found));
  }
  RemoveDirectoryW(path.c_str());
}

// ---- registry, in an explicit view ----

constexpr REGSAM kView64 = KEY_WOW64_64KEY;
constexpr REGSAM kView32 = KEY_WOW64_32KEY;

ScopedRegKey openKey(const std::wstring& path, REGSAM view) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS)
    key = nullptr;
  return ScopedRegKey(key);
}

std::optional<std::wstring> regString(const std::wstring& path, const wchar_t* name,
                                      REGSAM view = kView64) {
  ScopedRegKey key = openKey(path, view);
  if (!key.valid()) return std::nullopt;
  wchar_t buffer[1024] = {};
  DWORD bytes = sizeof(buffer) - sizeof(wchar_t), type = 0;
  if (RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer),
                       &bytes) != ERROR_SUCCESS ||
      type != REG_SZ)
    return std::nullopt;
  return std::wstring(buffer);
}

void deleteKeyTree(const std::wstring& path, REGSAM view) {
  HKEY parent = nullptr;
  const size_t cut = path.rfind(L'\\');
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.substr(0, cut).c_str(), 0,
                    KEY_ALL_ACCESS | view, &parent) != ERROR_SUCCESS)
    return;
  ScopedRegKey owner(parent);
  RegDeleteTreeW(parent, path.substr(cut + 1).c_str());
  RegDeleteKeyExW(parent, path.substr(cut + 1).c_str(), view, 0);
}

bool createKeyWithPath(const std::wstring& path, const wchar_t* value) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | kView64,
                      nullptr, &key, nullptr) != ERROR_SUCCESS)
    return false;
  ScopedRegKey owner(key);
  if (!value) return true;
  return RegSetValueExW(key, L"Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                        static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t))) ==
         ERROR_SUCCESS;
}

// ---- what the prefix holds where an installation can reach ----

using Snapshot = std::map<std::wstring, std::string>;

void addFiles(Snapshot& s, const std::wstring& dir, bool recursive) {
  WIN32_FIND_DATAW found;
  kx::ScopedFindHandle find(FindFirstFileW((dir + L"\\*").c_str(), &found));
  if (!find.valid()) return;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring path = dir + L"\\" + name;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      s[path] = "<dir>";
      if (recursive) addFiles(s, path, true);
    } else {
      s[path] = std::to_string((static_cast<unsigned long long>(found.nFileSizeHigh) << 32) |
                               found.nFileSizeLow);
    }
  } while (FindNextFileW(find.get(), &found));
}

void addKeys(Snapshot& s, const std::wstring& path, REGSAM view) {
  ScopedRegKey key = openKey(path, view);
  if (!key.valid()) return;
  const std::wstring tag = (view == kView64 ? L"HKLM64\\" : L"HKLM32\\") + path;
  s[tag] = "<key>";
  wchar_t name[512];
  std::vector<BYTE> data(65536);
  for (DWORD i = 0;; ++i) {
    DWORD nameLength = 512, bytes = static_cast<DWORD>(data.size()), type = 0;
    if (RegEnumValueW(key.get(), i, name, &nameLength, nullptr, &type, data.data(), &bytes) !=
        ERROR_SUCCESS)
      break;
    s[tag + L"|" + name] = std::to_string(type) + ":" +
                           std::string(reinterpret_cast<char*>(data.data()), bytes);
  }
  std::vector<std::wstring> children;
  for (DWORD i = 0;; ++i) {
    DWORD nameLength = 512;
    if (RegEnumKeyExW(key.get(), i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    children.push_back(name);
  }
  for (const std::wstring& child : children) addKeys(s, path + L"\\" + child, view);
}

Snapshot snapshot() {
  Snapshot s;
  addFiles(s, L"C:\\Program Files", true);
  addFiles(s, L"C:\\Program Files (x86)", true);
  addFiles(s, L"C:\\Corvane", true);
  addFiles(s, L"C:\\windows\\system32", false);
  addFiles(s, L"C:\\windows\\syswow64", false);
  for (REGSAM view : {kView64, kView32}) {
    addKeys(s, kPluginsKey, view);
    addKeys(s, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall", view);
  }
  return s;
}

// Differences as readable lines, for the failure message.
std::string describe(const Snapshot& expected, const Snapshot& actual) {
  std::string out, path;
  for (const auto& [k, v] : expected)
    if (!actual.count(k)) out += "missing: " + kx::wideToUtf8(k, path) + "\n";
    else if (actual.at(k) != v) out += "changed: " + kx::wideToUtf8(k, path) + "\n";
  for (const auto& [k, v] : actual)
    if (!expected.count(k)) out += "added: " + kx::wideToUtf8(k, path) + "\n";
  return out;
}

// ---- processes ----

// Runs |commandLine| and waits for it and every process it starts (the NSIS
// uninstaller hands over to a copy of itself); the exit code of the first.
std::optional<DWORD> runToEnd(std::wstring commandLine) {
  ScopedHandle job(CreateJobObjectW(nullptr, nullptr));
  ScopedHandle port(CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1));
  if (!job.valid() || !port.valid()) return std::nullopt;
  JOBOBJECT_ASSOCIATE_COMPLETION_PORT link{job.get(), port.get()};
  if (!SetInformationJobObject(job.get(), JobObjectAssociateCompletionPortInformation, &link,
                               sizeof link))
    return std::nullopt;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                      nullptr, nullptr, &startup, &info))
    return std::nullopt;
  ScopedHandle process(info.hProcess), thread(info.hThread);
  if (!AssignProcessToJobObject(job.get(), process.get())) {
    TerminateProcess(process.get(), 9);
    return std::nullopt;
  }
  ResumeThread(thread.get());
  DWORD message = 0;
  ULONG_PTR key = 0;
  LPOVERLAPPED detail = nullptr;
  while (GetQueuedCompletionStatus(port.get(), &message, &key, &detail, kLimitMs)) {
    if (message != JOB_OBJECT_MSG_ACTIVE_PROCESS_ZERO) continue;
    DWORD code = 0;
    if (!GetExitCodeProcess(process.get(), &code)) return std::nullopt;
    return code;
  }
  TerminateJobObject(job.get(), 9);
  return std::nullopt;
}

// Starts |commandLine| with one end of a pipe as its standard input
// (|toChild|) or as its output and error; the other end goes to |ours|.
ScopedHandle startWithPipe(std::wstring commandLine, bool toChild, ScopedFileHandle& ours) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return ScopedHandle();
  ScopedFileHandle theirs(toChild ? readEnd : writeEnd);
  ours.reset(toChild ? writeEnd : readEnd);
  SetHandleInformation(ours.get(), HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = toChild ? theirs.get() : nullptr;
  startup.hStdOutput = toChild ? GetStdHandle(STD_OUTPUT_HANDLE) : theirs.get();
  startup.hStdError = toChild ? GetStdHandle(STD_ERROR_HANDLE) : theirs.get();
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                      &startup, &info))
    return ScopedHandle();
  CloseHandle(info.hThread);
  return ScopedHandle(info.hProcess);
}

// Runs |commandLine| to its end with its output collected.
std::string runCaptured(const std::wstring& commandLine) {
  ScopedFileHandle output;
  ScopedHandle process = startWithPipe(commandLine, false, output);
  if (!process.valid()) return "not started";
  std::string out;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(output.get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
    out.append(buffer, got);
  WaitForSingleObject(process.get(), kLimitMs);
  return out;
}

// A stand-in of another version running from |path| (an image the system
// keeps mapped), until it is stopped.
class RunningProgram {
 public:
  bool start(const std::wstring& path) {
    process_ = startWithPipe(L"\"" + path + L"\"", true, input_);
    return process_.valid();
  }
  // Its input ends, so it ends.
  bool stop() {
    input_.reset();
    return !process_.valid() || WaitForSingleObject(process_.get(), kLimitMs) == WAIT_OBJECT_0;
  }
  ~RunningProgram() {
    if (!stop()) TerminateProcess(process_.get(), 9);
  }

 private:
  ScopedFileHandle input_;
  ScopedHandle process_;
};

struct WizardSearch {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK matchWizard(HWND w, LPARAM param) {
  auto* search = reinterpret_cast<WizardSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(w, &owner);
  wchar_t cls[16] = {};
  GetClassNameW(w, cls, 16);
  if (owner != search->pid || !IsWindowVisible(w) || std::wstring(cls) != L"#32770") return TRUE;
  search->found = w;
  return FALSE;
}

// The setup wizard of process |pid|: its visible top-level dialog.
HWND wizardOf(DWORD pid) {
  WizardSearch search{pid, nullptr};
  EnumWindows(&matchWizard, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::wstring textOf(HWND w) {
  wchar_t buffer[512] = {};
  GetWindowTextW(w, buffer, 512);
  return buffer;
}

// Waits (within the limit) until the wizard's default button reads |label|
// and can be pressed, then presses it. A user does the same.
// On failure |seen| is the last label the button had.
bool pressWhenShown(DWORD pid, const std::wstring& label, std::wstring* caption,
                    std::string* seen) {
  const ULONGLONG deadline = GetTickCount64() + 20000;
  while (GetTickCount64() < deadline) {
    HWND wizard = wizardOf(pid);
    HWND button = wizard ? GetDlgItem(wizard, IDOK) : nullptr;
    if (button) kx::wideToUtf8(textOf(button), *seen);
    if (button && IsWindowEnabled(button) && IsWindowVisible(button) && textOf(button) == label) {
      if (caption) *caption = textOf(wizard);
      return PostMessageW(wizard, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                          reinterpret_cast<LPARAM>(button)) != 0;
    }
    Sleep(20);
  }
  return false;
}

std::wstring setupCommand(const wchar_t* arguments) {
  return L"\"" + windowsPathFromEnv("KX_SETUP") + L"\"" + arguments;
}

class InstallerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(exists(windowsPathFromEnv("KX_SETUP")))
        << "no setup program in dist/: make dist builds it";
    // Wine starts its desktop process for the first window of a prefix; made
    // here, it is not one of the installer's processes that runToEnd waits for.
    ASSERT_NE(nullptr, GetDesktopWindow());
  }
  // Every test starts from a prefix without any of the installation.
  void SetUp() override { cleanSlate(); }
  void TearDown() override { cleanSlate(); }

  static void cleanSlate() {
    DeleteFileW(kLauncher);
    removeTree(kCorvaneFolder);
    removeTree(L"C:\\Corvane");
    for (REGSAM view : {kView64, kView32}) {
      deleteKeyTree(kPluginsKey, view);
      deleteKeyTree(kUninstallKey, view);
    }
  }

  static std::optional<DWORD> installSilently() { return runToEnd(setupCommand(L" /S")); }
  static std::optional<DWORD> uninstallSilently() {
    return runToEnd(L"\"" + std::wstring(kUninstaller) + L"\" /S");
  }

  // The installer exits with |code| and the prefix is as it was.
  static void expectRefusalWithoutChange(DWORD code) {
    const Snapshot before = snapshot();
    EXPECT_EQ(code, installSilently());
    const Snapshot after = snapshot();
    EXPECT_TRUE(before == after) << describe(before, after);
  }

  // |launcher| and |plugin|: a stub version, "dist" for the shipped file, or
  // empty for none.
  static void placeInstalledFiles(const std::wstring& launcher, const std::wstring& plugin) {
    makeDirectories(kProgramFolder);
    auto source = [](const std::wstring& what, const wchar_t* distName) {
      return what == L"dist" ? distFile(distName) : stub(what);
    };
    if (!launcher.empty()) {
      ASSERT_TRUE(CopyFileW(source(launcher, L"KXLaunch.exe").c_str(), kLauncher, FALSE));
    }
    if (!plugin.empty()) {
      ASSERT_TRUE(CopyFileW(source(plugin, L"NPKXGamePlugin.dll").c_str(), kPlugin, FALSE));
    }
  }
};

TEST_F(InstallerTest, SilentInstallPutsTheShippedFilesInPlaceAndRegistersThePlugin) {
  ASSERT_EQ(0u, installSilently());

  const auto launcher = readFile(kLauncher), plugin = readFile(kPlugin);
  ASSERT_TRUE(launcher && plugin);
  EXPECT_TRUE(launcher == readFile(distFile(L"KXLaunch.exe"))) << "KXLaunch.exe differs";
  EXPECT_TRUE(plugin == readFile(distFile(L"NPKXGamePlugin.dll"))) << "plug-in differs";
  EXPECT_TRUE(exists(kUninstaller));
  // The 64-bit build writes the 64-bit system directory, not the WOW64 one.
  EXPECT_FALSE(exists(L"C:\\windows\\syswow64\\KXLaunch.exe"));

  EXPECT_EQ(L"C:\\Program Files\\Corvane\\KXGamePlugin\\NPKXGamePlugin.dll",
            regString(kPluginKey, L"Path"));
  EXPECT_EQ(L"NPKXGamePlugin", regString(kPluginKey, L"ProductName"));
  EXPECT_EQ(L"Corvane", regString(kPluginKey, L"Vendor"));
  EXPECT_EQ(L"1.19.0.0", regString(kPluginKey, L"Version"));
  EXPECT_EQ(L"NPKXGamePlugin 1.19.0.0", regString(kPluginKey, L"Description"));
  EXPECT_TRUE(
      openKey(std::wstring(kPluginKey) + L"\\MimeTypes\\application/kxnpgameplugin", kView64)
          .valid());
  // Only the view of the installer's width.
  EXPECT_FALSE(openKey(kPluginsKey, kView32).valid());

  EXPECT_EQ(L"KX Game 网页游戏插件", regString(kUninstallKey, L"DisplayName"));
  EXPECT_EQ(L"1.19.0.0", regString(kUninstallKey, L"DisplayVersion"));
  EXPECT_EQ(L"Corvane", regString(kUninstallKey, L"Publisher"));
  EXPECT_EQ(L"\"C:\\Program Files\\Corvane\\KXGamePlugin\\uninstall.exe\"",
            regString(kUninstallKey, L"UninstallString"));
  EXPECT_EQ(L"\"C:\\Program Files\\Corvane\\KXGamePlugin\\uninstall.exe\" /S",
            regString(kUninstallKey, L"QuietUninstallString"));
  EXPECT_FALSE(openKey(kUninstallKey, kView32).valid());
}

// The launcher passes the check the plug-in makes before starting it, and the
// installed files carry a time-stamp that the check reads.
TEST_F(InstallerTest, InstalledFilesPassTheSignatureCheckWithATime) {
  ASSERT_EQ(0u, installSilently());
  kx::VerifiedFile launcher;
  EXPECT_TRUE(launcher.verify(kLauncher));
  launcher.release();

  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  for (const wchar_t* path : {kLauncher, kPlugin, kUninstaller}) {
    SCOPED_TRACE(testing::Message() << "file " << std::string(path, path + wcslen(path)));
    kx::SignerInfo info{};
    ASSERT_TRUE(kx::verifyFileSignature(path, &info));
    ASSERT_NE(nullptr, info.subjectName);
    EXPECT_STREQ(L"Corvane Network Co. Ltd.", info.subjectName);
    EXPECT_TRUE(info.hasTimestamp);
    // A time of this build (the test PKI lives two days), in whatever zone.
    FILETIME signedAt{};
    ASSERT_TRUE(SystemTimeToFileTime(&info.signingTime, &signedAt));
    const auto ticks = [](const FILETIME& t) {
      return static_cast<long long>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) |
                                    t.dwLowDateTime);
    };
    const long long day = 24LL * 3600 * 10000000;
    EXPECT_LT(ticks(now) - ticks(signedAt), 3 * day);
    EXPECT_GT(ticks(now) - ticks(signedAt), -day);
    kx::freeSignerInfo(&info);
  }
}

TEST_F(InstallerTest, TestBrowserFindsThePluginByItsMimeTypeAtTheInstalledPath) {
  ASSERT_EQ(0u, installSilently());
  kx::testing::BrowserSession browser;
  ASSERT_TRUE(browser.start(L"--mime", L"application/kxnpgameplugin"));
  const auto found = browser.linesOf("found");
  ASSERT_EQ(1u, found.size());
  EXPECT_EQ((kx::testing::Line{"found",
                               "C:\\Program Files\\Corvane\\KXGamePlugin\\NPKXGamePlugin.dll"}),
            found[0]);
  const auto loaded = browser.linesOf("loaded");
  ASSERT_EQ(1u, loaded.size());
  ASSERT_GE(loaded[0].size(), 4u);
  EXPECT_EQ("0", loaded[0][1]);  // NP_GetEntryPoints
  EXPECT_EQ("0", loaded[0][2]);  // NP_Initialize
  browser.send({"new", "a"});
  const auto made = browser.next("new");
  ASSERT_TRUE(made);
  EXPECT_EQ("0", made->back());
  EXPECT_EQ(0, browser.finish());
}

struct UpgradeCase {
  const wchar_t* launcher;
  const wchar_t* plugin;
};

TEST_F(InstallerTest, ReplacesOlderOrEqualInstalledFiles) {
  const UpgradeCase cases[] = {
      {L"1_9_0_0", L"1_9_0_0"},    // 1.9 < 1.19 as numbers, not as text
      {L"1_18_7_3", L"1_18_7_3"},  // lower high word, higher low word
      {L"dist", L"dist"},          // the same version again
      {L"1_18_7_3", L""},
  };
  for (const UpgradeCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "launcher " << c.launcher << " plug-in " << c.plugin);
    cleanSlate();
    placeInstalledFiles(c.launcher, c.plugin);
    ASSERT_EQ(0u, installSilently());
    EXPECT_TRUE(readFile(kLauncher) == readFile(distFile(L"KXLaunch.exe")));
    EXPECT_TRUE(readFile(kPlugin) == readFile(distFile(L"NPKXGamePlugin.dll")));
    EXPECT_EQ(L"1.19.0.0", regString(kPluginKey, L"Version"));
  }
}

TEST_F(InstallerTest, RefusesToReplaceANewerFileAndChangesNothing) {
  const UpgradeCase cases[] = {
      {L"1_19_0_1", L"1_9_0_0"},  // newer by the last number only
      {L"1_100_0_0", L""},        // 1.100 > 1.19 as numbers, not as text
      {L"1_18_7_3", L"1_19_0_1"},
      {L"", L"1_100_0_0"},
  };
  for (const UpgradeCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "launcher " << c.launcher << " plug-in " << c.plugin);
    cleanSlate();
    placeInstalledFiles(c.launcher, c.plugin);
    expectRefusalWithoutChange(kNewerInstalled);
    if (*c.plugin) {
      EXPECT_TRUE(readFile(kPlugin) == readFile(stub(c.plugin)));
    }
  }
}

// In use: a running launcher, or a file held open the way the plug-in holds
// the launcher while it checks and starts it.
TEST_F(InstallerTest, BusyFileIsRefusedBeforeAnythingChanges) {
  {
    SCOPED_TRACE("older launcher running");
    placeInstalledFiles(L"1_18_7_3", L"1_18_7_3");
    RunningProgram launcher;
    ASSERT_TRUE(launcher.start(kLauncher));
    expectRefusalWithoutChange(kBusy);
    EXPECT_TRUE(readFile(kPlugin) == readFile(stub(L"1_18_7_3")));
    EXPECT_TRUE(launcher.stop());
  }
  {
    SCOPED_TRACE("installed launcher held by the signature check");
    cleanSlate();
    ASSERT_EQ(0u, installSilently());
    ASSERT_TRUE(CopyFileW(stub(L"1_18_7_3").c_str(), kPlugin, FALSE));
    kx::VerifiedFile held;
    ASSERT_TRUE(held.verify(kLauncher));
    expectRefusalWithoutChange(kBusy);
    EXPECT_TRUE(readFile(kPlugin) == readFile(stub(L"1_18_7_3")));
  }
  {
    SCOPED_TRACE("older plug-in held open, no launcher yet");
    cleanSlate();
    placeInstalledFiles(L"", L"1_9_0_0");
    ScopedFileHandle held(CreateFileW(kPlugin, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held.valid());
    expectRefusalWithoutChange(kBusy);
    EXPECT_FALSE(exists(kLauncher));
  }
}

// Interactive, the refusal is a message box in Chinese naming the file.
TEST_F(InstallerTest, InteractiveRefusalSaysWhyInChinese) {
  struct Case {
    const wchar_t* launcher;
    bool hold;
    const char* text;
    const char* exit;
  } const cases[] = {
      {L"1_18_7_3", true,
       "text=文件 C:\\windows\\system32\\KXLaunch.exe 正在使用中（游戏启动器正在运行），"
       "安装未做任何更改。请关闭浏览器和游戏后重新运行安装程序。\n",
       "exit=4\n"},
      {L"1_100_0_0", false,
       "text=已安装更新版本的 KXLaunch.exe（1.100.0.0），本安装程序的版本是 1.19.0.0。"
       "安装未做任何更改。\n",
       "exit=5\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "launcher " << c.launcher);
    cleanSlate();
    placeInstalledFiles(c.launcher, L"");
    ScopedFileHandle held;
    if (c.hold)
      held.reset(CreateFileW(kLauncher, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                             nullptr));
    const std::string out = runCaptured(L"\"" + windowsPathFromEnv("KX_BOX_ANSWERER") +
                                        L"\" --timeout-ms 30000 -- " + setupCommand(L""));
    EXPECT_NE(std::string::npos, out.find("caption=KX Game 网页游戏插件 1.19.0.0 安装\n")) << out;
    EXPECT_NE(std::string::npos, out.find(c.text)) << out;
    EXPECT_NE(std::string::npos, out.find(c.exit)) << out;
    EXPECT_FALSE(exists(kPlugin));
  }
}

// Interactive, a user goes through the Chinese wizard: welcome, install, finish.
TEST_F(InstallerTest, InteractiveInstallThroughTheChineseWizard) {
  kx::test::ChildProcess setup;
  ASSERT_TRUE(setup.start(windowsPathFromEnv("KX_SETUP"), L""));
  std::wstring caption;
  std::string seen;
  EXPECT_TRUE(pressWhenShown(setup.pid(), L"安装(&I)", &caption, &seen)) << seen;
  EXPECT_EQ(L"KX Game 网页游戏插件 1.19.0.0 安装", caption);
  EXPECT_TRUE(pressWhenShown(setup.pid(), L"完成(&F)", nullptr, &seen)) << seen;
  ASSERT_TRUE(setup.waitForExit(kLimitMs)) << "the wizard did not end";
  EXPECT_EQ(0u, setup.exitCode());
  EXPECT_TRUE(readFile(kLauncher) == readFile(distFile(L"KXLaunch.exe")));
  EXPECT_TRUE(readFile(kPlugin) == readFile(distFile(L"NPKXGamePlugin.dll")));
  EXPECT_EQ(L"C:\\Program Files\\Corvane\\KXGamePlugin\\NPKXGamePlugin.dll",
            regString(kPluginKey, L"Path"));
}

// Interactive, the wizard opens with its Chinese caption; cancelled on its
// first page, it leaves everything as it was.
TEST_F(InstallerTest, InteractiveSetupCancelledChangesNothing) {
  const Snapshot before = snapshot();
  const std::string out = runCaptured(L"\"" + windowsPathFromEnv("KX_BOX_ANSWERER") +
                                      L"\" --timeout-ms 30000 --press cancel -- " +
                                      setupCommand(L""));
  EXPECT_NE(std::string::npos, out.find("caption=KX Game 网页游戏插件 1.19.0.0 安装\n")) << out;
  EXPECT_NE(std::string::npos, out.find("exit=1\n")) << out;  // cancelled by the user
  const Snapshot after = snapshot();
  EXPECT_TRUE(before == after) << describe(before, after);
}

// What was there before stays: the game cache, a file of the user's in the
// program folder, a program folder parent or plug-ins key that existed already.
TEST_F(InstallerTest, UninstallerRemovesExactlyWhatTheInstallerAdded) {
  struct Case {
    const char* name;
    void (*before)();
    bool userFile;  // one more file in the program folder after the installation
  } const cases[] = {
      {"fresh prefix", [] {}, false},
      {"Corvane folder there before", [] { makeDirectories(kCorvaneFolder); }, false},
      {"a file of the user's in the program folder", [] {}, true},
      {"empty plug-ins key there before",
       [] { ASSERT_TRUE(createKeyWithPath(kPluginsKey, nullptr)); }, false},
      {"another plug-in registered",
       [] {
         ASSERT_TRUE(createKeyWithPath(std::wstring(kPluginsKey) + L"\\@other.example/NPOther",
                                       L"C:\\Other\\NPOther.dll"));
       },
       false},
  };
  const std::wstring cacheFile = std::wstring(kGameCache) + L"\\Kx\\kxmain.exe";
  const std::wstring laterCacheFile = std::wstring(kGameCache) + L"\\Kx\\version.ini";
  const std::wstring userFile = std::wstring(kProgramFolder) + L"\\notes.txt";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    cleanSlate();
    c.before();
    makeDirectories(std::wstring(kGameCache) + L"\\Kx");
    ASSERT_TRUE(writeFile(cacheFile, "game client"));
    Snapshot expected = snapshot();

    ASSERT_EQ(0u, installSilently());
    ASSERT_TRUE(writeFile(laterCacheFile, "1.0.0"));
    expected[laterCacheFile] = "5";
    if (c.userFile) {
      ASSERT_TRUE(writeFile(userFile, "the user's"));
      expected[kCorvaneFolder] = expected[kProgramFolder] = "<dir>";
      expected[userFile] = "10";
    }

    uninstallSilently();
    const Snapshot after = snapshot();
    EXPECT_TRUE(expected == after) << describe(expected, after);
  }
}

TEST_F(InstallerTest, UninstallerRefusesWhileTheLauncherIsHeld) {
  ASSERT_EQ(0u, installSilently());
  kx::VerifiedFile held;
  ASSERT_TRUE(held.verify(kLauncher));
  const Snapshot before = snapshot();
  uninstallSilently();
  const Snapshot after = snapshot();
  EXPECT_TRUE(before == after) << describe(before, after);
}

}  // namespace
