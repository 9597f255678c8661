#include "tests/support/widget_process.h"

#include "tests/support/process_windows.h"
#include "tests/support/scratch_dir.h"

namespace fs = std::filesystem;

namespace {

std::string FeedPeriod(int day, const char* weekday, const char* sky, const char* fall,
                       const char* tmin, const char* tmax) {
  return std::string("<FORECAST day=\"") + std::to_string(day) +
         "\" month=\"12\" year=\"2026\" hour=\"9\" weekday=\"" + weekday + "\">" +
         "<SKY cloudiness=\"" + sky + "\" precipitation=\"" + fall + "\"/>" +
         "<TEMPERATURE min=\"" + tmin + "\" max=\"" + tmax + "\"/>" +
         "<WIND min=\"3\" max=\"5\" direction=\"6\"/><RELWET min=\"75\" max=\"80\"/>" +
         "</FORECAST>";
}

}  // namespace

fs::path AppDir() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return fs::path(path).parent_path().parent_path() / "app";
}

void StageRuntime(const fs::path& into) {
  const fs::path app = AppDir();
  for (const char* folder : {"Digits", "Resources", "Weather"})
    fs::copy(app / folder, into / folder, fs::copy_options::recursive);
  fs::copy(app / "NimbrelCodSity.txt", into / "NimbrelCodSity.txt");
}

SIZE PngSize(const fs::path& file) {
  std::string bytes = ReadFileBytes(file);
  auto at = [&](size_t i) { return static_cast<unsigned char>(bytes.at(i)); };
  return {at(16) << 24 | at(17) << 16 | at(18) << 8 | at(19),
          at(20) << 24 | at(21) << 16 | at(22) << 8 | at(23)};
}

std::string FeedFor(const std::string& code, const std::string& town) {
  std::string name = !town.empty() ? town : code == "27612" ? "%CC%EE%F1%EA%E2%E0" : "T" + code;
  return "<?xml version=\"1.0\"?><FEED><CITY sname=\"" + name + "\">" +
         FeedPeriod(7, "2", "1", "10", "-5", "-3") + FeedPeriod(7, "2", "3", "6", "-4", "-2") +
         FeedPeriod(8, "3", "0", "10", "-8", "-6") + FeedPeriod(8, "3", "2", "4", "-7", "-1") +
         "</CITY></FEED>";
}

// --- FeedServer ---------------------------------------------------------------

FeedServer::FeedServer(int answerDelayMs)
    : server_([this, answerDelayMs](LoopbackConnection& c) { Answer(c, answerDelayMs); },
              kWidgetFeedPort) {}

std::vector<std::string> FeedServer::Paths() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return paths_;
}

int FeedServer::Count(const std::string& path) const {
  int n = 0;
  for (const std::string& p : Paths()) n += p == path;
  return n;
}

bool FeedServer::WaitFor(const std::string& path, int times, int ms) const {
  for (int waited = 0; waited < ms; waited += 50) {
    if (Count(path) >= times && answered_ >= static_cast<int>(Paths().size())) return true;
    Sleep(50);
  }
  return false;
}

void FeedServer::Answer(LoopbackConnection& connection, int delayMs) {
  const std::string& request = connection.Request();
  std::string path;
  if (request.compare(0, 4, "GET ") == 0) path = request.substr(4, request.find(' ', 4) - 4);
  // The widget looks whether its feed port answers before it starts the
  // gateway beside it: a connection without a feed request is no refresh.
  if (path.compare(0, 5, "/xml/") != 0) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    paths_.push_back(path);
  }
  connection.Pause(delayMs);
  std::string code =
      path.size() > 5 ? path.substr(5, path.find('_') - 5) : "";  // "/xml/<code>_1.xml"
  std::string body = FeedFor(code);
  connection.Send("HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: " +
                  std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
  ++answered_;
}

// --- Widget -------------------------------------------------------------------

Widget::~Widget() {
  if (!process_.hProcess) return;
  Kill();
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

bool Widget::Start(const fs::path& exe) {
  std::string command = "\"" + exe.string() + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  return CreateProcessA(exe.string().c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process_) != 0;
}

HWND Widget::Window(int number) const {
  return FindProcessWindow(process_.dwProcessId, "WindowClass_" + std::to_string(number));
}

void Widget::SendDpiChanged(int dpi) const {
  DWORD_PTR answer = 0;
  SendMessageTimeoutA(Window(55), 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(dpi, dpi), 0, SMTO_BLOCK,
                      10000, &answer);
}

HWND Widget::Menu() const {
  HWND menu = FindProcessWindow(process_.dwProcessId, "#32768");
  return menu && IsWindowVisible(menu) ? menu : nullptr;
}

bool Widget::Visible(int number) const {
  HWND window = Window(number);
  return window && IsWindowVisible(window);
}

RECT Widget::Rect(int number) const {
  RECT r{-1, -1, -1, -1};
  GetWindowRect(Window(number), &r);
  return r;
}

std::string Widget::Text(HWND window) const {
  char text[256] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string Widget::ControlText(int window, int control) const {
  return Text(GetDlgItem(Window(window), control));
}

bool Widget::WaitVisible(int number, int ms) const {
  return WaitUntil([&] { return Visible(number); }, ms);
}

bool Widget::WaitStarted() const {
  return WaitVisible(55) && WaitVisible(65, 10000);
}

bool Widget::Ended() const {
  return WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0;
}

long Widget::WaitExit(int ms) const {
  if (WaitForSingleObject(process_.hProcess, ms) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(process_.hProcess, &code);
  return static_cast<long>(code);
}

void Widget::Kill() {
  if (!process_.hProcess || Ended()) return;
  TerminateProcess(process_.hProcess, 99);
  WaitForSingleObject(process_.hProcess, 5000);
}

// --- Input --------------------------------------------------------------------

void SendMouse(DWORD flags, int x, int y) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  if (flags & MOUSEEVENTF_MOVE) {
    input.mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    flags |= MOUSEEVENTF_ABSOLUTE;
  }
  input.mi.dwFlags = flags;
  SendInput(1, &input, sizeof input);
}

void MoveMouse(int x, int y) {
  SendMouse(MOUSEEVENTF_MOVE, x, y);
  Sleep(30);
}

void Click(int x, int y, DWORD down, DWORD up) {
  MoveMouse(x, y);
  SendMouse(down);
  Sleep(20);
  SendMouse(up);
  Sleep(60);
}

void RightClick(int x, int y) {
  Click(x, y, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
}

void PressKey(WORD key) {
  INPUT input[2] = {};
  input[0].type = input[1].type = INPUT_KEYBOARD;
  input[0].ki.wVk = input[1].ki.wVk = key;
  input[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, input, sizeof input[0]);
  Sleep(50);
}

void TypeText(const std::wstring& text) {
  for (wchar_t c : text) {
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wScan = input[1].ki.wScan = c;
    input[0].ki.dwFlags = KEYEVENTF_UNICODE;
    input[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof input[0]);
    Sleep(50);
  }
}

POINT OnThePlate(const RECT& main) {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return {main.left + MulDiv(150, dpi, 96), main.top + MulDiv(95, dpi, 96)};
}

std::vector<HWND> TrayIconWindows() {
  std::vector<HWND> icons;
  HWND tray = FindWindowA("__winex11_standalone_tray", nullptr);
  for (HWND icon = FindWindowExA(tray, nullptr, "__winex11_tray_icon", nullptr); tray && icon;
       icon = FindWindowExA(tray, icon, "__winex11_tray_icon", nullptr))
    icons.push_back(icon);
  return icons;
}

std::string TrayTipOf(HWND icon) {
  RECT r;
  if (!GetWindowRect(icon, &r)) return std::string();
  // The tooltip shows for the icon the pointer rests on after it moved.
  MoveMouse(r.left + 4, r.top + 4);
  MoveMouse(r.left + 8, r.top + 8);
  for (int waited = 0; waited < 3000; waited += 100) {
    Sleep(100);
    // Every icon has a tooltip window of its own: take the one showing.
    HWND tip = nullptr;
    while ((tip = FindWindowExA(nullptr, tip, "tooltips_class32", nullptr)) && !IsWindowVisible(tip)) {
    }
    wchar_t wide[256] = L"";
    if (!tip) continue;
    SendMessageW(tip, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(wide));
    if (!wide[0]) continue;
    char text[512] = "";
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    MoveMouse(600, 500);
    return text;
  }
  MoveMouse(600, 500);
  return std::string();
}

bool DragWidget(const Widget& widget, int dx, int dy) {
  const RECT main = widget.Rect(55);
  const POINT from = OnThePlate(main);
  const int steps = 10;
  MoveMouse(from.x, from.y);
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  Sleep(300);  // the loop starts the system's move while the button is held
  for (int step = 1; step <= steps; ++step)
    MoveMouse(from.x + dx * step / steps, from.y + dy * step / steps);
  Sleep(100);
  SendMouse(MOUSEEVENTF_LEFTUP);
  return widget.WaitUntil(
      [&] {
        const RECT now = widget.Rect(55);
        return now.left == main.left + dx && now.top == main.top + dy;
      },
      3000);
}
