#include "base/io/SyncCall.h"

#include <QMetaObject>
#include <QObject>
#include <QThread>

namespace windlark {

SyncCall::SyncCall(QObject* context) : m_context(context) {}

SyncCall::~SyncCall() {
  Cancel();
}

bool SyncCall::Run(std::function<void()> function) {
  if (Cancelled()) return false;
  if (QThread::currentThread() == m_context->thread()) {
    function();
    return true;
  }
  const unsigned long long ticket = ++m_issued;
  std::shared_ptr<Shared> shared = m_shared;
  QMetaObject::invokeMethod(
      m_context,
      [shared, function = std::move(function)] {
        {
          std::lock_guard lock(shared->mutex);
          if (shared->cancelled) return;
        }
        function();
        std::lock_guard lock(shared->mutex);
        ++shared->finished;
        shared->done.notify_all();
      },
      Qt::QueuedConnection);
  std::unique_lock lock(shared->mutex);
  shared->done.wait(lock, [&] { return shared->cancelled || shared->finished >= ticket; });
  return shared->finished >= ticket;
}

void SyncCall::Cancel() {
  std::lock_guard lock(m_shared->mutex);
  m_shared->cancelled = true;
  m_shared->done.notify_all();
}

bool SyncCall::Cancelled() const {
  std::lock_guard lock(m_shared->mutex);
  return m_shared->cancelled;
}

}  // namespace windlark
