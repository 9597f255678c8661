#pragma once
// Everything one weather refresh touches, set up for repeated refreshes:
// a scratch directory with the icon files, the widget's windows and
// controls, and a loopback feed server answering a four-period feed with
// Content-Length. The clock is fixed at noon, so the day icon shows.

#include <memory>

#include "tests/support/loopback_server.h"
#include "tests/support/scratch_dir.h"

class RefreshRig {
 public:
  RefreshRig();
  ~RefreshRig();
  RefreshRig(const RefreshRig&) = delete;
  RefreshRig& operator=(const RefreshRig&) = delete;

  // Windows open and the server listening.
  bool Ready() const { return ready_; }
  LoopbackServer& Server() { return *server_; }

 private:
  ScratchDir scratch_;
  std::unique_ptr<LoopbackServer> server_;
  bool ready_ = false;
};
