#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Format.h"
#include "base/LampBank.h"
#include "decoder/Crc.h"
#include "decoder/PanelRecorder.h"
#include "xdata/XdataDispatch.h"

namespace windlark::test {

// Writes an auxiliary block at p: 0x7E, n, a data byte the instruments never read, the
// instrument text, the CRC. n is the text length + 1 unless given. Returns the next block's p.
inline int PutInstrumentBlock(RawFrame& frame, int p, std::string_view text,
                              std::optional<int> n = std::nullopt) {
  const auto at = static_cast<std::size_t>(p);
  const std::size_t dataLength = text.size() + 1;
  frame[at] = 0x7E;
  frame[at + 1] = static_cast<std::uint8_t>(n.value_or(static_cast<int>(dataLength)));
  frame[at + 2] = 0xA5;
  for (std::size_t k = 0; k < text.size(); ++k)
    frame[at + 3 + k] = static_cast<std::uint8_t>(text[k]);
  const std::uint16_t crc = Crc16(std::span(frame).subspan(at + 2, dataLength));
  frame[at + 2 + dataLength] = static_cast<std::uint8_t>(crc);
  frame[at + 3 + dataLength] = static_cast<std::uint8_t>(crc >> 8);
  return p + static_cast<int>(dataLength) + 4;
}

// Hexadecimal digits of `value`, upper-case, zero-padded to `width`.
inline std::string Hex(long long value, int width) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text(static_cast<std::size_t>(width), '0');
  for (int k = width - 1; k >= 0 && value > 0; --k, value >>= 4)
    text[static_cast<std::size_t>(k)] = kDigits[value & 0xF];
  return text;
}

class ChainEvents : public ChainObserver {
 public:
  void PanelCreated(int position) override { events.push_back("created " + FormatInt(position)); }
  void PanelRemoved(int position) override { events.push_back("removed " + FormatInt(position)); }
  void PanelChanged(int position) override { events.push_back("changed " + FormatInt(position)); }
  void ChainCleared() override { events.emplace_back("cleared"); }
  std::vector<std::string> events;
};

// The chain, its observer and the lamps, fed one block at a time as the frame decoder does.
struct XdataRig {
  PanelRecorder view;
  LampBank lamps{view};
  InstrumentChain chain;
  ChainEvents observer;
  XdataContext ctx{chain, lamps};

  XdataRig() { chain.SetObserver(&observer); }

  // One frame carrying one block with `text` at p; returns the frame's instrument sections.
  XdataRecord Send(std::string_view text, std::optional<int> n = std::nullopt, int p = 299) {
    RawFrame frame{};
    PutInstrumentBlock(frame, p, text, n);
    return Send(frame, p);
  }
  XdataRecord Send(const RawFrame& frame, int p) {
    XdataRecord record;
    DispatchXdata(frame, record, frame[static_cast<std::size_t>(p) + 1], p, ctx);
    return record;
  }

  const InstrumentPanel& Panel(int position) const {
    const InstrumentPanel* panel = chain.Panel(position);
    if (panel == nullptr) throw std::runtime_error("no panel at " + FormatInt(position));
    return *panel;
  }
  // The value shown in the row with this caption.
  std::string Row(int position, std::string_view caption) const {
    const InstrumentPanel& panel = Panel(position);
    const auto rows = panel.Layout().rows;
    for (std::size_t k = 0; k < rows.size(); ++k)
      if (rows[k].caption == caption) return panel.Value(k);
    ADD_FAILURE() << "no row \"" << caption << "\"";
    return {};
  }
  // Every value of the panel, to show that a block left it alone.
  std::vector<std::string> Rows(int position) const {
    const InstrumentPanel& panel = Panel(position);
    std::vector<std::string> values;
    for (std::size_t k = 0; k < panel.RowCount(); ++k) values.push_back(panel.Value(k));
    return values;
  }
};

}  // namespace windlark::test
