#pragma once
// The real nimbrel.exe seen from outside, for the end-to-end tests: where
// the built program lies, a staged copy of what it reads, its process and
// windows, real mouse input, and a feed server on its built-in address.

#include <windows.h>

#include <atomic>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "tests/support/loopback_server.h"

const unsigned short kWidgetFeedPort = 8930;  // the widget's built-in feed address
const int kWidgetStartMs = 20000;

// The folder of the built programs (build/<preset>/app).
std::filesystem::path AppDir();

// Copies the pictures and the city list the widget reads into a folder.
void StageRuntime(const std::filesystem::path& into);

// Width and height from a PNG file's header.
SIZE PngSize(const std::filesystem::path& file);

// A four-period feed; Moscow's code names the town in percent-encoded
// CP1251, every other code gets "T" and its code (or `town` when given).
std::string FeedFor(const std::string& code, const std::string& town = std::string());

// The feed host the widget was built for, answering every feed path with
// FeedFor its code after an optional delay.
class FeedServer {
 public:
  explicit FeedServer(int answerDelayMs = 0);

  bool Listening() const { return server_.Listening(); }
  std::vector<std::string> Paths() const;
  int Answered() const { return answered_; }
  int Count(const std::string& path) const;
  bool WaitFor(const std::string& path, int times, int ms) const;

 private:
  void Answer(LoopbackConnection& connection, int delayMs);

  std::atomic<int> answered_{0};
  mutable std::mutex mutex_;
  std::vector<std::string> paths_;
  LoopbackServer server_;  // last: its thread stops before the rest goes
};

class Widget {
 public:
  Widget() = default;
  Widget(const Widget&) = delete;
  Widget& operator=(const Widget&) = delete;
  ~Widget();

  // Starts the program (the built nimbrel.exe by default) in the current
  // directory.
  bool Start(const std::filesystem::path& exe = AppDir() / "nimbrel.exe");
  DWORD Id() const { return process_.dwProcessId; }
  HANDLE Process() const { return process_.hProcess; }

  HWND Window(int number) const;
  // What the system sends when the main window reaches a monitor of that DPI.
  void SendDpiChanged(int dpi) const;
  HWND Menu() const;
  bool Visible(int number) const;
  RECT Rect(int number) const;
  std::string Text(HWND window) const;
  std::string ControlText(int window, int control) const;

  template <typename Condition>
  bool WaitUntil(Condition condition, int ms) const {
    for (int waited = 0; waited < ms; waited += 20) {
      if (condition()) return true;
      if (Ended()) return false;
      Sleep(20);
    }
    return condition();
  }
  bool WaitVisible(int number, int ms = kWidgetStartMs) const;
  // Waits until window 55 and the clouds (shown last) are visible.
  bool WaitStarted() const;
  bool Ended() const;
  // The exit code, or -1 when the process is still running after ms.
  long WaitExit(int ms) const;
  // Ends the process at once, as Task Manager does.
  void Kill();

 private:
  PROCESS_INFORMATION process_{};
};

// Real mouse and keyboard input; the mouse in screen pixels.
void SendMouse(DWORD flags, int x = 0, int y = 0);
void MoveMouse(int x, int y);
void Click(int x, int y, DWORD down, DWORD up);
void RightClick(int x, int y);
void PressKey(WORD key);
// Characters as a keyboard of any layout types them, to the focused window.
void TypeText(const std::wstring& text);

// A point on the base plate between the clock and the texts.
POINT OnThePlate(const RECT& main);

// The notification area as Wine shows it on a display without a panel: a
// small window at the top left holding one child window per icon.
std::vector<HWND> TrayIconWindows();
// Rests the mouse on a tray icon until its tooltip shows; the tooltip's
// text in the ANSI code page, empty when none showed.
std::string TrayTipOf(HWND icon);

// Drags the widget by the plate from its place by (dx, dy) with the left
// button, as a hand would; true when window 55 arrived there.
bool DragWidget(const Widget& widget, int dx, int dy);
