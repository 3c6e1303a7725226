// Termination signals through a self-pipe read by the Qt event loop.
#include "app/TermSignal.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <cerrno>

namespace orv {
namespace {

int gPipe[2] = {-1, -1};

extern "C" void OnTerminationSignal(int) {
  const int saved = errno;
  const char byte = 1;
  // A full pipe already holds a wake-up.
  (void)!write(gPipe[1], &byte, 1);
  errno = saved;
}

}  // namespace

void InstallTerminationSignals() {
  if (gPipe[0] >= 0) return;
  if (pipe2(gPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  struct sigaction action {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &action, nullptr);
}

void WatchTerminationSignals(std::function<void()> onSignal) {
  if (gPipe[0] < 0) return;
  // Owned by the Qt application, so it goes with the event loop it belongs to.
  auto* notifier = new QSocketNotifier(gPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
  QObject::connect(notifier, &QSocketNotifier::activated, [onSignal = std::move(onSignal)] {
    char buffer[64];
    while (read(gPipe[0], buffer, sizeof buffer) > 0) {
    }
    onSignal();
  });
}

}  // namespace orv
