// Packs one stream into an OLE2 compound file in memory (libgsf's MS-OLE writer).
#pragma once

#include <string>
#include <string_view>

namespace kestrel {

/// @brief The bytes of a compound file whose root holds one stream `streamName` with
/// `content`. Throws KestrelError (without a file name; the caller adds it) if libgsf fails.
std::string buildCompoundFile(const std::string& streamName, std::string_view content);

}  // namespace kestrel
