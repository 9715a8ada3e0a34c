#include "xdata/ui/xdataUnit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollArea>

#include "xdata/XdataRig.h"
#include "xdata/ui/AuxFrameUnit.h"
#include "xdata/ui/CfhFrameUnit.h"
#include "xdata/ui/CobaldFrameUnit.h"
#include "xdata/ui/OIF411FrameUnit.h"
#include "xdata/ui/SkydewFrameUnit.h"
#include "xdata/ui/UnknownFrameUnit.h"

namespace windlark {
namespace {

const QColor kGreen(50, 205, 50);
const QColor kRedBox(255, 0, 0);

std::string Ozone(int position) {
  return "05" + test::Hex(position, 2) + "8001186A01D06432";
}

// The window over a chain fed block by block, with the main window at a chosen place.
struct WindowRig : test::XdataRig {
  QPoint mainTopLeft{100, 50};
  Txdata window{chain};

  WindowRig() {
    window.SetAnchorSource([this] { return mainTopLeft; });
  }
  // The window shows itself once the decoding step is over.
  void Settle() { QApplication::processEvents(); }
  TAuxFrame& Frame(int position) {
    TAuxFrame* frame = window.Frame(position);
    if (frame == nullptr) throw std::runtime_error("no frame");
    return *frame;
  }
};

TEST(AuxiliarySensorsWindow, FirstPanelOpensTheWindowBesideTheMainWindow) {
  WindowRig rig;
  EXPECT_EQ(rig.window.windowTitle(), "Auxiliary Sensors");
  EXPECT_FALSE(rig.window.isVisible());
  EXPECT_FALSE(rig.window.HasPanels());

  rig.Send(Ozone(2));
  rig.Settle();
  EXPECT_TRUE(rig.window.isVisible());
  EXPECT_EQ(rig.window.pos(), QPoint(300, 137));
  EXPECT_EQ(rig.window.size(), QSize(155, 176));
  TAuxFrame& frame = rig.Frame(2);
  EXPECT_NE(qobject_cast<TOIF411Frame*>(&frame), nullptr);
  EXPECT_EQ(frame.objectName(), "chain_2");
  EXPECT_EQ(frame.pos(), QPoint(0, 0));
  EXPECT_EQ(frame.size(), QSize(155, 176));
  EXPECT_EQ(frame.Title(), "OIF411");
  EXPECT_EQ(frame.StatusText(), "02");
  EXPECT_EQ(frame.StatusColour(), kGreen);
  EXPECT_EQ(frame.ValueText(static_cast<std::size_t>(Oif411Row::InstrType)), "0x05");
  EXPECT_EQ(frame.ValueText(static_cast<std::size_t>(Oif411Row::PumpTemp)), "-0.01 °C");
  EXPECT_EQ(frame.ValueText(static_cast<std::size_t>(Oif411Row::Current)), "10.000 uA");

  // The status box is painted in its colour, the title bar in its blue.
  const QImage image = frame.grab().toImage();
  EXPECT_EQ(QColor(image.pixel(8, 12)), kGreen);
  EXPECT_EQ(QColor(image.pixel(140, 6)), QColor(133, 161, 222));
}

TEST(AuxiliarySensorsWindow, PanelsFillColumnsOfThreeInPositionOrder) {
  WindowRig rig;
  rig.Send(Ozone(7));
  rig.mainTopLeft = {400, 400};  // later creations do not move the window
  for (int position : {1, 5, 2}) rig.Send(Ozone(position));
  rig.Settle();
  EXPECT_EQ(rig.window.PanelCount(), 4);
  EXPECT_EQ(rig.window.pos(), QPoint(300, 137));
  EXPECT_EQ(rig.Frame(1).pos(), QPoint(0, 0));
  EXPECT_EQ(rig.Frame(2).pos(), QPoint(0, 176));
  EXPECT_EQ(rig.Frame(5).pos(), QPoint(0, 352));
  EXPECT_EQ(rig.Frame(7).pos(), QPoint(155, 0));
  EXPECT_EQ(rig.window.size(), QSize(310, 528));
}

TEST(AuxiliarySensorsWindow, AKindChangeReplacesThePanelAndMovesTheWindowAgain) {
  WindowRig rig;
  rig.Send(Ozone(3));
  rig.Settle();
  rig.window.move(700, 700);
  rig.mainTopLeft = {10, 20};
  rig.Send("1903" + std::string(26, '0'));
  rig.Settle();
  EXPECT_EQ(rig.window.PanelCount(), 1);
  TAuxFrame& frame = rig.Frame(3);
  EXPECT_NE(qobject_cast<TCobaldFrame*>(&frame), nullptr);
  EXPECT_EQ(frame.Title(), "COBALD");
  EXPECT_EQ(frame.ValueText(0), "0x19");
  EXPECT_EQ(rig.window.findChildren<TAuxFrame*>().size(), 1);
  EXPECT_EQ(rig.window.pos(), QPoint(210, 107));

  // Removing the last panel alone leaves the window where it is.
  rig.window.move(500, 600);
  rig.chain.RemovePanel(3);
  rig.Settle();
  EXPECT_FALSE(rig.window.HasPanels());
  EXPECT_EQ(rig.window.Frame(3), nullptr);
  EXPECT_TRUE(rig.window.findChildren<TAuxFrame*>().isEmpty());
  EXPECT_EQ(rig.window.pos(), QPoint(500, 600));
}

TEST(AuxiliarySensorsWindow, LivenessColoursFollowTheCheck) {
  WindowRig rig;
  rig.Send(Ozone(1));
  rig.Send(Ozone(2));
  rig.chain.CheckFrames();  // both heard since the last check
  EXPECT_EQ(rig.Frame(1).StatusColour(), kGreen);
  rig.Send(Ozone(2));
  rig.chain.CheckFrames();  // position 1 fell silent
  EXPECT_EQ(rig.Frame(1).StatusColour(), kRedBox);
  EXPECT_EQ(rig.Frame(2).StatusColour(), kGreen);
  EXPECT_EQ(QColor(rig.Frame(1).grab().toImage().pixel(8, 12)), kRedBox);
  rig.Send(Ozone(1));
  EXPECT_EQ(rig.Frame(1).StatusColour(), kGreen);

  const auto timers = rig.window.findChildren<QTimer*>(Qt::FindDirectChildrenOnly);
  ASSERT_EQ(timers.size(), 1);
  EXPECT_TRUE(timers.front()->isActive());
  EXPECT_EQ(timers.front()->interval(), 6000);
}

TEST(AuxiliarySensorsWindow, ClearFrameEmptiesShrinksAndHides) {
  WindowRig rig;
  rig.Send(Ozone(1));
  rig.Send("0805" + std::string(20, '0'));
  rig.Settle();
  ASSERT_TRUE(rig.window.isVisible());
  rig.window.hide();  // the user closed it; the button brings it back
  rig.window.OpenAuxiliaryPanel();
  EXPECT_TRUE(rig.window.isVisible());

  rig.chain.ClearFrame();
  rig.Settle();
  EXPECT_FALSE(rig.window.isVisible());
  EXPECT_FALSE(rig.window.HasPanels());
  EXPECT_EQ(rig.window.Frame(1), nullptr);
  EXPECT_TRUE(rig.window.findChildren<TAuxFrame*>().isEmpty());
  EXPECT_EQ(rig.window.size(), QSize(10, 10));
  rig.window.OpenAuxiliaryPanel();  // nothing to show
  EXPECT_FALSE(rig.window.isVisible());
}

TEST(AuxiliarySensorsWindow, PanelBodiesPerKind) {
  WindowRig rig;
  rig.Send("0801" + std::string("7B9E2B") + "800000" + "0000" + "0200");
  rig.Send("2004ABC");
  rig.Send("2104DEF");
  rig.Send("3F06" + std::string(34, '0'));

  TAuxFrame& cfh = rig.Frame(1);
  ASSERT_NE(qobject_cast<TCfhFrame*>(&cfh), nullptr);
  EXPECT_EQ(cfh.RowCount(), static_cast<std::size_t>(CfhRow::Count));
  EXPECT_EQ(cfh.ValueText(static_cast<std::size_t>(CfhRow::MirrorTemp)), "-48.25 °C");
  const auto* scroll = cfh.findChild<QScrollArea*>();
  ASSERT_NE(scroll, nullptr);
  EXPECT_GT(scroll->widget()->height(), scroll->viewport()->height());  // two groups scroll

  auto* unknown = qobject_cast<TUnknownFrame*>(&rig.Frame(4));
  ASSERT_NE(unknown, nullptr);
  EXPECT_EQ(unknown->Title(), "UNKNOWN");
  EXPECT_EQ(unknown->ValueText(0), "0x21");
  EXPECT_EQ(unknown->Memo()->toPlainText(), "2004ABC\n2104DEF");

  TAuxFrame& skydew = rig.Frame(6);
  ASSERT_NE(qobject_cast<TSkydewFrame*>(&skydew), nullptr);
  EXPECT_EQ(skydew.ValueText(static_cast<std::size_t>(SkydewRow::PeltierCurrent)), "-3.00 A");

  // Values are navy on the OIF411, COBALD and unknown panels, black on the CFH and SKYDEW ones.
  const auto valueColour = [](TAuxFrame& frame) {
    const auto labels = frame.findChildren<QLabel*>();
    for (QLabel* label : labels)
      if (label->text() == frame.ValueText(0)) return label->palette().color(QPalette::WindowText);
    return QColor();
  };
  EXPECT_EQ(valueColour(cfh), QColor(Qt::black));
  EXPECT_EQ(valueColour(*unknown), QColor(0, 0, 128));
}

}  // namespace
}  // namespace windlark
