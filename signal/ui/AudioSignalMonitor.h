#pragma once

#include <QImage>
#include <QWidget>
#include <cstdint>
#include <span>
#include <vector>

#include "signal/AudioCapture.h"

class QRect;

namespace windlark {

// "Input Signal": an oscilloscope trace of the buffer just sliced, redrawn every half second
// while the window is visible. The audio poll feeds it through SignalMonitorSink: ShowBuffer
// (SetSamples), then ShowPhase with the slicer's phaseShown (Draw).
class TAudioSignalForm : public QWidget, public SignalMonitorSink {
  Q_OBJECT

 public:
  explicit TAudioSignalForm(QWidget* parent = nullptr);

  bool IsVisible() const override { return isVisible(); }
  void ShowBuffer(std::span<const std::uint8_t> buffer) override { SetSamples(buffer); }
  void ShowPhase(int phase) override { Draw(phase); }

  // Keeps a copy: the sound source refills the buffer while the window still shows it.
  void SetSamples(std::span<const std::uint8_t> buffer);
  // Redraws the trace from sample `start` (0, or the sampling position of a lock).
  void Draw(int start);

  // "Open audio signal monitor": shows the window if it is hidden, centred on the main window
  // (its frame geometry) the first time.
  void OpenMonitor(const QRect& mainFrame);

  // The off-screen bitmap; the window shows its left 400 columns.
  const QImage& Bitmap() const { return m_bitmap; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage m_bitmap;
  std::vector<std::uint8_t> m_samples;
  bool m_placed = false;
};

}  // namespace windlark
