#include "shell/signal_watcher.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>

namespace lynx {

namespace {

constexpr std::array<int, 3> kWatched{SIGTERM, SIGINT, SIGHUP};
volatile std::sig_atomic_t writeFd = -1;

// Only async-signal-safe calls here: one byte per signal down the pipe.
extern "C" void OnSignal(int signalNumber) {
  const int savedErrno = errno;
  const unsigned char byte = static_cast<unsigned char>(signalNumber);
  if (writeFd >= 0) {
    [[maybe_unused]] const ssize_t written = ::write(writeFd, &byte, 1);
  }
  errno = savedErrno;
}

}  // namespace

SignalWatcher::SignalWatcher(QObject* parent) : QObject(parent) {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, fds) != 0) return;
  writeFd = fds[0];
  notifier = std::make_unique<QSocketNotifier>(fds[1], QSocketNotifier::Read);
  connect(notifier.get(), &QSocketNotifier::activated, this, &SignalWatcher::ReadSignals);

  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int number : kWatched) ::sigaction(number, &action, nullptr);
}

SignalWatcher::~SignalWatcher() {
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  for (const int number : kWatched) ::sigaction(number, &action, nullptr);
  writeFd = -1;
  notifier.reset();
  for (int& fd : fds) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
}

void SignalWatcher::ReadSignals() {
  // Several signals in a row end the program once: one emission per batch.
  std::array<unsigned char, 16> bytes{};
  int latest = 0;
  for (;;) {
    const ssize_t count = ::read(fds[1], bytes.data(), bytes.size());
    if (count <= 0) break;
    latest = bytes[static_cast<std::size_t>(count - 1)];
  }
  if (latest == 0) return;
  lastSignal = latest;
  emit EndRequested(latest);
}

}  // namespace lynx
