#pragma once
// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal on the user-interface
// thread (a socket pair written by the handler and watched by the event loop),
// so that the program can end through its normal save.

#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace lynx {

class SignalWatcher : public QObject {
  Q_OBJECT
 public:
  // Installs the handlers. One watcher per process; the handlers are put back
  // to the default when it is destroyed.
  explicit SignalWatcher(QObject* parent = nullptr);
  ~SignalWatcher() override;
  SignalWatcher(const SignalWatcher&) = delete;
  SignalWatcher& operator=(const SignalWatcher&) = delete;

  // True once one of the signals has been delivered to the event loop.
  bool Received() const { return lastSignal != 0; }
  int LastSignal() const { return lastSignal; }

 signals:
  // Emitted on the event loop for each signal that arrived.
  void EndRequested(int signalNumber);

 private:
  void ReadSignals();

  int fds[2] = {-1, -1};
  std::unique_ptr<QSocketNotifier> notifier;
  int lastSignal = 0;
};

}  // namespace lynx
