// The installer as a user meets it, in a Wine prefix of its own
// (tests/packaging/installer_round.sh): a silent install, the widget started
// from its Start menu shortcut, an update while it runs, a silent uninstall.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "services/autostart.h"
#include "tests/support/autostart_values.h"
#include "tests/support/process_windows.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/widget_process.h"

namespace fs = std::filesystem;

namespace {

const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Nimbrel";
const int kInstallerWaitMs = 60000;

fs::path KnownFolder(int csidl) {
  char path[MAX_PATH] = "";
  SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

struct Finished {
  DWORD exitCode = STILL_ACTIVE;
  DWORD pid = 0;
  double seconds = 0;
};

Finished RunAndWait(const fs::path& program, const std::string& arguments) {
  Finished result;
  std::string command = "\"" + program.string() + "\" " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const auto start = std::chrono::steady_clock::now();
  if (!CreateProcessA(program.string().c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process))
    return result;
  WaitForSingleObject(process.hProcess, kInstallerWaitMs);
  GetExitCodeProcess(process.hProcess, &result.exitCode);
  result.pid = process.dwProcessId;
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return result;
}

struct Shortcut {
  std::string target;
  std::string folder;
};

Shortcut ReadShortcut(const fs::path& file) {
  Shortcut shortcut;
  IShellLinkA* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&link))))
    return shortcut;
  IPersistFile* persisted = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persisted)))) {
    if (SUCCEEDED(persisted->Load(file.wstring().c_str(), STGM_READ))) {
      char text[MAX_PATH] = "";
      if (SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, 0))) shortcut.target = text;
      if (SUCCEEDED(link->GetWorkingDirectory(text, MAX_PATH))) shortcut.folder = text;
    }
    persisted->Release();
  }
  link->Release();
  return shortcut;
}

// The value's text, or its DWORD in decimal; "<none>" when it is missing.
std::string UninstallValue(const char* name) {
  char bytes[1024] = "";
  DWORD size = sizeof bytes - 1, type = 0;
  if (RegGetValueA(HKEY_CURRENT_USER, kUninstallKey, name, RRF_RT_REG_SZ | RRF_RT_REG_DWORD, &type,
                   bytes, &size) != ERROR_SUCCESS)
    return "<none>";
  return type == REG_DWORD ? std::to_string(*reinterpret_cast<DWORD*>(bytes)) : bytes;
}

std::set<std::string> FilesUnder(const fs::path& folder) {
  std::set<std::string> files;
  std::error_code error;
  for (const auto& entry : fs::recursive_directory_iterator(folder, error))
    if (entry.is_regular_file()) files.insert(fs::relative(entry.path(), folder).generic_string());
  return files;
}

std::set<std::string> ZipListing() {
  std::set<std::string> files;
  std::ifstream in(Environment("NIMBREL_ZIP_LISTING"));
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) files.insert(line);
  return files;
}

template <typename Condition>
bool WaitFor(Condition condition, int ms) {
  for (int waited = 0; waited < ms; waited += 100) {
    if (condition()) return true;
    Sleep(100);
  }
  return condition();
}

TEST(Installer, InstallsStartsUpdatesWhileRunningAndUninstallsWithoutATrace) {
  CoInitialize(nullptr);
  const fs::path setup = Environment("NIMBREL_SETUP");
  ASSERT_TRUE(fs::exists(setup)) << setup;
  const fs::path folder = KnownFolder(CSIDL_LOCAL_APPDATA) / "Programs" / "Nimbrel";
  const fs::path program = folder / "nimbrel.exe";
  const fs::path startMenuLink = KnownFolder(CSIDL_PROGRAMS) / "Nimbrel.lnk";
  ASSERT_FALSE(fs::exists(folder)) << "the prefix is not fresh";

  const Finished installed = RunAndWait(setup, "/S");
  ASSERT_EQ(installed.exitCode, 0u);
  std::printf("install: %.2f s\n", installed.seconds);
  std::set<std::string> expected = ZipListing();
  ASSERT_FALSE(expected.empty());
  expected.insert("uninstall.exe");
  EXPECT_EQ(FilesUnder(folder), expected) << "the zip's files and the uninstaller";

  const Shortcut shortcut = ReadShortcut(startMenuLink);
  EXPECT_EQ(lstrcmpiA(shortcut.target.c_str(), program.string().c_str()), 0) << shortcut.target;
  EXPECT_EQ(lstrcmpiA(shortcut.folder.c_str(), folder.string().c_str()), 0) << shortcut.folder;
  EXPECT_EQ(UninstallValue("DisplayName"), "Nimbrel");
  EXPECT_NE(UninstallValue("DisplayVersion"), "<none>");
  EXPECT_NE(UninstallValue("Publisher"), "<none>");
  EXPECT_EQ(UninstallValue("DisplayIcon"), program.string() + ",0");
  EXPECT_GT(std::atoi(UninstallValue("EstimatedSize").c_str()), 0);
  EXPECT_EQ(UninstallValue("UninstallString"), "\"" + (folder / "uninstall.exe").string() + "\"");
  EXPECT_EQ(UninstallValue("NoModify"), "1");
  EXPECT_EQ(UninstallValue("NoRepair"), "1");
  // The tray menu's own check: its item shows checked for the installed widget.
  EXPECT_TRUE(AutostartIsOn(ReadAutostart("Nimbrel"), program.string())) << RunValue();

  // The user's city and place, as an earlier version left them.
  WriteFileBytes(folder / "inform.ini", "ID=27612\r\nX=300\r\nY=60\r\n");
  ASSERT_TRUE(SetCurrentDirectoryA(shortcut.folder.c_str()));
  Widget running;
  ASSERT_TRUE(running.Start(shortcut.target));
  ASSERT_TRUE(running.WaitStarted()) << "the installed widget did not show";

  const Finished updated = RunAndWait(setup, "/S");
  ASSERT_EQ(updated.exitCode, 0u);
  std::printf("update over a running widget: %.2f s\n", updated.seconds);
  EXPECT_EQ(running.WaitExit(10000), 0) << "it was not asked to leave";
  // Written back in the settings writer's own layout: the widget saved them
  // on its way out, and the update kept them.
  EXPECT_EQ(ReadFileBytes(folder / "inform.ini"), "ID = 27612\r\nX = 300\r\nY = 60\r\n");
  const std::vector<DWORD> started = ChildProcessesNamed(updated.pid, "nimbrel.exe");
  ASSERT_EQ(started.size(), 1u) << "the update did not start the new widget";
  const DWORD restartedId = started[0];
  HANDLE restarted = OpenProcess(SYNCHRONIZE, FALSE, restartedId);
  EXPECT_TRUE(
      WaitFor([&] { return IsWindowVisible(FindProcessWindow(restartedId, "WindowClass_55")); },
              kWidgetStartMs));

  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(RunAndWait(folder / "uninstall.exe", "/S").exitCode, 0u);
  // The uninstaller works on from a copy of itself: wait for its last step.
  EXPECT_TRUE(WaitFor([&] { return UninstallValue("DisplayName") == "<none>"; }, 30000));
  std::printf("uninstall: %.2f s\n",
              std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  EXPECT_EQ(WaitForSingleObject(restarted, 10000), WAIT_OBJECT_0) << "the widget still runs";
  CloseHandle(restarted);
  SetCurrentDirectoryA(KnownFolder(CSIDL_LOCAL_APPDATA).string().c_str());
  // A silent uninstall keeps the settings, and only them.
  EXPECT_EQ(FilesUnder(folder), std::set<std::string>{"inform.ini"});
  EXPECT_FALSE(fs::exists(startMenuLink));
  EXPECT_EQ(RunValue(), "<none>");
  EXPECT_EQ(UninstallValue("DisplayName"), "<none>");
  CoUninitialize();
}

}  // namespace
