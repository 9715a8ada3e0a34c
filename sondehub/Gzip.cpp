#include "sondehub/Gzip.h"

#include <zlib.h>

#include <stdexcept>

namespace windlark {

std::string Gzip(std::string_view data) {
  z_stream stream{};
  // Window bits 15 + 16: a gzip header and trailer around the deflate data.
  if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) !=
      Z_OK) {
    throw std::runtime_error("gzip: cannot start the compressor");
  }
  std::string out(deflateBound(&stream, static_cast<uLong>(data.size())) + 32, '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  const int result = deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  if (result != Z_STREAM_END) throw std::runtime_error("gzip: compression failed");
  return out;
}

}  // namespace windlark
