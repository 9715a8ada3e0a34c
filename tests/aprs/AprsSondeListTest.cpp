#include "aprs/AprsSondeList.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

namespace windlark {
namespace {

AprsSonde Sonde(const std::string& name, int hour, int minute, int second = 0, double lat = 45) {
  AprsSonde s;
  s.name = name;
  s.hour = hour;
  s.minute = minute;
  s.second = second;
  s.latitude = lat;
  s.longitude = 7;
  return s;
}

class AprsSondeListTest : public ::testing::Test {
 protected:
  void SetUp() override { list.SetTimeOfDay(12 * 3600); }
  AprsSondeList list;
};

TEST_F(AprsSondeListTest, NewerReportsMoveASondeAndEveryReportKeepsItAlive) {
  EXPECT_TRUE(list.MergeSonde(Sonde("S1", 11, 59, 0, 45)));
  EXPECT_EQ(list.CountText(), "Avail 01");
  list.AgeSondes();
  list.AgeSondes();
  EXPECT_FALSE(list.MergeSonde(Sonde("S1", 11, 59, 0, 46))) << "same timestamp";
  EXPECT_EQ(list.Snapshot()[0].latitude, 45);
  EXPECT_EQ(list.Snapshot()[0].age, 5) << "but kept alive";
  AprsSonde tagged = Sonde("S1", 11, 59, 30, 46);
  tagged.programTag = true;
  EXPECT_TRUE(list.MergeSonde(tagged));
  EXPECT_TRUE(list.MergeSonde(Sonde("S1", 11, 59, 40, 47)));
  EXPECT_EQ(list.Snapshot()[0].latitude, 47);
  EXPECT_TRUE(list.Snapshot()[0].programTag) << "the tag is never cleared";
  EXPECT_FALSE(list.MergeSonde(Sonde("S2", 12, 5, 0))) << "300 s ahead of the clock";
  EXPECT_TRUE(list.MergeSonde(Sonde("S2", 12, 4, 59)));
  EXPECT_EQ(list.Available(), 2);
  EXPECT_EQ((std::vector<std::string>{"S1", "S2"}), list.Names()) << "order of first appearance";
}

TEST_F(AprsSondeListTest, MonitoringDropsASondeAfterFiveSilentTicks) {
  list.MergeSonde(Sonde("S1", 11, 0));
  list.MergeSonde(Sonde("S2", 11, 0));
  for (int tick = 1; tick <= 4; ++tick) list.AgeSondes();
  EXPECT_EQ(list.Snapshot()[0].age, 1) << "the map greys it now";
  list.MergeSonde(Sonde("S2", 11, 1));
  list.AgeSondes();
  EXPECT_EQ(list.Names(), std::vector<std::string>{"S2"});
  EXPECT_EQ(list.CountText(), "Avail 01");
  for (int tick = 1; tick <= 4; ++tick) list.AgeSondes();
  EXPECT_EQ(list.Available(), 0);
  EXPECT_EQ(list.CountText(), "");
}

TEST_F(AprsSondeListTest, TrackingKeepsOnlyTheTrackedSondeForGood) {
  for (const char* name : {"S1", "S2", "S3"}) list.MergeSonde(Sonde(name, 11, 0));
  list.StartTracking("S2");
  EXPECT_EQ(list.Names(), std::vector<std::string>{"S2"});
  EXPECT_EQ(list.Available(), 1);
  EXPECT_EQ(list.CountText(), "Lock");
  EXPECT_FALSE(list.MergeSonde(Sonde("S4", 11, 1))) << "no newcomers";
  for (int tick = 1; tick <= 10; ++tick) list.AgeSondes();
  ASSERT_EQ(list.Available(), 1);
  EXPECT_EQ(list.Snapshot()[0].age, 1);
  list.StartMonitoring();
  EXPECT_TRUE(list.MergeSonde(Sonde("S4", 11, 1)));
  EXPECT_EQ(list.CountText(), "Avail 02");
  list.ClearSondes();
  EXPECT_EQ(list.Available(), 0);
}

TEST_F(AprsSondeListTest, TwoThreadsMergeWhileAThirdReads) {
  std::atomic<bool> stop{false};
  std::thread reader([&] {
    while (!stop) {
      for (const AprsSonde& s : list.Snapshot()) EXPECT_FALSE(s.name.empty());
    }
  });
  const auto writer = [&](const std::string& prefix) {
    for (int i = 0; i < 2000; ++i) {
      list.MergeSonde(Sonde(prefix + std::to_string(i % 50), 11, i / 50 % 60, i % 60));
      if (i % 100 == 0) list.AgeSondes();
    }
  };
  std::thread a(writer, "A");
  std::thread b(writer, "B");
  a.join();
  b.join();
  stop = true;
  reader.join();
  EXPECT_EQ(list.Available(), static_cast<int>(list.Snapshot().size()));
}

}  // namespace
}  // namespace windlark
