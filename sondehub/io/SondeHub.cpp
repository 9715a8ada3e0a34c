#include "sondehub/io/SondeHub.h"

#include <QThread>

#include "sondehub/io/QtHttpTransport.h"

namespace windlark {

// The uploader is made with the object; its Qt client only once Execute runs on the thread
// that will use it.
class TSondeHub::Forward : public HttpTransport {
 public:
  HttpResponse Send(const HttpRequest& request, const std::function<bool()>& cancelled) override {
    if (!client) return {0, "no client", {}};
    return client->Send(request, cancelled);
  }
  std::unique_ptr<QtHttpTransport> client;
};

TSondeHub::TSondeHub(std::string baseUrl, SondeHubStation station, std::string caFile,
                     SondeHubTiming timing, std::size_t maxFrames, QObject* parent)
    : QObject(parent),
      m_transport(std::make_unique<Forward>()),
      m_station(station),
      m_caFile(std::move(caFile)) {
  m_uploader = std::make_unique<SondeHubUploader>(*m_transport, std::move(baseUrl),
                                                  std::move(station), timing, maxFrames);
  m_uploader->SetEventSink(
      [this](const std::string& line) { emit EventText(QString::fromStdString(line)); });
}

TSondeHub::~TSondeHub() = default;

void TSondeHub::Execute() {
  m_transport->client = std::make_unique<QtHttpTransport>(m_caFile);
  m_uploader->Run();
  m_transport->client.reset();
  emit Finished();
  // The thread ends with the upload, not before: quitting it from outside would also end the
  // event loop a request waits in.
  thread()->quit();
}

}  // namespace windlark
