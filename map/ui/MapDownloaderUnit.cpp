#include "map/ui/MapDownloaderUnit.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QVBoxLayout>

#include "base/Format.h"
#include "map/io/MapDownloader.h"

namespace windlark {

namespace {

constexpr int kPanelWidths[3] = {170, 80, 80};
const char* const kIdleTexts[3] = {"Download", "Fail", "Skip"};

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

QLabel* Label(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setTextFormat(Qt::PlainText);
  return label;
}

}  // namespace

TMapDownloaderForm::TMapDownloaderForm(Prompts prompts, std::function<bool(const QString&)> confirm,
                                       QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint),
      m_prompts(std::move(prompts)),
      m_confirm(std::move(confirm)) {
  setObjectName(QStringLiteral("TMapDownloaderForm"));
  setWindowTitle(QStringLiteral("Offline Map Downloader"));
  if (!m_confirm) {
    m_confirm = [this](const QString& text) {
      return QMessageBox::question(this, windowTitle(), text,
                                   QMessageBox::Yes | QMessageBox::Cancel) == QMessageBox::Yes;
    };
  }
  auto* layout = new QVBoxLayout(this);

  auto* instructions = new QGroupBox(QStringLiteral("Instructions"), this);
  auto* lines = new QVBoxLayout(instructions);
  for (const char* text :
       {"1. From main window select the region you want to download",
        "2. From main window select the map type you want to download",
        "3. In this Form, choose the zoom level you want to reach ",
        "4. Select if you want to overwrite the existing maps (if present)",
        "5. Verify the number of tile2 to download", "6. Press <download> button"}) {
    lines->addWidget(Label(QString::fromUtf8(text), instructions));
  }
  layout->addWidget(instructions);

  auto* statistics = new QGroupBox(QStringLiteral("Statistics"), this);
  auto* grid = new QGridLayout(statistics);
  grid->addWidget(Label(QStringLiteral("From"), statistics), 0, 0);
  m_from = Label(QString(), statistics);
  m_from->setObjectName(QStringLiteral("LabelFrom"));
  grid->addWidget(m_from, 0, 1);
  grid->addWidget(Label(QStringLiteral("To:"), statistics), 1, 0);
  m_to = Label(QString(), statistics);
  m_to->setObjectName(QStringLiteral("LabelTo"));
  grid->addWidget(m_to, 1, 1);
  grid->addWidget(Label(QStringLiteral("Tiles to download:"), statistics), 2, 0);
  m_totalLabel = Label(QStringLiteral("0"), statistics);
  m_totalLabel->setObjectName(QStringLiteral("LabelTotal"));
  grid->addWidget(m_totalLabel, 2, 1);
  layout->addWidget(statistics);

  auto* zoomRow = new QHBoxLayout;
  zoomRow->addWidget(Label(QStringLiteral("Zoom level"), this));
  m_zoom = new QSpinBox(this);
  m_zoom->setObjectName(QStringLiteral("Edit1"));
  m_zoom->setRange(kMinZoom, kMaxZoomOpenStreetMap);
  m_zoom->setValue(kMinZoom);
  // The field only follows the arrows.
  if (auto* field = m_zoom->findChild<QLineEdit*>()) field->setReadOnly(true);
  zoomRow->addWidget(m_zoom);
  zoomRow->addStretch(1);
  m_overwrite = new QCheckBox(QStringLiteral("Overwrite old tiles"), this);
  m_overwrite->setObjectName(QStringLiteral("CheckBox1"));
  zoomRow->addWidget(m_overwrite);
  layout->addLayout(zoomRow);

  auto* buttons = new QHBoxLayout;
  m_download = new QPushButton(QStringLiteral("Download"), this);
  m_download->setObjectName(QStringLiteral("Button1"));
  m_gauge = new QProgressBar(this);
  m_gauge->setObjectName(QStringLiteral("ProgressBar1"));
  m_gauge->setTextVisible(false);
  m_gauge->setStyleSheet(QStringLiteral("QProgressBar::chunk { background: navy; }"));
  m_gauge->hide();
  m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
  m_cancel->setObjectName(QStringLiteral("Button2"));
  buttons->addWidget(m_download, 1);
  buttons->addWidget(m_gauge, 1);
  buttons->addWidget(m_cancel);
  layout->addLayout(buttons);

  auto* status = new QStatusBar(this);
  status->setSizeGripEnabled(false);
  for (int i = 0; i < 3; ++i) {
    m_panels[i] = Label(QString::fromUtf8(kIdleTexts[i]), status);
    m_panels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i + 1));
    m_panels[i]->setMinimumWidth(kPanelWidths[i]);
    status->addWidget(m_panels[i]);
  }
  layout->addWidget(status);

  connect(m_zoom, &QSpinBox::valueChanged, this, [this] { Edit1Change(); });
  connect(m_download, &QPushButton::clicked, this, &TMapDownloaderForm::Button1Click);
  connect(m_cancel, &QPushButton::clicked, this, &TMapDownloaderForm::Button2Click);
  Edit1Change();
}

TMapDownloaderForm::~TMapDownloaderForm() {
  StopDownload();
}

void TMapDownloaderForm::StopDownload() {
  if (!m_thread) return;
  m_thread->Cancel();
  m_thread->wait();
}

int TMapDownloaderForm::TargetZoom() const {
  return m_zoom->value();
}

QString TMapDownloaderForm::FromText() const {
  return m_from->text();
}

QString TMapDownloaderForm::ToText() const {
  return m_to->text();
}

QString TMapDownloaderForm::PanelText(int index) const {
  return m_panels[index]->text();
}

void TMapDownloaderForm::SetArea(int z0, std::int64_t x0, std::int64_t x1, std::int64_t y0,
                                 std::int64_t y1) {
  m_area = {z0, x0, x1, y0, y1};
  const QSignalBlocker block(m_zoom);
  m_zoom->setMinimum(std::min(z0, m_zoom->maximum()));
  m_from->setText(Q(AreaText(m_area)));
  if (m_zoom->value() < z0) m_zoom->setValue(z0);
  Edit1Change();
}

void TMapDownloaderForm::SetMaxZoom(int zoom) {
  if (zoom < m_zoom->value()) m_zoom->setValue(zoom);
  m_zoom->setMaximum(zoom);
}

void TMapDownloaderForm::Edit1Change() {
  const int z1 = m_zoom->value();
  m_to->setText(Q(AreaText(AreaAtZoom(m_area, z1))));
  m_total = TotalTiles(m_area, z1);
  m_totalLabel->setText(Q(FormatInt(m_total)));
  m_gauge->setRange(0, static_cast<int>(std::min<std::int64_t>(m_total, INT32_MAX)));
}

void TMapDownloaderForm::Button1Click() {
  if (m_downloading) return;
  if (!m_confirm(QStringLiteral("Are you sure you want to download %1 tiles?").arg(m_total))) {
    return;
  }
  m_downloading = true;
  m_download->hide();
  m_gauge->setValue(0);
  m_gauge->show();
  if (m_thread) m_thread->wait();
  DownloadJob job{m_area,    m_zoom->value(),          m_total,  m_mapDir,
                  m_mapType, m_overwrite->isChecked(), m_servers};
  m_overwrite->setEnabled(false);
  m_thread = std::make_unique<TMapDownloader>(std::move(job));
  TMapDownloader* thread = m_thread.get();
  const QString total = QString::number(m_total);
  connect(thread, &TMapDownloader::Progress, this,
          [this, total, run = m_run + 1](int last, int downloaded, int failed, int skipped) {
            if (!m_downloading || run != m_run) return;
            if (last == 1)
              m_panels[0]->setText(QStringLiteral("Download %1/%2").arg(downloaded).arg(total));
            if (last == 0) m_panels[2]->setText(QStringLiteral("Skip %1").arg(skipped));
            if (last == -1) m_panels[1]->setText(QStringLiteral("Fail %1").arg(failed));
            m_gauge->setValue(downloaded + failed + skipped);
          });
  // A cancelled run's end can arrive after the next run has started: only the current one's counts.
  const int run = ++m_run;
  connect(thread, &TMapDownloader::Finished, this, [this, run](int result, int downloaded) {
    if (run == m_run) DownloadFinished(result, downloaded);
  });
  thread->start();
}

void TMapDownloaderForm::ShowIdle() {
  m_gauge->hide();
  m_download->show();
  m_overwrite->setEnabled(true);
  m_downloading = false;
  for (int i = 0; i < 3; ++i) m_panels[i]->setText(QString::fromUtf8(kIdleTexts[i]));
}

void TMapDownloaderForm::Button2Click() {
  if (!m_downloading) {
    close();
    return;
  }
  if (m_thread) m_thread->Terminate();
  m_gauge->hide();
  m_download->show();
  m_downloading = false;
  for (int i = 0; i < 3; ++i) m_panels[i]->setText(QString::fromUtf8(kIdleTexts[i]));
}

void TMapDownloaderForm::DownloadFinished(int result, int downloaded) {
  ShowIdle();
  if (result == TMapDownloader::kNoDirectory) {
    m_prompts.message(Prompts::Icon::Error,
                      QStringLiteral("Unable to to create map directory.\r\nPlease verify map path "
                                     "into settings"));
  } else if (result == TMapDownloader::kCompleted) {
    m_prompts.message(
        Prompts::Icon::Information,
        QStringLiteral("Download Completed\r\nDownloaded Tiles = %1").arg(downloaded));
  } else {
    m_prompts.message(
        Prompts::Icon::Information,
        QStringLiteral("Download Terminated by user\r\nDownloaded Tiles = %1").arg(downloaded));
  }
  emit DownloadEnded(result, downloaded);
}

}  // namespace windlark
