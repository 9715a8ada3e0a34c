#include "app/ui/AboutBox.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/MainWindowTexts.h"
#include "app/Version.h"
#include "app/ui/PanelView.h"

namespace windlark {

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TAboutBox"));
  setWindowTitle(QStringLiteral("About"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(18, 14, 18, 10);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  m_release = new QLabel(ToQString(AboutReleaseText(kVersionMajor, kVersionMinor)), this);
  m_release->setObjectName(QStringLiteral("Release"));
  QFont big = m_release->font();
  big.setBold(true);
  big.setPointSizeF(big.pointSizeF() * 1.5);
  m_release->setFont(big);
  layout->addWidget(m_release);
  auto* about = new QLabel(
      QStringLiteral("A ground station for Vaisala RS41 radiosondes: it decodes the sonde's\n"
                     "telemetry from the receiver's audio, records and replays flights,\n"
                     "and exports the track and the measurements.\n\n"
                     "Licence: GNU General Public License, version 3 or later."),
      this);
  about->setTextFormat(Qt::PlainText);
  layout->addWidget(about);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  m_checkUpdates =
      buttons->addButton(QStringLiteral("Check for updates"), QDialogButtonBox::ActionRole);
  m_checkUpdates->setObjectName(QStringLiteral("ButtonCheckUpdates"));
  connect(m_checkUpdates, &QPushButton::clicked, this, &TAboutBox::CheckForUpdates);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  layout->addWidget(buttons);
}

}  // namespace windlark
