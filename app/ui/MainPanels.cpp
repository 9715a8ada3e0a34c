#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QVBoxLayout>

#include "app/ui/LampShape.h"
#include "app/ui/MainWidgets.h"
#include "app/ui/StatusBarPanels.h"
#include "map/ui/MapImage.h"

namespace windlark {

namespace {

constexpr int kColumnWidth = 262;
constexpr int kLampSize = 12;

std::size_t At(ReadOut readOut) {
  return static_cast<std::size_t>(readOut);
}

QGroupBox* Group(QWidget* parent, QBoxLayout* column, const char* title) {
  auto* group = new QGroupBox(QString::fromUtf8(title), parent);
  column->addWidget(group);
  return group;
}

QLabel* Caption(QWidget* parent, const char* text) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  label->setTextFormat(Qt::PlainText);
  return label;
}

QLabel* Value(QWidget* parent, MainWidgets& w, ReadOut readOut, double scale = 1.0) {
  auto* label = new QLabel(parent);
  label->setTextFormat(Qt::PlainText);
  label->setObjectName(QString::fromUtf8(ReadOutKey(readOut).data(),
                                         static_cast<qsizetype>(ReadOutKey(readOut).size())));
  QFont font = label->font();
  font.setBold(true);
  if (scale != 1.0) font.setPointSizeF(font.pointSizeF() * scale);
  label->setFont(font);
  label->setStyleSheet(QStringLiteral("color: rgb(0, 0, 128);"));
  w.readOuts[At(readOut)] = label;
  return label;
}

// Caption and value on one row of a form grid.
void Row(QGroupBox* group, QGridLayout* grid, int row, const char* caption, MainWidgets& w,
         ReadOut readOut, int column = 0) {
  grid->addWidget(Caption(group, caption), row, column);
  grid->addWidget(Value(group, w, readOut), row, column + 1);
}

QGridLayout* Grid(QGroupBox* group) {
  auto* grid = new QGridLayout(group);
  grid->setContentsMargins(6, 4, 6, 4);
  grid->setHorizontalSpacing(8);
  grid->setVerticalSpacing(1);
  return grid;
}

// A lamp of the decoder with its caption beside it.
QWidget* NamedLamp(QWidget* parent, MainWidgets& w, Lamp lamp, const char* caption) {
  auto* box = new QWidget(parent);
  auto* layout = new QHBoxLayout(box);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(4);
  auto* shape = new TLampShape(kLampSize, box);
  shape->setObjectName(
      QString::fromUtf8(LampKey(lamp).data(), static_cast<qsizetype>(LampKey(lamp).size())));
  w.lamps[static_cast<std::size_t>(lamp)] = shape;
  layout->addWidget(shape);
  layout->addWidget(Caption(box, caption));
  layout->addStretch(1);
  return box;
}

void BuildRadioGroup(QWidget* parent, QBoxLayout* column, MainWidgets& w) {
  QGroupBox* radio = Group(parent, column, "   Radio  I/F ");
  QGridLayout* grid = Grid(radio);
  w.radioLamp = new TLampShape(kLampSize, radio);
  w.radioLamp->setObjectName(QStringLiteral("RadioLamp"));
  auto* top = new QHBoxLayout;
  top->setSpacing(6);
  top->addWidget(w.radioLamp);
  top->addWidget(Value(radio, w, ReadOut::RadioStatus), 1);
  grid->addLayout(top, 0, 0, 1, 3);
  w.radioFrequency = Caption(radio, "405.000.000");
  QFont big = w.radioFrequency->font();
  big.setBold(true);
  big.setPointSizeF(big.pointSizeF() * 1.4);
  w.radioFrequency->setFont(big);
  grid->addWidget(w.radioFrequency, 1, 0);
  grid->addWidget(Caption(radio, "MHz"), 1, 1);
  w.rescanCountdown = Caption(radio, "1440 min");
  w.rescanCountdown->hide();
  grid->addWidget(w.rescanCountdown, 1, 2);
  grid->setColumnStretch(2, 1);
}

void BuildSignalGroup(QWidget* parent, QBoxLayout* column, MainWidgets& w) {
  QGroupBox* signal = Group(parent, column, "   Signal processing ");
  QGridLayout* grid = Grid(signal);
  grid->addWidget(NamedLamp(signal, w, Lamp::Input, "Input"), 0, 0, 1, 3);
  grid->addWidget(NamedLamp(signal, w, Lamp::Preamble, "Preamble"), 1, 0);
  grid->addWidget(NamedLamp(signal, w, Lamp::Header, "Header"), 1, 1);
  grid->addWidget(NamedLamp(signal, w, Lamp::Ptu, "PTU"), 1, 2);
  grid->addWidget(NamedLamp(signal, w, Lamp::Gps1, "Gps 1"), 2, 0);
  grid->addWidget(NamedLamp(signal, w, Lamp::Gps3, "Gps 3"), 2, 1);
  grid->addWidget(NamedLamp(signal, w, Lamp::Xdata, "Xdata"), 2, 2);
  auto* level = new QWidget(signal);
  auto* levelLayout = new QHBoxLayout(level);
  levelLayout->setContentsMargins(0, 0, 0, 0);
  levelLayout->addWidget(Caption(level, "Avr:"));
  levelLayout->addWidget(Value(level, w, ReadOut::AvrLevel), 1);
  w.adjust = new QCheckBox(QStringLiteral("Adjust"), level);
  w.adjust->setObjectName(QStringLiteral("Adjust"));
  w.adjust->setChecked(true);
  levelLayout->addWidget(w.adjust);
  grid->addWidget(level, 3, 0, 1, 3);
}

void BuildHeaderGroups(QWidget* parent, QBoxLayout* column, MainWidgets& w) {
  QGroupBox* header = Group(parent, column, "Rs41 Header ");
  QGridLayout* grid = Grid(header);
  Row(header, grid, 0, "Frame #", w, ReadOut::FrameNumber);
  Row(header, grid, 1, "Sonde ID", w, ReadOut::SondeId);
  Row(header, grid, 2, "Frequency", w, ReadOut::Frequency);
  Row(header, grid, 3, "Firmware", w, ReadOut::Firmware);
  Row(header, grid, 4, "Type", w, ReadOut::Type);
  Row(header, grid, 5, "Battery", w, ReadOut::Battery);
  grid->setColumnStretch(1, 1);

  QGroupBox* burst = Group(parent, column, "Burst killer");
  grid = Grid(burst);
  Row(burst, grid, 0, "Status", w, ReadOut::BurstStatus);
  Row(burst, grid, 1, "Timer duration", w, ReadOut::TimerDuration);
  Row(burst, grid, 2, "Poweroff time", w, ReadOut::PoweroffTime);
  Row(burst, grid, 3, "Countdown", w, ReadOut::Countdown);
  grid->setColumnStretch(1, 1);
}

void BuildGpsTimeGroup(QWidget* parent, QBoxLayout* column, MainWidgets& w) {
  QGroupBox* time = Group(parent, column, "Gps Time (UTC)");
  QGridLayout* grid = Grid(time);
  grid->setHorizontalSpacing(2);
  grid->addWidget(Value(time, w, ReadOut::GpsTime), 0, 0, 1, kSatelliteCount);
  for (int k = 0; k < kSatelliteCount; ++k) {
    auto* gauge = new QProgressBar(time);
    gauge->setOrientation(Qt::Vertical);
    gauge->setRange(0, 127);
    gauge->setValue(0);
    gauge->setTextVisible(false);
    gauge->setFixedSize(12, 34);
    w.satelliteGauges[static_cast<std::size_t>(k)] = gauge;
    grid->addWidget(gauge, 1, k, Qt::AlignHCenter);
    auto* label = new QLabel(time);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignHCenter);
    label->setMinimumWidth(16);
    QFont small = label->font();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    label->setFont(small);
    w.satelliteLabels[static_cast<std::size_t>(k)] = label;
    grid->addWidget(label, 2, k, Qt::AlignHCenter);
  }
}

void BuildSubFrameGroup(QWidget* parent, QBoxLayout* column, MainWidgets& w) {
  QGroupBox* frames = Group(parent, column, "Sub Frames ");
  QGridLayout* grid = Grid(frames);
  grid->setHorizontalSpacing(3);
  grid->setVerticalSpacing(3);
  constexpr int kPerRow = 17;
  for (int k = 0; k < kSubFrameCount; ++k) {
    auto* lamp = new TLampShape(10, frames);
    lamp->setToolTip(QString::number(k));
    w.subFrameLamps[static_cast<std::size_t>(k)] = lamp;
    grid->addWidget(lamp, k / kPerRow, k % kPerRow);
  }
}

QGroupBox* BigValue(QWidget* parent, MainWidgets& w, const char* title, ReadOut readOut) {
  auto* group = new QGroupBox(QString::fromUtf8(title), parent);
  auto* layout = new QVBoxLayout(group);
  layout->setContentsMargins(6, 2, 6, 4);
  QLabel* value = Value(group, w, readOut, 1.5);
  value->setAlignment(Qt::AlignCenter);
  layout->addWidget(value);
  return group;
}

void BuildPtuGroups(QWidget* parent, QBoxLayout* column, MainWidgets& w) {
  auto* ptu = new QWidget(parent);
  auto* grid = new QGridLayout(ptu);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setSpacing(4);
  grid->addWidget(BigValue(ptu, w, "Temp ", ReadOut::Temperature), 0, 0);
  w.pressureGroup = BigValue(ptu, w, "Pressure ", ReadOut::Pressure);
  grid->addWidget(w.pressureGroup, 0, 1);
  grid->addWidget(BigValue(ptu, w, "Humidity ", ReadOut::Humidity), 1, 0);
  grid->addWidget(BigValue(ptu, w, "Dew Point", ReadOut::DewPoint), 1, 1);
  column->addWidget(ptu);
}

void BuildNavGroups(QWidget* parent, QBoxLayout* column, MainWidgets& w) {
  QGroupBox* nav = Group(parent, column, "Gps Nav ");
  QGridLayout* grid = Grid(nav);
  Row(nav, grid, 0, "Latitude", w, ReadOut::Latitude);
  Row(nav, grid, 1, "Longitude", w, ReadOut::Longitude);
  Row(nav, grid, 2, "Altitude", w, ReadOut::Altitude);
  Row(nav, grid, 3, "Vertical Speed", w, ReadOut::VerticalSpeed);
  Row(nav, grid, 4, "Wind Speed", w, ReadOut::WindSpeed);
  Row(nav, grid, 5, "Direction", w, ReadOut::Direction);
  Row(nav, grid, 6, "Sats used", w, ReadOut::SatsUsed);
  Row(nav, grid, 7, "sAcc", w, ReadOut::SpeedAccuracy);
  Row(nav, grid, 8, "pDop", w, ReadOut::Pdop);
  grid->setColumnStretch(1, 1);

  QGroupBox* tracking = Group(parent, column, "Tracking ");
  grid = Grid(tracking);
  Row(tracking, grid, 0, "Elevation", w, ReadOut::Elevation);
  Row(tracking, grid, 1, "Bearing", w, ReadOut::Bearing);
  Row(tracking, grid, 2, "Range", w, ReadOut::Range);
  Row(tracking, grid, 3, "Slant Range", w, ReadOut::SlantRange);
  grid->setColumnStretch(1, 1);
}

QWidget* Column(QWidget* parent, QVBoxLayout*& layout) {
  auto* column = new QWidget(parent);
  column->setFixedWidth(kColumnWidth);
  layout = new QVBoxLayout(column);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(3);
  return column;
}

}  // namespace

QWidget* BuildLeftColumn(QWidget* parent, MainWidgets& w) {
  QVBoxLayout* layout = nullptr;
  QWidget* column = Column(parent, layout);
  BuildRadioGroup(column, layout, w);
  BuildSignalGroup(column, layout, w);
  BuildHeaderGroups(column, layout, w);
  BuildGpsTimeGroup(column, layout, w);
  BuildSubFrameGroup(column, layout, w);
  layout->addStretch(1);
  w.leftColumn = column;
  return column;
}

QWidget* BuildRightColumn(QWidget* parent, MainWidgets& w) {
  QVBoxLayout* layout = nullptr;
  QWidget* column = Column(parent, layout);
  column->setObjectName(QStringLiteral("RightColumn"));
  BuildPtuGroups(column, layout, w);
  BuildNavGroups(column, layout, w);
  QGroupBox* events = Group(column, layout, "Events log ");
  auto* eventsLayout = new QVBoxLayout(events);
  eventsLayout->setContentsMargins(4, 2, 4, 4);
  w.eventsLog = new QPlainTextEdit(events);
  w.eventsLog->setObjectName(QStringLiteral("EventsLog"));
  w.eventsLog->setReadOnly(true);
  w.eventsLog->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  eventsLayout->addWidget(w.eventsLog);
  layout->setStretchFactor(events, 1);
  QGroupBox* xdata = Group(column, layout, "Xdata ");
  QGridLayout* grid = Grid(xdata);
  grid->addWidget(NamedLamp(xdata, w, Lamp::Ozone, "Ozone"), 0, 0);
  grid->addWidget(NamedLamp(xdata, w, Lamp::Cobald, "Cobald"), 0, 1);
  grid->addWidget(NamedLamp(xdata, w, Lamp::Unknown, "Unknown"), 0, 2);
  grid->addWidget(NamedLamp(xdata, w, Lamp::Cfh, "CFH"), 1, 0);
  grid->addWidget(NamedLamp(xdata, w, Lamp::Skydew, "Skydew"), 1, 1);
  w.rightColumn = column;
  return column;
}

void BuildMainWidgets(QMainWindow& window, MainWidgets& w) {
  auto* central = new QWidget(&window);
  auto* outer = new QVBoxLayout(central);
  outer->setContentsMargins(3, 3, 3, 0);
  outer->setSpacing(3);
  outer->addWidget(BuildToolBar(central, w));

  auto* middle = new QHBoxLayout;
  middle->setSpacing(4);
  middle->addWidget(BuildLeftColumn(central, w));
  w.mapImage = new TMapImage(central);
  w.mapImage->setMinimumSize(300, 300);
  w.mapImage->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
  middle->addWidget(w.mapImage, 1);
  middle->addWidget(BuildRightColumn(central, w));
  outer->addLayout(middle, 1);

  w.statusBars[0] = new TStatusBarPanels({250, 260, 130, 50}, central);
  w.statusBars[0]->setObjectName(QStringLiteral("StatusBar1"));
  w.statusBars[0]->setToolTip(QStringLiteral("Click to copy the flight summary"));
  w.statusBars[1] = new TStatusBarPanels({250, 390, 300}, central);
  w.statusBars[1]->setObjectName(QStringLiteral("StatusBar2"));
  outer->addWidget(w.statusBars[0]);
  outer->addWidget(w.statusBars[1]);
  window.setCentralWidget(central);
}

}  // namespace windlark
