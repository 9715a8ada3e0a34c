// The sound driver's end of the buffer cycle: samples fill the queued buffers in order.
#include "signal/io/WaveBufferDevice.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace windlark {
namespace {

struct Buffers {
  std::array<std::array<std::uint8_t, 4>, 2> data{};
  std::array<WaveHeader, 2> headers;
  Buffers() {
    for (std::size_t k = 0; k < 2; ++k) {
      headers[k].data = data[k].data();
      headers[k].length = 4;
    }
  }
};

void Write(TWaveBufferDevice& device, const std::vector<std::uint8_t>& bytes) {
  ASSERT_EQ(
      device.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size())),
      static_cast<qint64>(bytes.size()));
}

TEST(TWaveBufferDevice, FillsQueuedBuffersInOrderAndDropsWhatFindsNoBuffer) {
  TWaveBufferDevice device;
  device.open(QIODevice::WriteOnly);
  Buffers b;
  device.AddBuffer(b.headers[0]);
  device.AddBuffer(b.headers[1]);
  Write(device, {1, 2, 3});  // not yet accepting: lost, as before recording starts
  device.SetAccepting(true);
  Write(device, {10, 11, 12, 13, 14, 15});
  EXPECT_TRUE(b.headers[0].done);
  EXPECT_FALSE(b.headers[1].done);
  EXPECT_EQ(b.data[0], (std::array<std::uint8_t, 4>{10, 11, 12, 13}));
  Write(device, {16, 17, 18, 19, 20});  // 18 completes buffer 1; 19, 20 find no buffer
  EXPECT_TRUE(b.headers[1].done);
  EXPECT_EQ(b.data[1], (std::array<std::uint8_t, 4>{14, 15, 16, 17}));
  device.AddBuffer(b.headers[0]);
  EXPECT_FALSE(b.headers[0].done);
  Write(device, {30, 31, 32, 33});
  EXPECT_TRUE(b.headers[0].done);
  EXPECT_EQ(b.data[0], (std::array<std::uint8_t, 4>{30, 31, 32, 33}));
}

TEST(TWaveBufferDevice, SixteenBitSamplesBecomeEightBitAcrossWrites) {
  TWaveBufferDevice device;
  device.open(QIODevice::WriteOnly);
  device.SetSamples(TWaveBufferDevice::Samples::Int16);
  device.SetAccepting(true);
  Buffers b;
  device.AddBuffer(b.headers[0]);
  // -32768, 0, 32767, -256 little-endian, the third sample split between two writes.
  Write(device, {0x00, 0x80, 0x00, 0x00, 0xFF});
  EXPECT_FALSE(b.headers[0].done);
  Write(device, {0x7F, 0x00, 0xFF});
  EXPECT_TRUE(b.headers[0].done);
  EXPECT_EQ(b.data[0], (std::array<std::uint8_t, 4>{0, 128, 255, 127}));
}

TEST(TWaveBufferDevice, ClearHandsTheBuffersBack) {
  TWaveBufferDevice device;
  device.open(QIODevice::WriteOnly);
  device.SetAccepting(true);
  Buffers b;
  device.AddBuffer(b.headers[0]);
  Write(device, {1, 2});
  device.Clear();
  device.SetAccepting(true);
  Write(device, {3, 4, 5, 6});
  EXPECT_FALSE(b.headers[0].done);
  EXPECT_EQ(b.data[0], (std::array<std::uint8_t, 4>{1, 2, 0, 0}));
}

}  // namespace
}  // namespace windlark
