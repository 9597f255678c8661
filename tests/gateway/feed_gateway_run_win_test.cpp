// The real nimbrel-feed.exe against a forecast service faked on loopback,
// and the real widget starting it: requests over sockets, processes seen
// from outside.
#include <windows.h>
#include <winsock.h>

#include <gtest/gtest.h>

#include <atomic>
#include <ctime>
#include <filesystem>
#include <sstream>
#include <memory>
#include <string>
#include <vector>

#include "gateway/gateway_options.h"
#include "tests/support/process_windows.h"
#include "tests/support/loopback_server.h"
#include "tests/support/scratch_dir.h"

namespace fs = std::filesystem;

namespace {

const int kUtcOffset = 10800;  // Moscow, as the fake answers
const int kHoursAnswered = 72;
const int kAnswerMs = 20000;
const char kMoscow[] = "27612 Москва\r\n";

fs::path AppDir() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return fs::path(path).parent_path().parent_path() / "app";
}

// Three days of hours from today's midnight in Moscow, every hour alike:
// overcast, snow, -3.4 degrees, 88 %, 4.1 m/s from the west.
std::string TodaysAnswer() {
  std::time_t midnight = std::time(nullptr) + kUtcOffset;
  midnight -= midnight % 86400;
  std::string times, t, h, c, w, s, d;
  for (int hour = 0; hour < kHoursAnswered; ++hour) {
    const std::time_t at = midnight + hour * 3600;
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "\"%Y-%m-%dT%H:00\"", std::gmtime(&at));
    const std::string sep = hour ? "," : "";
    times += sep + stamp;
    t += sep + "-3.4", h += sep + "88", c += sep + "100";
    w += sep + "71", s += sep + "4.1", d += sep + "270";
  }
  const std::string body = "{\"utc_offset_seconds\":" + std::to_string(kUtcOffset) +
                           ",\"timezone\":\"Europe/Moscow\",\"hourly\":{\"time\":[" + times +
                           "],\"temperature_2m\":[" + t + "],\"relative_humidity_2m\":[" + h +
                           "],\"cloud_cover\":[" + c + "],\"weather_code\":[" + w +
                           "],\"wind_speed_10m\":[" + s + "],\"wind_direction_10m\":[" + d + "]}}";
  return "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: " +
         std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

struct Reply {
  int status = 0;
  std::string body;
};

SOCKET Connect(uint16_t port) {
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in at{};
  at.sin_family = AF_INET;
  at.sin_port = htons(port);
  at.sin_addr.s_addr = inet_addr("127.0.0.1");
  if (connect(s, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0) return s;
  closesocket(s);
  return INVALID_SOCKET;
}

// Sends the bytes and reads the whole answer up to the server's close.
Reply Exchange(uint16_t port, const std::string& bytes) {
  Reply reply;
  SOCKET s = Connect(port);
  if (s == INVALID_SOCKET) return reply;
  send(s, bytes.data(), static_cast<int>(bytes.size()), 0);
  std::string answer;
  char piece[4096];
  for (int n; Readable(s, kAnswerMs) && (n = recv(s, piece, sizeof piece, 0)) > 0;)
    answer.append(piece, n);
  closesocket(s);
  if (answer.compare(0, 9, "HTTP/1.1 ") == 0) reply.status = std::atoi(answer.c_str() + 9);
  const auto head = answer.find("\r\n\r\n");
  if (head != std::string::npos) reply.body = answer.substr(head + 4);
  return reply;
}

Reply Get(uint16_t port, const std::string& path) {
  return Exchange(port, "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
}

uint16_t FreePort() {
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(1, 1), &data) == 0;
  }();
  if (!started) return 0;
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in at{};
  at.sin_family = AF_INET;
  at.sin_addr.s_addr = inet_addr("127.0.0.1");
  int length = sizeof at;
  bind(s, reinterpret_cast<sockaddr*>(&at), sizeof at);
  getsockname(s, reinterpret_cast<sockaddr*>(&at), &length);
  closesocket(s);
  return ntohs(at.sin_port);
}

bool Answering(uint16_t port) {
  const SOCKET s = Connect(port);
  if (s == INVALID_SOCKET) return false;
  closesocket(s);
  return true;
}

bool WaitAnswering(uint16_t port, int ms) {
  for (int waited = 0; waited < ms; waited += 50) {
    SOCKET s = Connect(port);
    if (s != INVALID_SOCKET) {
      closesocket(s);
      return true;
    }
    Sleep(50);
  }
  return false;
}

class Process {
 public:
  ~Process() { End(); }

  // Starts exe with the arguments; its standard error goes to a pipe that
  // Output() reads after the end.
  bool Start(const fs::path& exe, const std::vector<std::string>& args) {
    std::string command = "\"" + exe.string() + "\"";
    for (const std::string& a : args) command += " " + a;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE write = nullptr;
    CreatePipe(&read_, &write, &inherit, 1 << 16);
    SetHandleInformation(read_, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = write;
    const bool started = CreateProcessA(exe.string().c_str(), &command[0], nullptr, nullptr, TRUE,
                                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process_);
    CloseHandle(write);
    return started;
  }
  // The exit code, or -1 while it still runs after ms.
  long WaitExit(int ms) {
    if (WaitForSingleObject(process_.hProcess, ms) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return static_cast<long>(code);
  }
  std::string Output() {
    std::string text;
    char piece[512];
    DWORD got = 0;
    while (ReadFile(read_, piece, sizeof piece, &got, nullptr) && got) text.append(piece, got);
    return text;
  }
  void End() {
    if (process_.hProcess) {
      if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.hProcess, 99);
        WaitForSingleObject(process_.hProcess, 5000);
      }
      CloseHandle(process_.hThread);
      CloseHandle(process_.hProcess);
    }
    if (read_) CloseHandle(read_);
    process_ = PROCESS_INFORMATION{};
    read_ = nullptr;
  }
  DWORD Id() const { return process_.dwProcessId; }

 private:
  PROCESS_INFORMATION process_{};
  HANDLE read_ = nullptr;
};

class GatewayRun : public ::testing::Test {
 protected:
  void SetUp() override {
    upstream_ = std::make_unique<LoopbackServer>(RespondWith(TodaysAnswer()));
    ASSERT_TRUE(upstream_->Listening());
  }

  std::vector<std::string> Args(std::vector<std::string> extra) {
    std::vector<std::string> args = {"--listen",    "127.0.0.1:" + std::to_string(port_),
                                     "--upstream",  upstream_->Url("/v1/forecast"),
                                     "--idle-exit", "60"};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
  }

  void StartGateway(std::vector<std::string> extra = {}) {
    ASSERT_TRUE(gateway_.Start(AppDir() / "nimbrel-feed.exe", Args(extra)));
    ASSERT_TRUE(WaitAnswering(port_, 10000))
        << (gateway_.WaitExit(0) == -1 ? "still starting" : gateway_.Output());
  }

  ScratchDir scratch_;
  uint16_t port_ = FreePort();
  std::unique_ptr<LoopbackServer> upstream_;
  Process gateway_;
};

TEST_F(GatewayRun, AnswersTwoRequestsWithOneUpstreamCallAndOutlivesBadOnes) {
  StartGateway();
  const Reply first = Get(port_, "/xml/27612_1.xml");
  ASSERT_EQ(first.status, 200);
  EXPECT_NE(first.body.find("<FORECAST"), std::string::npos) << first.body;
  EXPECT_EQ(Get(port_, "/xml/27612_1.xml").body, first.body);
  EXPECT_EQ(upstream_->Connections(), 1);
  EXPECT_NE(upstream_->Requests().at(0).find("GET /v1/forecast?latitude=55.8333&longitude=37.6167"),
            std::string::npos);

  EXPECT_EQ(Exchange(port_, "GARBAGE\r\n\r\n").status, 400);
  EXPECT_EQ(Exchange(port_, "GET / HTTP/1.1\r\nX: " + std::string(9000, 'a')).status, 431);
  EXPECT_EQ(Get(port_, "/xml/99999_1.xml").status, 404);
  const Reply page = Get(port_, "/");
  EXPECT_EQ(page.status, 200);
  EXPECT_NE(page.body.find("Weather data by Open-Meteo.com"), std::string::npos);
  EXPECT_EQ(Get(port_, "/xml/27612_1.xml").status, 200) << "bad requests leave it serving";

  Process second;
  ASSERT_TRUE(second.Start(AppDir() / "nimbrel-feed.exe", Args({})));
  EXPECT_EQ(second.WaitExit(5000), 3);
  EXPECT_NE(second.Output().find("is taken"), std::string::npos);
}

TEST_F(GatewayRun, ServesTheLastGoodFeedWhenTheUpstreamIsGone) {
  StartGateway({"--refresh", "1", "--fetch-limit", "2"});
  const Reply first = Get(port_, "/xml/27612_1.xml");
  ASSERT_EQ(first.status, 200);
  upstream_.reset();
  Sleep(1100);
  const Reply later = Get(port_, "/xml/27612_1.xml");
  EXPECT_EQ(later.status, 200);
  EXPECT_EQ(later.body, first.body);
}

TEST_F(GatewayRun, GivesUpOnASilentUpstreamAtTheFetchLimit) {
  upstream_ = std::make_unique<LoopbackServer>([](LoopbackConnection& c) { c.HoldSilent(15000); });
  StartGateway({"--fetch-limit", "2"});
  const DWORD start = GetTickCount();
  EXPECT_EQ(Get(port_, "/xml/27612_1.xml").status, 503);
  const DWORD took = GetTickCount() - start;
  EXPECT_GE(took, 1500u);
  EXPECT_LT(took, 6000u);
}

TEST_F(GatewayRun, EndsByItselfAfterTheIdleTime) {
  ASSERT_TRUE(
      gateway_.Start(AppDir() / "nimbrel-feed.exe",
                     {"--listen", "127.0.0.1:" + std::to_string(port_), "--idle-exit", "1"}));
  EXPECT_EQ(gateway_.WaitExit(6000), 0);
}

TEST_F(GatewayRun, WritesEveryCitysFeedAndRebuildsItFromItsCacheOnTheNextRun) {
  WriteFileBytes("cities.txt", std::string(kMoscow) + "26063 Питер\r\n");
  WriteFileBytes("stations.txt", "27612 55.8333 37.6167\n26063 59.9667 30.3\n");
  WriteFileBytes("out/xml/26063_1.xml", "old");
  WriteFileBytes("out/xml/27612_1.xml.new", "half a feed");
  const std::vector<std::string> once = {"--cities",    "cities.txt", "--stations", "stations.txt",
                                         "--write-dir", "out",        "--once"};
  for (int run = 1; run <= 2; ++run) {
    Process batch;
    ASSERT_TRUE(batch.Start(AppDir() / "nimbrel-feed.exe", Args(once)));
    EXPECT_EQ(batch.WaitExit(20000), 0) << batch.Output();
    EXPECT_EQ(upstream_->Connections(), 2) << "the second run finds nothing due";
  }
  for (const char* code : {"27612", "26063"})
    EXPECT_NE(ReadFileBytes(std::string("out/xml/") + code + "_1.xml").find("<FORECAST"),
              std::string::npos)
        << code;
  EXPECT_FALSE(fs::exists("out/xml/27612_1.xml.new"));
}

TEST_F(GatewayRun, EndsWithinTwoSecondsOfItsParentAndNeverForIdleness) {
  Process parent;
  ASSERT_TRUE(parent.Start(AppDir() / "nimbrel-feed.exe",
                           {"--listen", "127.0.0.1:" + std::to_string(FreePort())}));
  StartGateway({"--parent", std::to_string(parent.Id()), "--idle-exit", "1"});
  EXPECT_EQ(gateway_.WaitExit(1500), -1);
  parent.End();
  const DWORD start = GetTickCount();
  EXPECT_EQ(gateway_.WaitExit(5000), 0);
  EXPECT_LT(GetTickCount() - start, 2000u);
}

// --- The widget starts its gateway -------------------------------------------

const uint16_t kWidgetFeedPort = 8930;  // the widget's built-in feed address

std::string ControlText(DWORD pid, int window, int control) {
  HWND found = FindProcessWindow(pid, "WindowClass_" + std::to_string(window));
  char text[256] = "";
  if (found) GetWindowTextA(GetDlgItem(found, control), text, sizeof text);
  return text;
}

// The widget's working directory staged from the built program's folder,
// with Moscow saved.
void StageWidgetForMoscow(const fs::path& app) {
  for (const char* folder : {"Digits", "Resources", "Weather"})
    fs::copy(app / folder, folder, fs::copy_options::recursive);
  fs::copy(app / "NimbrelCodSity.txt", "NimbrelCodSity.txt");
  WriteFileBytes("inform.ini", "ID=27612\r\n");
}

struct PanelsSeen {
  bool shown = false;
  std::vector<std::string> texts;  // sky, temperature, wind, humidity
};

// Waits up to 20 s for window 59 to show Moscow, then reads its texts.
PanelsSeen WaitForMoscowPanels(DWORD widget) {
  PanelsSeen seen;
  for (int waited = 0; waited < 20000 && !seen.shown; waited += 100) {
    // The panel texts are set one after another, the humidity last.
    seen.shown = ControlText(widget, 59, 20) == "Москва" && !ControlText(widget, 59, 25).empty();
    if (!seen.shown) Sleep(100);
  }
  for (int control : {21, 22, 24, 25}) seen.texts.push_back(ControlText(widget, 59, control));
  return seen;
}

void EndProcess(DWORD id) {
  HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
  if (!process) return;
  TerminateProcess(process, 99);
  WaitForSingleObject(process, 5000);
  CloseHandle(process);
}

// Waits up to `ms` for nothing to answer on the port (other widget tests
// serve it for a moment, and a gateway ends within 2 s of its widget).
bool WaitPortFree(uint16_t port, int ms) {
  for (int waited = 0; waited < ms; waited += 200) {
    if (!Answering(port)) return true;
    Sleep(200);
  }
  return false;
}

// The widget staged in the working directory, its gateway asking
// `upstream`; ended with every gateway it started.
class WidgetSession {
 public:
  explicit WidgetSession(const std::string& upstream) {
    if (!WaitPortFree(kWidgetFeedPort, 30000)) return;
    // The gateway inherits the widget's environment, so it asks the fake.
    SetEnvironmentVariableA(kUpstreamVariable, upstream.c_str());
    started_ = widget_.Start(AppDir() / "nimbrel.exe", {});
    SetEnvironmentVariableA(kUpstreamVariable, nullptr);
  }
  ~WidgetSession() { End(); }
  bool Started() const { return started_; }
  DWORD Id() const { return widget_.Id(); }
  bool Visible(int ms) const {
    for (int waited = 0; waited < ms; waited += 50) {
      const HWND main = FindProcessWindow(widget_.Id(), "WindowClass_55");
      if (main && IsWindowVisible(main)) return true;
      Sleep(50);
    }
    return false;
  }
  // Every message answered within the bound, asked every 100 ms for `ms`.
  bool KeepsAnswering(int ms, int boundMs) const {
    const HWND main = FindProcessWindow(widget_.Id(), "WindowClass_55");
    for (int waited = 0; main && waited < ms; waited += 100) {
      DWORD_PTR result = 0;
      if (!SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, boundMs, &result)) return false;
      Sleep(100);
    }
    return main != nullptr;
  }
  std::vector<DWORD> Gateways() const {
    return ChildProcessesNamed(widget_.Id(), "nimbrel-feed.exe");
  }
  void End() {
    if (!started_) return;
    const std::vector<DWORD> gateways = Gateways();
    widget_.End();
    for (DWORD id : gateways) EndProcess(id);
    started_ = false;
  }

 private:
  Process widget_;
  bool started_ = false;
};

TEST_F(GatewayRun, TheWidgetStartsItsGatewayAndShowsTheMappedForecast) {
  // A real round trip away.
  upstream_ = std::make_unique<LoopbackServer>([](LoopbackConnection& c) {
    c.Pause(400);
    c.Send(TodaysAnswer());
  });
  StageWidgetForMoscow(AppDir());
  WidgetSession widget(upstream_->Url("/v1/forecast"));
  ASSERT_TRUE(widget.Started()) << "port " << kWidgetFeedPort << " is taken";
  const PanelsSeen panels = WaitForMoscowPanels(widget.Id());
  const std::vector<DWORD> gateways = widget.Gateways();
  widget.End();
  ASSERT_TRUE(panels.shown) << "the panels never showed the town";
  EXPECT_EQ(gateways.size(), 1u);
  EXPECT_EQ(upstream_->Connections(), 1);
  EXPECT_EQ(panels.texts,
            (std::vector<std::string>{"Пасмурно, Снег", "-3...-3°C", "Вет. западный    4...4m\\c",
                                      "Влаж: 88...88 %"}));
  EXPECT_TRUE(fs::exists("feedcache/27612.forecast")) << "kept beside nim.xml";
}

// --- The widget on a network that is not simply up ---------------------------

// The forecast service as the network lets the gateway see it: answering,
// every connection closed at once (no network yet, a firewall), or taken
// and never answered (a captive portal, a firewall that drops).
enum class Reach { Up, Closed, Silent };

class ChangingNetwork : public GatewayRun {
 protected:
  void SetUp() override {
    upstream_ = std::make_unique<LoopbackServer>([this](LoopbackConnection& c) {
      switch (reach_.load()) {
        case Reach::Up:
          return c.Send(TodaysAnswer());
        case Reach::Closed:
          return c.Close();
        case Reach::Silent:
          return c.HoldSilent(15000);
      }
    });
    ASSERT_TRUE(upstream_->Listening());
    // A user's folder as it is named here, not in ASCII: the gateway keeps
    // its forecasts in it.
    ASSERT_TRUE(CreateDirectoryA("Погода", nullptr) && SetCurrentDirectoryA("Погода"));
    StageWidgetForMoscow(AppDir());
  }

  std::string Url() const { return upstream_->Url("/v1/forecast"); }

  // A session that got its forecast and ended, as at log-off; its nim.xml
  // goes, so that only a new download can show the town again.
  void LastSession() {
    WidgetSession widget(Url());
    ASSERT_TRUE(widget.Started());
    ASSERT_TRUE(WaitForMoscowPanels(widget.Id()).shown);
    widget.End();
    fs::remove("nim.xml");
  }

  std::atomic<Reach> reach_{Reach::Up};
};

TEST_F(ChangingNetwork, LogOnBeforeTheNetworkShowsWeatherSoonAfterItComesUp) {
  reach_ = Reach::Closed;
  WidgetSession widget(Url());
  ASSERT_TRUE(widget.Started());
  ASSERT_TRUE(widget.Visible(10000));
  Sleep(1000);
  EXPECT_NE(ControlText(widget.Id(), 59, 20), "Москва") << "no weather without a network";
  reach_ = Reach::Up;
  // The gateway retries within 12 s and told the widget when to ask again:
  // the weather comes long before the widget's next minute.
  EXPECT_TRUE(WaitForMoscowPanels(widget.Id()).shown);
  EXPECT_GE(upstream_->Connections(), 2);
}

TEST_F(ChangingNetwork, ASecondLogOnWithTheNetworkDownShowsTheLastSessionsForecast) {
  LastSession();
  reach_ = Reach::Closed;
  WidgetSession widget(Url());
  ASSERT_TRUE(widget.Started());
  const PanelsSeen panels = WaitForMoscowPanels(widget.Id());
  ASSERT_TRUE(panels.shown) << "the gateway had nothing to serve";
  EXPECT_TRUE(fs::exists("feedcache/27612.forecast"));
  EXPECT_EQ(panels.texts.at(1), "-3...-3°C");
}

// The last session's forecast made two hours old, so that it is due again.
void AgeTheCache(std::int64_t seconds) {
  const fs::path file = "feedcache/27612.forecast";
  std::istringstream in(ReadFileBytes(file));
  std::string magic, rest;
  long long triedAt = 0, dueAt = 0, failures = 0, fetchedAt = 0;
  std::getline(in, magic);
  in >> triedAt >> dueAt >> failures >> fetchedAt;
  std::getline(in, rest, '\0');
  WriteFileBytes(file, magic + "\n" + std::to_string(triedAt - seconds) + " " +
                           std::to_string(dueAt - seconds) + " " + std::to_string(failures) + " " +
                           std::to_string(fetchedAt - seconds) + rest);
}

TEST_F(ChangingNetwork, ASilentServiceNeverHoldsUpTheWidget) {
  LastSession();
  AgeTheCache(2 * 3600);
  reach_ = Reach::Silent;
  {
    WidgetSession widget(Url());
    ASSERT_TRUE(widget.Started());
    EXPECT_TRUE(WaitForMoscowPanels(widget.Id()).shown) << "served from the cache at once";
    for (int waited = 0; waited < 5000 && upstream_->Connections() < 2; waited += 100) Sleep(100);
    EXPECT_EQ(upstream_->Connections(), 2) << "and asked in the background";
  }

  // The first start ever: nothing to serve. The widget shows itself and
  // keeps answering while the gateway's first request runs to its limit
  // and the widget asks again after the gateway's Retry-After.
  fs::remove_all("feedcache");
  fs::remove("nim.xml");
  WidgetSession widget(Url());
  ASSERT_TRUE(widget.Started());
  ASSERT_TRUE(widget.Visible(10000));
  EXPECT_TRUE(widget.KeepsAnswering(13000, 2000));
  EXPECT_NE(ControlText(widget.Id(), 59, 20), "Москва");
}
// --- Hosting for many users: the widget through stock nginx ---------------

// Wine starts Unix programs but cannot wait for them: the caller watches
// their effects (a port answering, or no longer).
bool StartUnixProgram(const std::string& commandLine) {
  std::string command = commandLine;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process))
    return false;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

// Wine shows the Unix root as drive Z:.
std::string UnixPath(const fs::path& path) {
  std::string text = fs::absolute(path).string();
  if (text.size() > 1 && (text[0] == 'Z' || text[0] == 'z') && text[1] == ':') text.erase(0, 2);
  for (char& c : text)
    if (c == '\\') c = '/';
  return text;
}

const char kNginxSite[] = NIMBREL_SOURCE_DIR "/tests/gateway/nginx_site.sh";

// Stops the nginx it started, also when the test fails.
struct NginxSite {
  ~NginxSite() {
    if (!started) return;
    StartUnixProgram("Z:\\bin\\sh " + std::string(kNginxSite) + " stop " + prefix);
    for (int waited = 0; waited < 10000 && Answering(port); waited += 100) Sleep(100);
  }
  std::string prefix;
  uint16_t port = 0;
  bool started = false;
};

TEST_F(GatewayRun, TheWidgetShowsTheWeatherThroughNginxServingTheWriteDir) {
  if (!fs::exists("Z:/usr/sbin/nginx")) GTEST_SKIP() << "no nginx here (scripts/setup installs it)";
  bool free = false;
  for (int waited = 0; waited < 30000 && !free; waited += 200) {
    free = !Answering(kWidgetFeedPort);
    if (!free) Sleep(200);
  }
  ASSERT_TRUE(free) << "port " << kWidgetFeedPort << " is taken";
  WriteFileBytes("cities.txt", kMoscow);
  WriteFileBytes("stations.txt", "27612 55.8333 37.6167\n");
  Process batch;
  ASSERT_TRUE(batch.Start(AppDir() / "nimbrel-feed.exe",
                          Args({"--cities", "cities.txt", "--stations", "stations.txt",
                                "--write-dir", "site", "--once"})));
  ASSERT_EQ(batch.WaitExit(20000), 0) << batch.Output();

  NginxSite nginx;
  nginx.prefix = UnixPath("nginx");
  nginx.port = kWidgetFeedPort;
  nginx.started =
      StartUnixProgram("Z:\\bin\\sh " + std::string(kNginxSite) + " start " + nginx.prefix + " " +
                       std::to_string(kWidgetFeedPort) + " " + UnixPath("site"));
  ASSERT_TRUE(nginx.started);
  ASSERT_TRUE(WaitAnswering(kWidgetFeedPort, 10000)) << ReadFileBytes("nginx/error.log");

  const fs::path app = AppDir();
  StageWidgetForMoscow(app);
  Process widget;
  ASSERT_TRUE(widget.Start(app / "nimbrel.exe", {}));
  const PanelsSeen panels = WaitForMoscowPanels(widget.Id());
  const std::vector<DWORD> gateways = ChildProcessesNamed(widget.Id(), "nimbrel-feed.exe");
  widget.End();
  for (DWORD id : gateways) EndProcess(id);
  ASSERT_TRUE(panels.shown) << "the panels never showed the town";
  EXPECT_TRUE(gateways.empty()) << "nginx answers on the port: no gateway is started";
  EXPECT_EQ(panels.texts,
            (std::vector<std::string>{"Пасмурно, Снег", "-3...-3°C", "Вет. западный    4...4m\\c",
                                      "Влаж: 88...88 %"}));
}

// --- The real transport: WinHTTP over TLS ------------------------------------

const char kHttpsUpstream[] = NIMBREL_SOURCE_DIR "/tests/gateway/https_upstream.sh";
// update-ca-certificates runs its hooks (a Java keystore here: about 30 s).
const int kHttpsSetUpMs = 90000;

// The fake over HTTPS on localhost; stopped again (its authority taken out
// of the host's store) also when the test fails.
struct HttpsUpstream {
  explicit HttpsUpstream(const char* trust) : dir("https") {
    started = StartUnixProgram("Z:\\bin\\sh " + std::string(kHttpsUpstream) + " start " +
                               UnixPath(dir) + " " + trust);
    for (int waited = 0; started && waited < kHttpsSetUpMs && !fs::exists(dir / "port") &&
                         !fs::exists(dir / "skipped");
         waited += 100)
      Sleep(100);
  }
  ~HttpsUpstream() {
    if (!started || fs::exists(dir / "skipped")) return;
    StartUnixProgram("Z:\\bin\\sh " + std::string(kHttpsUpstream) + " stop " + UnixPath(dir));
    for (int waited = 0; waited < kHttpsSetUpMs && !fs::exists(dir / "stopped"); waited += 100)
      Sleep(100);
  }
  bool Skipped() const { return fs::exists(dir / "skipped"); }
  std::string Url() const {
    return "https://localhost:" + ReadFileBytes(dir / "port") + "/v1/forecast";
  }
  fs::path dir;
  bool started = false;
};

TEST_F(GatewayRun, FetchesOverTlsFromAnAuthorityInTheHostsStore) {
  HttpsUpstream https("trusted");
  if (https.Skipped()) GTEST_SKIP() << "the host's trust store needs root, openssl and python3";
  ASSERT_TRUE(fs::exists(https.dir / "port"));
  StartGateway({"--upstream", https.Url(), "--fetch-limit", "5"});
  const Reply feed = Get(port_, "/xml/27612_1.xml");
  EXPECT_EQ(feed.status, 200);
  EXPECT_NE(feed.body.find("<TEMPERATURE min=\"-3\" max=\"-3\"/>"), std::string::npos) << feed.body;
}

TEST_F(GatewayRun, RefusesACertificateNobodyTrusts) {
  HttpsUpstream https("untrusted");
  if (https.Skipped()) GTEST_SKIP() << "needs openssl and python3";
  ASSERT_TRUE(fs::exists(https.dir / "port"));
  StartGateway({"--upstream", https.Url(), "--fetch-limit", "5"});
  const Reply feed = Get(port_, "/xml/27612_1.xml");
  EXPECT_EQ(feed.status, 503);
  EXPECT_EQ(feed.body.find("<FORECAST"), std::string::npos);
}

}  // namespace
