// The parent process on Linux: a pidfd turns readable when it ends, even
// while it waits unreaped; elsewhere, or on older kernels, kill(pid, 0) and
// whether we were handed over to another parent.
#include "gateway/parent_watch.h"

#include <cerrno>
#include <csignal>
#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

bool WatchParent(long pid, ParentWatch& out) {
  out = ParentWatch{};
  out.pid = pid;
  if (pid <= 0 || (kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)) return false;
  out.wasOurParent = getppid() == static_cast<pid_t>(pid);
#ifdef SYS_pidfd_open
  const long fd = syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0);
  if (fd >= 0) out.handle = fd;
#endif
  return ParentAlive(out);
}

bool ParentAlive(const ParentWatch& watch) {
  if (watch.wasOurParent && getppid() != static_cast<pid_t>(watch.pid)) return false;
  if (watch.handle >= 0) {
    pollfd ended{static_cast<int>(watch.handle), POLLIN, 0};
    return poll(&ended, 1, 0) == 0;
  }
  return kill(static_cast<pid_t>(watch.pid), 0) == 0 || errno == EPERM;
}
