#include "records/io/LogFileLoader.h"

#include "base/Format.h"

namespace windlark {

TLogFileLoader::TLogFileLoader(const QString& fileName, QObject* window, DecodeStep decode,
                               QObject* parent)
    : QThread(parent),
      m_fileName(fileName),
      m_decode(std::move(decode)),
      m_replay(fileName.toStdString()),
      m_sync(window) {}

TLogFileLoader::~TLogFileLoader() {
  Terminate();
  wait();
}

void TLogFileLoader::Terminate() {
  m_replay.Terminate();
  m_sync.Cancel();
}

void TLogFileLoader::run() {
  int messages = 0;
  std::string lastMessage;
  const bool opened = m_replay.Run(
      [this](const RawFrame& frame) { m_sync.Run([decode = m_decode, frame] { decode(frame); }); },
      [&](const std::string& text) {
        lastMessage = text;
        if (++messages <= kReportedMessages) emit Message(QString::fromStdString(text));
      });
  if (messages > kReportedMessages) {
    emit Message(QString::fromStdString(FormatInt(messages - kReportedMessages) +
                                        " more lines of " + m_fileName.toStdString() +
                                        " were not hexadecimal: skipped"));
  }
  if (!opened) emit OpenFailed(QString::fromStdString(lastMessage));
}

}  // namespace windlark
