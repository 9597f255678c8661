// The structural floor: the least a program must do to put the widget's own
// window structure on the screen, and nothing of the widget's work. Windows
// 55-59 and 61 with their owners, sizes and opacities and the two colour-key
// overlays; text controls 20-27 and the four image controls in two Tahoma
// fonts; one blocking loopback GET of the feed; icon windows 60, 62 and 63;
// show; then the five clouds, the tray icon and the one-second clock timer.
// Plates are solid, of the real pictures' sizes read from their headers (of
// the set for the system DPI, every figure at the widget's scale): no picture
// is decoded, no settings read, no feed parsed. It carries the widget's own
// manifest and icon (structure.rc): version 6 of the common controls, the DPI
// awareness and every class's icon belong to the structure, not to the
// widget's work. scripts/bench
// runs it beside the widget, from the widget's staged working directory.
#include <windows.h>
#include <winsock.h>
#include <shellapi.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "app/widget_layout.h"
#include "display/picture_sets.h"
#include "display/pixels.h"
#include "services/widget_numbers.h"
#include "services/widget_scale.h"
#include "tools/bench/solid_plate.h"

namespace {

const int kMainOpacity = 220;
const int kOpaque = 255;
const UINT kClockPeriodMs = 1000;
const int kLargeFontPoints = 13;
const int kSmallFontPoints = 10;
const uint32_t kPlateGrey = 0xFF404040u;  // opaque, premultiplied
const uint16_t kFeedPort = 8930;
const char kFeedRequest[] =
    "GET /xml/27612_1.xml HTTP/1.1\r\nAccept: */*\r\nHost: 127.0.0.1:8930\r\n"
    "Connection: close\r\n\r\n";
const UINT kTrayMessage = WM_APP + 1;

struct Size {
  int width = 0;
  int height = 0;
};

// A control as the widget creates it: number, place and first text.
struct ControlPlace {
  int number;
  int x, y, width, height;
  const char* text;
  int font;  // 0: the default GUI font
};

// The same places the widget's start-up and panel update use.
const ControlPlace kForecastTexts[] = {
    {kTodayText, 30, 30, 95, 15, "Сегодня", 0},
    {kTomorrowText, 190, 30, 95, 15, "Завтра", 0},
};
const ControlPlace kClockTexts[] = {
    {kTownText, 10, 105, 100, 20, "", kLargeFont},
    {kSkyText, 10, 126, 150, 15, "", kSmallFont},
    {kTemperatureRangeText, 10, 142, 80, 15, "", kSmallFont},
    {kDateLineText, 170, 105, 130, 20, "", kLargeFont},
    {kWindText, 175, 126, 130, 15, "", 0},
    {kHumidityText, 190, 142, 110, 15, "", kSmallFont},
};
const int kDigitX[] = {36, 90, 165, 219};
const int kDigitTop = 2, kDigitWidth = 48, kDigitHeight = 83;

struct IconPlace {
  int window, dx, dy, owner;
  const char* picture;
};
const IconPlace kIcons[] = {
    {kDayIconWindow, 95, 110, kLeftFlipWindow, "Weather/sun.png"},
    {kTodayIconWindow, 42, 180, kForecastOverlay, "Weather/sun_min.png"},
    {kTomorrowIconWindow, 200, 180, kForecastOverlay, "Weather/sun_min.png"},
};

const char* CloudPicture(int image) {
  switch (image) {
    case kCloud1Image:
      return "Weather/cloud_1.png";
    case kCloud4Image:
      return "Weather/cloud_4.png";
    case kCloud5Image:
      return "Weather/cloud_5.png";
    case kCloud6Image:
      return "Weather/cloud_6.png";
    default:
      return "Weather/cloud_7.png";
  }
}

HWND windows[kCityWindow + 1];
int mainLeft, mainTop;
HFONT largeFont, smallFont;
HBRUSH keyBrush;

// Width and height from the PNG's header chunk: no decoding.
Size HeaderSize(const std::string& path) {
  Size size;
  unsigned char head[24];
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return size;
  if (std::fread(head, 1, sizeof head, file) == sizeof head) {
    size.width = head[16] << 24 | head[17] << 16 | head[18] << 8 | head[19];
    size.height = head[20] << 24 | head[21] << 16 | head[22] << 8 | head[23];
  }
  std::fclose(file);
  return size;
}

// The size the widget gives a picture at its scale, from the set it loads.
Size PictureSize(const char* path) {
  const int percent = PictureSetFor(WidgetDpi());
  Size size = HeaderSize(PictureSetPath(path, percent));
  size.width = SideAtDpi(size.width, percent, WidgetDpi());
  size.height = SideAtDpi(size.height, percent, WidgetDpi());
  return size;
}

LRESULT CALLBACK StructureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CTLCOLORSTATIC:
      SetTextColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
      SetBkColor(reinterpret_cast<HDC>(wParam), static_cast<COLORREF>(KeyColour));
      return reinterpret_cast<LRESULT>(keyBrush);
    case WM_DESTROY:
      if (window == windows[kMainWindow]) PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void RegisterClassOf(int number) {
  char name[32];
  std::snprintf(name, sizeof name, "WindowClass_%d", number);
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = StructureProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hIcon = LoadIconA(windowClass.hInstance, MAKEINTRESOURCEA(1));
  windowClass.hIconSm = static_cast<HICON>(
      LoadImageA(windowClass.hInstance, MAKEINTRESOURCEA(1), IMAGE_ICON,
                 GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  windowClass.lpszClassName = name;
  RegisterClassExA(&windowClass);
}

// Hidden, borderless, layered after creation and presented, as the widget's.
// At its offset (96-DPI pixels) from the main window's opening place.
HWND OpenLayered(int number, int dx, int dy, Size size, int owner, const char* title, int opacity) {
  const int x = mainLeft + Scaled(dx), y = mainTop + Scaled(dy);
  RegisterClassOf(number);
  char name[32];
  std::snprintf(name, sizeof name, "WindowClass_%d", number);
  HWND window = CreateWindowExA(0, name, title, WS_POPUP, x, y, size.width, size.height,
                                owner ? windows[owner] : nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  windows[number] = window;
  SetWindowLongA(window, GWL_EXSTYLE, GetWindowLongA(window, GWL_EXSTYLE) | WS_EX_LAYERED);
  PresentSolidPlate(window, size.width, size.height, kPlateGrey, opacity);
  return window;
}

void SwitchToColourKey(HWND window) {
  SetClassLongPtrA(window, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(keyBrush));
  SetLayeredWindowAttributes(window, static_cast<COLORREF>(KeyColour), 0, LWA_COLORKEY);
}

HWND AddStatic(HWND parent, int number, int x, int y, int width, int height, const char* text,
               DWORD style) {
  HWND control = CreateWindowExA(
      0, "Static", text, style, Scaled(x), Scaled(y), Scaled(width), Scaled(height), parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(number)), GetModuleHandleA(nullptr), nullptr);
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
               TRUE);
  return control;
}

void AddTexts(HWND parent, const ControlPlace* places, int count) {
  for (int i = 0; i < count; ++i) {
    const ControlPlace& p = places[i];
    HWND control = AddStatic(parent, p.number, p.x, p.y, p.width, p.height, p.text,
                             WS_CHILD | WS_VISIBLE | WS_GROUP);
    HFONT font = p.font == kLargeFont ? largeFont : p.font == kSmallFont ? smallFont : nullptr;
    if (font) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
}

HFONT Tahoma(int points) {
  HDC display = GetDC(nullptr);
  const int dpi = GetDeviceCaps(display, LOGPIXELSY);
  ReleaseDC(nullptr, display);
  return CreateFontA(-MulDiv(points, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                     DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, "Tahoma");
}

// One blocking GET of the feed on the built-in loopback host, read to its end.
void FetchFeed() {
  const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_port = htons(kFeedPort);
  address.sin_addr.s_addr = inet_addr("127.0.0.1");
  if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
    send(s, kFeedRequest, sizeof kFeedRequest - 1, 0);
    char buffer[1024];
    while (recv(s, buffer, sizeof buffer, 0) > 0) {
    }
  }
  closesocket(s);
}

void AddTrayIcon(HWND owner) {
  NOTIFYICONDATAA icon = {};
  icon.cbSize = sizeof icon;
  icon.hWnd = owner;
  icon.uID = kTrayIcon;
  icon.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
  icon.uCallbackMessage = kTrayMessage;
  icon.hIcon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));  // IDI_APPLICATION
  Shell_NotifyIconA(NIM_ADD, &icon);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  WSADATA data;
  WSAStartup(MAKEWORD(1, 1), &data);
  keyBrush = CreateSolidBrush(static_cast<COLORREF>(KeyColour));
  HDC screen = GetDC(nullptr);
  SetWidgetDpi(GetDeviceCaps(screen, LOGPIXELSY));
  ReleaseDC(nullptr, screen);
  const Size base = PictureSize("Resources/base.png");
  const Size forecast = PictureSize("Resources/forecast.png");
  const Size flip = PictureSize("Resources/flip_bg.png");

  mainLeft = MainWindowOpeningLeft(GetSystemMetrics(SM_CXSCREEN));
  mainTop = Scaled(kMainWindowTop);
  OpenLayered(kMainWindow, 0, 0, base, 0, "Погода", kMainOpacity);
  OpenLayered(kForecastWindow, 3, 200, forecast, kMainWindow, "6", kOpaque);
  SwitchToColourKey(OpenLayered(kForecastOverlay, 3, 200, forecast, kForecastWindow, "6", kOpaque));
  AddTexts(windows[kForecastOverlay], kForecastTexts, 2);
  OpenLayered(kLeftFlipWindow, 22, -25, flip, kMainWindow, "6", kOpaque);
  OpenLayered(kRightFlipWindow, 151, -25, flip, kLeftFlipWindow, "", kOpaque);
  SwitchToColourKey(OpenLayered(kClockOverlay, 0, 0, base, kRightFlipWindow, "Test", kOpaque));
  for (int i = 0; i < 4; ++i)
    AddStatic(windows[kClockOverlay], kFirstDigitImageControl + i, kDigitX[i], kDigitTop,
              kDigitWidth, kDigitHeight, "", WS_CHILD | WS_VISIBLE | SS_NOTIFY);
  largeFont = Tahoma(kLargeFontPoints);
  smallFont = Tahoma(kSmallFontPoints);
  AddTexts(windows[kClockOverlay], kClockTexts, 6);

  FetchFeed();
  for (const IconPlace& icon : kIcons)
    OpenLayered(icon.window, icon.dx, icon.dy, PictureSize(icon.picture), icon.owner, "", kOpaque);
  for (int number : {kMainWindow, kForecastWindow, kLeftFlipWindow, kRightFlipWindow, kClockOverlay,
                     kForecastOverlay, kDayIconWindow, kTodayIconWindow, kTomorrowIconWindow})
    ShowWindow(windows[number], SW_SHOWNORMAL);

  for (const CloudOpening& cloud : kCloudOpenings)
    OpenLayered(cloud.window, cloud.dx, cloud.dy, PictureSize(CloudPicture(cloud.image)),
                kForecastOverlay, "", kOpaque);
  for (const CloudOpening& cloud : kCloudOpenings) ShowWindow(windows[cloud.window], SW_SHOWNORMAL);
  AddTrayIcon(windows[kMainWindow]);
  SetTimer(windows[kMainWindow], kClockTimer, kClockPeriodMs, nullptr);

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
