#pragma once
// A program the native tests start and always end (POSIX only): its output
// goes to a file, it is killed if still running when the object goes.

#include <string>
#include <sys/types.h>
#include <vector>

class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // `environment` entries ("NAME=value") are added to ours; stdout and
  // stderr go to `output` (a file path, "" for /dev/null).
  bool Start(const std::string& program, const std::vector<std::string>& args,
             const std::vector<std::string>& environment = {}, const std::string& output = "");
  // The exit status (128 + signal when killed), or -1 while it still runs
  // after `milliseconds`.
  int WaitExit(int milliseconds);
  void Signal(int signal);
  pid_t Id() const { return pid_; }

 private:
  pid_t pid_ = -1;
  int status_ = -1;
};

// Where the native build puts the programs (build/<preset>/app).
std::string ProgramPath(const std::string& name);
