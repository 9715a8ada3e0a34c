#include "aprs/ui/AprsPanel.h"

#include <QDesktopServices>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "base/ui/QtText.h"

namespace windlark {

namespace {

QLabel* ValueLabel(QWidget* parent, const char* caption) {
  auto* label = new QLabel(parent);
  label->setTextFormat(Qt::PlainText);
  label->setObjectName(QString::fromUtf8(caption).trimmed());
  label->setMinimumWidth(150);
  return label;
}

}  // namespace

TAprsPanel::TAprsPanel(QWidget* parent)
    : QWidget(parent,
              Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setObjectName(QStringLiteral("TAprsPanel"));
  setWindowTitle(QStringLiteral("APRS Tracking"));
  auto* layout = new QVBoxLayout(this);
  auto* values = new QWidget(this);
  auto* form = new QFormLayout(values);
  form->setContentsMargins(0, 0, 0, 0);
  const auto row = [&](const char* caption) {
    QLabel* value = ValueLabel(values, caption);
    form->addRow(QString::fromUtf8(caption), value);
    return value;
  };
  m_sondeId = row("Sonde ID");
  m_latitude = row("Latitude");
  m_longitude = row("Longitude");
  m_altitude = row("Altitude");
  m_time = row("Time");
  m_course = row("Course");
  m_speed = row("Speed");
  m_climb = row("Climb");
  m_source = row("Source");
  layout->addWidget(values);

  auto* tracking = new QGroupBox(QStringLiteral("Tracking "), this);
  auto* trackingForm = new QFormLayout(tracking);
  const auto trackingRow = [&](const char* caption) {
    QLabel* value = ValueLabel(tracking, caption);
    trackingForm->addRow(QString::fromUtf8(caption), value);
    return value;
  };
  m_bearing = trackingRow("Bearing");
  m_elevation = trackingRow("Elevation");
  m_slantRange = trackingRow("Slant Range");
  layout->addWidget(tracking);

  auto* payload = new QGroupBox(QStringLiteral("Payload "), this);
  auto* payloadLayout = new QVBoxLayout(payload);
  m_payload = ValueLabel(payload, "Payload");
  m_payload->setWordWrap(true);
  m_payload->setMinimumHeight(48);
  m_payload->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  payloadLayout->addWidget(m_payload);
  layout->addWidget(payload);

  m_webMap = new QToolButton(this);
  m_webMap->setObjectName(QStringLiteral("SpeedButton1"));
  m_webMap->setText(QStringLiteral("Show on web map"));
  m_webMap->setToolTip(QStringLiteral("Show position on google map"));
  m_webMap->setToolButtonStyle(Qt::ToolButtonTextOnly);
  layout->addWidget(m_webMap, 0, Qt::AlignRight);
  connect(m_webMap, &QToolButton::clicked, this, &TAprsPanel::SpeedButton1Click);

  m_open = [](const QString& url) { QDesktopServices::openUrl(QUrl(url)); };
  ResetPanel();
}

void TAprsPanel::ResetPanel() {
  m_sondeId->setText(QStringLiteral("Waiting data..."));
  for (QLabel* label : {m_latitude, m_longitude, m_altitude, m_time, m_source, m_payload, m_course,
                        m_speed, m_climb, m_bearing, m_elevation, m_slantRange}) {
    label->clear();
  }
}

void TAprsPanel::ShowReport(const TrackingPanelTexts& t) {
  m_sondeId->setText(ToQString(t.sondeId));
  m_latitude->setText(ToQString(t.latitude));
  m_longitude->setText(ToQString(t.longitude));
  m_altitude->setText(ToQString(t.altitude));
  m_time->setText(ToQString(t.time));
  m_course->setText(ToQString(t.course));
  m_speed->setText(ToQString(t.speed));
  m_climb->setText(ToQString(t.climb));
  m_source->setText(ToQString(t.source));
  m_bearing->setText(ToQString(t.bearing));
  m_elevation->setText(ToQString(t.elevation));
  m_slantRange->setText(ToQString(t.slantRange));
  m_payload->setText(ToQString(t.payload));
  m_linkLatitude = ToQString(t.linkLatitude);
  m_linkLongitude = ToQString(t.linkLongitude);
}

QString TAprsPanel::Value(const QString& caption) const {
  const auto* label = findChild<QLabel*>(caption.trimmed());
  return label != nullptr ? label->text() : QString();
}

void TAprsPanel::SpeedButton1Click() {
  if (m_linkLatitude.isEmpty()) return;
  m_open(ToQString(WebMapUrl(m_linkLatitude.toStdString(), m_linkLongitude.toStdString())));
}

}  // namespace windlark
