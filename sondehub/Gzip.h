#pragma once

#include <string>
#include <string_view>

namespace windlark {

// The bytes in the gzip format (RFC 1952), as HTTP's "Content-Encoding: gzip" takes them.
std::string Gzip(std::string_view data);

}  // namespace windlark
