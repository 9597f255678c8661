// The platform's part of a refresh, without any of the widget's code: what a
// refresh asks of the window system, repeated, to see what memory Wine keeps
// for it. Per round: new texts for eight static controls and the main
// window's title, three pictures made and deleted, and the four icon windows
// destroyed, created (owned, layered, presented) and shown or hidden, with
// the message loop running between rounds as the widget's does. Prints the
// process's anonymous memory (Wine's PagefileUsage) after the warm-up and at
// the end: "churn ROUNDS" (scripts/soak --churn runs it).
#include <windows.h>
#include <winsock.h>
#include <psapi.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tools/bench/solid_plate.h"

namespace {

const int kWarmUpRounds = 100;
const UINT kRoundMessage = WM_APP + 1;
const int kTextControls = 8;
const int kIconWindows = 4;
struct IconShape {
  int width, height, dx, dy;
  bool shown;
};
const IconShape kIcons[kIconWindows] = {{96, 92, 95, 110, true},
                                        {96, 92, 95, 110, false},
                                        {48, 48, 42, 180, true},
                                        {48, 48, 200, 180, true}};

HWND plate, overlay, icons[kIconWindows];
HWND texts[kTextControls];
int rounds, done;
bool fetch;

long long AnonymousBytes() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return static_cast<long long>(counters.PagefileUsage);
}

HWND Popup(const char* name, int x, int y, int width, int height, HWND owner) {
  HWND window = CreateWindowExA(0, name, "", WS_POPUP, x, y, width, height, owner, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  SetWindowLongA(window, GWL_EXSTYLE, GetWindowLongA(window, GWL_EXSTYLE) | WS_EX_LAYERED);
  PresentSolidPlate(window, width, height, 0xFF808080u, 255);
  return window;
}

// A blocking GET, its answer written to nim.xml and read back, as a refresh
// downloads and loads its feed.
void FetchFeed(int round) {
  const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_port = htons(8930);
  address.sin_addr.s_addr = inet_addr("127.0.0.1");
  char request[128];
  std::snprintf(request, sizeof request,
                "GET /xml/%s_1.xml HTTP/1.1\r\nHost: 127.0.0.1:8930\r\nConnection: close\r\n\r\n",
                round % 2 ? "27612" : "26063");
  HANDLE file = CreateFileA("nim.xml", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
    send(s, request, static_cast<int>(std::strlen(request)), 0);
    char buffer[1024];
    DWORD written = 0;
    for (int n; (n = recv(s, buffer, sizeof buffer, 0)) > 0;)
      WriteFile(file, buffer, static_cast<DWORD>(n), &written, nullptr);
  }
  closesocket(s);
  CloseHandle(file);
  file = CreateFileA("nim.xml", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  char content[16384];
  DWORD read = 0;
  ReadFile(file, content, sizeof content, &read, nullptr);
  CloseHandle(file);
}

void Round() {
  if (fetch) FetchFeed(done);
  char text[64];
  for (int i = 0; i < kTextControls; ++i) {
    std::snprintf(text, sizeof text, "%s %d", done % 2 ? "Москва" : "Питер", i - done % 7);
    SetWindowTextA(texts[i], text);
  }
  SetWindowTextA(plate, done % 2 ? "-5..-2" : "-3..0");
  for (int i = 0; i < 3; ++i) {
    void* bits = nullptr;
    if (HBITMAP picture = CreatePlateSection(96, 92, &bits)) DeleteObject(picture);
  }
  for (int i = 0; i < kIconWindows; ++i) {
    const IconShape& s = kIcons[i];
    if (icons[i]) DestroyWindow(icons[i]);
    icons[i] =
        Popup("ChurnIcon", 500 + s.dx, 40 + s.dy, s.width, s.height, i < 2 ? plate : overlay);
    ShowWindow(icons[i], s.shown ? SW_SHOWNORMAL : SW_HIDE);
  }
}

LRESULT CALLBACK ChurnProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kRoundMessage) {
    Round();
    ++done;
    if (done == kWarmUpRounds) std::printf("after %d rounds: %lld bytes\n", done, AnonymousBytes());
    if (done < kWarmUpRounds + rounds)
      PostMessageA(window, kRoundMessage, 0, 0);
    else
      PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
  rounds = argc > 1 ? std::atoi(argv[1]) : 1000;
  fetch = argc > 2 && std::strcmp(argv[2], "--fetch") == 0;
  WSADATA data;
  WSAStartup(MAKEWORD(1, 1), &data);
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = ChurnProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "ChurnPlate";
  RegisterClassA(&windowClass);
  // The widget's classes carry its icon; Wine gives each new window's X
  // window that icon.
  if (argc > 3 && std::strcmp(argv[3], "--class-icon") == 0)
    windowClass.hIcon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));  // IDI_APPLICATION
  windowClass.lpszClassName = "ChurnIcon";
  RegisterClassA(&windowClass);
  plate = Popup("ChurnPlate", 500, 40, 306, 194, nullptr);
  overlay = Popup("ChurnPlate", 503, 240, 300, 120, plate);
  // Like the widget's overlays: painted the ordinary way, key colour see-through.
  SetLayeredWindowAttributes(overlay, RGB(255, 0, 255), 0, LWA_COLORKEY);
  ShowWindow(plate, SW_SHOWNORMAL);
  ShowWindow(overlay, SW_SHOWNORMAL);
  HFONT tahoma =
      CreateFontA(-17, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Tahoma");
  for (int i = 0; i < kTextControls; ++i) {
    texts[i] = CreateWindowExA(0, "Static", "", WS_CHILD | WS_VISIBLE, 10, 10 + 16 * i, 150, 15,
                               overlay, nullptr, GetModuleHandleA(nullptr), nullptr);
    SendMessageA(texts[i], WM_SETFONT, reinterpret_cast<WPARAM>(tahoma), TRUE);
  }
  PostMessageA(plate, kRoundMessage, 0, 0);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  std::printf("after %d rounds: %lld bytes\n", done, AnonymousBytes());
  return 0;
}
