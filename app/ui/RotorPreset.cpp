#include "app/ui/RotorPreset.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "app/IniFile.h"
#include "app/SettingsChecks.h"
#include "app/ui/ModalPrompts.h"

namespace windlark {

namespace {

QLineEdit* NumberField(const QString& name, QObject* owner) {
  auto* edit = new QLineEdit;
  edit->setObjectName(name);
  // Digits only; deleting stays possible.
  edit->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), owner));
  edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
  return edit;
}

}  // namespace

TRotorPresetForm::TRotorPresetForm(ModalPrompts& prompts, QWidget* parent)
    : QDialog(parent), m_prompts(prompts) {
  setObjectName(QStringLiteral("RotorPresetForm"));
  setWindowTitle(QStringLiteral("Insert new preset"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

  m_name = new QLineEdit;
  m_name->setObjectName(QStringLiteral("EditPresetName"));
  m_name->setMinimumWidth(180);
  m_azimuth = NumberField(QStringLiteral("EditAzimuth"), this);
  m_azimuth->setMaxLength(3);
  m_elevation = NumberField(QStringLiteral("EditElevation"), this);

  auto* ok = new QPushButton(QStringLiteral("OK"));
  ok->setObjectName(QStringLiteral("ButtonOk"));
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"));
  cancel->setObjectName(QStringLiteral("ButtonCancel"));

  auto* fields = new QFormLayout;
  fields->addRow(QStringLiteral("Preset name"), m_name);
  fields->addRow(QStringLiteral("Azimuth"), m_azimuth);
  fields->addRow(QStringLiteral("Elevation"), m_elevation);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addSpacing(6);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(ok, &QPushButton::clicked, this, &TRotorPresetForm::ButtonOkClick);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TRotorPresetForm::Clear() {
  m_name->clear();
  m_azimuth->clear();
  m_elevation->clear();
  m_name->setFocus();
}

void TRotorPresetForm::ButtonOkClick() {
  const std::string name = m_name->text().toStdString();
  const std::string azimuth = m_azimuth->text().toStdString();
  const std::string elevation = m_elevation->text().toStdString();
  const std::string refused = CheckNewPreset(name, azimuth, elevation);
  if (!refused.empty()) {
    m_prompts.Error(this, QString::fromStdString(refused));
    return;
  }
  m_preset = {name, *ParseIniInteger(azimuth), *ParseIniInteger(elevation)};
  accept();
}

}  // namespace windlark
