#include "tests/support/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

extern char** environ;

namespace {

const int kSliceMilliseconds = 10;
const int kEndMilliseconds = 5000;

}  // namespace

ChildProcess::~ChildProcess() {
  if (pid_ <= 0 || status_ >= 0) return;
  Signal(SIGTERM);
  if (WaitExit(kEndMilliseconds) < 0) {
    Signal(SIGKILL);
    WaitExit(kEndMilliseconds);
  }
}

bool ChildProcess::Start(const std::string& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& environment, const std::string& output) {
  std::vector<std::string> envText;
  for (char** e = environ; *e; ++e) envText.push_back(*e);
  envText.insert(envText.end(), environment.begin(), environment.end());
  std::vector<char*> argv{const_cast<char*>(program.c_str())}, envp;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  for (const std::string& e : envText) envp.push_back(const_cast<char*>(e.c_str()));
  argv.push_back(nullptr);
  envp.push_back(nullptr);
  const std::string sink = output.empty() ? "/dev/null" : output;
  pid_ = fork();
  if (pid_ == 0) {
    const int fd = open(sink.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(fd, 1);
    dup2(fd, 2);
    execve(program.c_str(), argv.data(), envp.data());
    _exit(127);
  }
  status_ = -1;
  return pid_ > 0;
}

int ChildProcess::WaitExit(int milliseconds) {
  if (status_ >= 0 || pid_ <= 0) return status_;
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  for (;;) {
    int raw = 0;
    if (waitpid(pid_, &raw, WNOHANG) == pid_) {
      status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
      return status_;
    }
    if (std::chrono::steady_clock::now() >= end) return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(kSliceMilliseconds));
  }
}

void ChildProcess::Signal(int signal) {
  if (pid_ > 0 && status_ < 0) kill(pid_, signal);
}

std::string ProgramPath(const std::string& name) {
  const auto self = std::filesystem::read_symlink("/proc/self/exe");
  return (self.parent_path().parent_path() / "app" / name).string();
}
