#pragma once

#include <QEventLoop>
#include <QObject>
#include <QTimer>
#include <functional>

namespace windlark::test {

// Counts a signal emitted on any thread, delivered to this (the test's) thread, and waits for
// it with the event loop running.
class SignalWaiter {
 public:
  template <class Sender, class Signal>
  SignalWaiter(Sender* sender, Signal signal) {
    QObject::connect(
        sender, signal, &m_receiver,
        [this] {
          ++m_count;
          m_loop.quit();
        },
        Qt::QueuedConnection);
  }
  // True once the signal has arrived `count` times in all, within `ms`.
  bool Wait(int ms, int count = 1) {
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &m_loop, &QEventLoop::quit);
    timer.start(ms);
    while (m_count < count && timer.isActive()) m_loop.exec();
    return m_count >= count;
  }
  int Count() const { return m_count; }

 private:
  QObject m_receiver;
  QEventLoop m_loop;
  int m_count = 0;
};

}  // namespace windlark::test
