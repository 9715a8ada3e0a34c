#pragma once

#include <filesystem>
#include <string_view>

namespace windlark {

enum class TileWrite { Written, Exists, Failed };

// Stores a tile's bytes under `file`, creating its folders one level at a time. The bytes go to
// a temporary name in the same folder first, so the tile's name never holds a part of a file,
// and two writers (the map and the offline downloader) never write into the same file. Without
// `overwrite` an existing tile is kept, even one that appears while this write runs.
TileWrite WriteTileFile(const std::filesystem::path& file, std::string_view bytes, bool overwrite);

}  // namespace windlark
