// The synchronous call of a worker onto the window's thread, and its cancellation.
#include "base/io/SyncCall.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QObject>
#include <QTest>
#include <QThread>
#include <atomic>
#include <thread>

namespace windlark {
namespace {

TEST(SyncCall, RunsInlineOnItsOwnThread) {
  QObject window;
  SyncCall call(&window);
  int runs = 0;
  EXPECT_TRUE(call.Run([&runs] { ++runs; }));
  EXPECT_EQ(runs, 1);
}

TEST(SyncCall, WorkerWaitsWhileTheFunctionRunsOnTheWindowsThread) {
  QObject window;
  SyncCall call(&window);
  std::atomic<QThread*> ranOn{nullptr};
  std::atomic<int> value{0};
  std::atomic<bool> returned{false};
  std::atomic<bool> sawValue{false};
  std::thread worker([&] {
    returned = call.Run([&] {
      ranOn = QThread::currentThread();
      value = 42;
    });
    sawValue = value == 42;
  });
  EXPECT_TRUE(QTest::qWaitFor([&] { return ranOn.load() != nullptr; }, 2000));
  worker.join();
  EXPECT_EQ(ranOn.load(), window.thread());
  EXPECT_TRUE(returned);
  EXPECT_TRUE(sawValue) << "the worker went on only after the function had run";
}

TEST(SyncCall, CancelFreesAWaitingWorkerAndDropsItsFunction) {
  QObject window;
  SyncCall call(&window);
  std::atomic<bool> finished{false};
  std::atomic<bool> result{true};
  int runs = 0;
  std::thread worker([&] {
    result = call.Run([&runs] { ++runs; });
    finished = true;
  });
  // The window's thread does not run its event loop: the worker stays blocked until cancelled.
  QThread::msleep(100);
  EXPECT_FALSE(finished);
  call.Cancel();
  worker.join();
  EXPECT_FALSE(result);
  QCoreApplication::processEvents();
  EXPECT_EQ(runs, 0);
  EXPECT_FALSE(call.Run([&runs] { ++runs; })) << "a cancelled call stays cancelled";
}

}  // namespace
}  // namespace windlark
