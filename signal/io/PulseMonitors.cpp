#include "signal/io/PulseMonitors.h"

#include <pulse/error.h>
#include <pulse/pulseaudio.h>
#include <pulse/simple.h>

#include <chrono>
#include <cstdint>
#include <limits>

namespace windlark {

namespace {

constexpr int kSampleRate = 48000;
constexpr std::size_t kBlockBytes = kSampleRate / 10;  // 100 ms

struct Listing {
  std::vector<PulseMonitor> monitors;
  bool done = false;
};

void OnSource(pa_context* /*context*/, const pa_source_info* info, int last, void* data) {
  auto* listing = static_cast<Listing*>(data);
  if (last != 0 || info == nullptr) {
    listing->done = true;
    return;
  }
  if (info->monitor_of_sink == std::numeric_limits<std::uint32_t>::max()) return;  // no monitor
  listing->monitors.push_back(
      {info->name != nullptr ? info->name : "", info->description != nullptr
                                                    ? info->description
                                                    : (info->name != nullptr ? info->name : "")});
}

}  // namespace

std::vector<PulseMonitor> PulseMonitorSources() {
  Listing listing;
  pa_mainloop* loop = pa_mainloop_new();
  if (loop == nullptr) return {};
  pa_context* context = pa_context_new(pa_mainloop_get_api(loop), "Windlark");
  if (context == nullptr ||
      pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
    if (context != nullptr) pa_context_unref(context);
    pa_mainloop_free(loop);
    return {};
  }
  pa_operation* operation = nullptr;
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  while (!listing.done && std::chrono::steady_clock::now() < until) {
    // Each iteration waits at most 50 ms, so the deadline holds against a server that hangs.
    if (pa_mainloop_prepare(loop, 50000) < 0 || pa_mainloop_poll(loop) < 0 ||
        pa_mainloop_dispatch(loop) < 0) {
      break;
    }
    const pa_context_state_t state = pa_context_get_state(context);
    if (!PA_CONTEXT_IS_GOOD(state)) break;
    if (state == PA_CONTEXT_READY && operation == nullptr) {
      operation = pa_context_get_source_info_list(context, OnSource, &listing);
      if (operation == nullptr) break;
    }
  }
  if (operation != nullptr) {
    pa_operation_cancel(operation);
    pa_operation_unref(operation);
  }
  pa_context_disconnect(context);
  pa_context_unref(context);
  pa_mainloop_free(loop);
  if (!listing.done) return {};
  return listing.monitors;
}

bool PulseMonitorReader::Start(const std::string& sourceName, Deliver deliver, std::string& error) {
  Stop();
  const pa_sample_spec format{PA_SAMPLE_U8, kSampleRate, 1};
  pa_buffer_attr attributes{};
  attributes.maxlength = std::numeric_limits<std::uint32_t>::max();  // the server's choice
  attributes.fragsize = static_cast<std::uint32_t>(kBlockBytes);
  int code = 0;
  pa_simple* stream = pa_simple_new(nullptr, "Windlark", PA_STREAM_RECORD, sourceName.c_str(),
                                    "RS41 telemetry", &format, nullptr, &attributes, &code);
  if (stream == nullptr) {
    error = pa_strerror(code);
    return false;
  }
  m_stop = false;
  m_thread = std::thread([this, stream, deliver = std::move(deliver)] {
    std::string block(kBlockBytes, '\0');
    int readError = 0;
    while (!m_stop) {
      if (pa_simple_read(stream, block.data(), block.size(), &readError) < 0) break;
      deliver(block);
    }
    pa_simple_free(stream);
  });
  return true;
}

void PulseMonitorReader::Stop() {
  m_stop = true;
  if (m_thread.joinable()) m_thread.join();
}

}  // namespace windlark
