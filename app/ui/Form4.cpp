#include "app/ui/Form4.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/IniFile.h"
#include "app/SettingsChecks.h"
#include "app/ui/ModalPrompts.h"

namespace windlark {

namespace {

constexpr auto kStartText = "400000000";

}  // namespace

TForm4::TForm4(ModalPrompts& prompts, QWidget* parent) : QDialog(parent), m_prompts(prompts) {
  setObjectName(QStringLiteral("Form4"));
  setWindowTitle(QStringLiteral("Add new frequency"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

  auto* range = new QLabel(QStringLiteral("The frequency range is 400 - 407 MHz "));
  m_edit = new QLineEdit(QString::fromLatin1(kStartText));
  m_edit->setObjectName(QStringLiteral("EditFrequency"));
  m_edit->setMaxLength(9);
  m_edit->setMinimumWidth(m_edit->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")) +
                          12);
  auto* ok = new QPushButton(QStringLiteral("Ok"));
  ok->setObjectName(QStringLiteral("ButtonOk"));
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"));
  cancel->setObjectName(QStringLiteral("ButtonCancel"));

  auto* field = new QHBoxLayout;
  field->addWidget(m_edit);
  field->addWidget(new QLabel(QStringLiteral("Hz")));
  field->addStretch();
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(range);
  layout->addLayout(field);
  layout->addSpacing(6);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(ok, &QPushButton::clicked, this, &TForm4::ButtonOkClick);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TForm4::Reset() {
  m_edit->setText(QString::fromLatin1(kStartText));
  m_edit->selectAll();
  m_edit->setFocus();
}

void TForm4::ButtonOkClick() {
  const std::string text = m_edit->text().toStdString();
  const std::string refused = CheckNewFrequency(text);
  if (!refused.empty()) {
    m_prompts.Error(this, QString::fromStdString(refused));
    return;
  }
  m_frequencyHz = *ParseIniInteger(text);
  accept();
}

}  // namespace windlark
