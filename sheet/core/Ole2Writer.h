// Packs one stream into an OLE2 compound file (version 3, 512-byte sectors): the stream's
// sectors first, then the directory, the allocation table and, for a stream past about 7 MB, the
// extra table that lists the allocation table's sectors. The layout is the one libgsf's MS-OLE
// writer gives such a file, byte for byte.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kestrel {

/// Streams shorter than this would belong in the compound file's mini stream, which this packer
/// does not write; .xls streams are padded to it.
inline constexpr size_t kSmallestCompoundStream = 4096;

/// @brief What goes around a stream of `streamSize` bytes to make the compound file: the file
/// is `head`, the stream, then `tail` (padding to the sector, directory and tables).
struct CompoundFileFrame {
    std::string head;
    std::string tail;
};

/// @brief The frame of a compound file whose root holds one stream `streamName` (at most 31
/// characters of ASCII) of `streamSize` bytes. Throws std::invalid_argument for a stream shorter
/// than kSmallestCompoundStream or longer than the format holds, or a name it cannot hold.
CompoundFileFrame compoundFileFrame(std::string_view streamName, uint64_t streamSize);

/// @brief The whole compound file holding `content` as its one stream.
std::string buildCompoundFile(std::string_view streamName, std::string_view content);

}  // namespace kestrel
