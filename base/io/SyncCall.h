#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

class QObject;

namespace windlark {

// A synchronous call from a worker onto the thread of a window: the worker waits until the
// function has run there. On that thread itself the function runs inline. Unlike a blocking
// queued connection the wait can be cancelled, so a window that is closing can stop a worker
// that is waiting for it without running the event loop again.
class SyncCall {
 public:
  explicit SyncCall(QObject* context);
  ~SyncCall();
  SyncCall(const SyncCall&) = delete;
  SyncCall& operator=(const SyncCall&) = delete;

  // True when the function ran; false when cancelled before it could. The function must own
  // what it uses (capture by value): after a cancel it is dropped unrun.
  bool Run(std::function<void()> function);
  // From any thread: every waiting and later Run returns false at once.
  void Cancel();
  bool Cancelled() const;

 private:
  struct Shared {
    std::mutex mutex;
    std::condition_variable done;
    bool cancelled = false;
    unsigned long long finished = 0;  // number of calls that have run
  };

  QObject* m_context;
  std::shared_ptr<Shared> m_shared = std::make_shared<Shared>();
  unsigned long long m_issued = 0;
};

}  // namespace windlark
