// Packs one stream into an OLE2 compound file in memory (libgsf's MS-OLE writer).
#pragma once

#include <string>
#include <string_view>
#include <vector>
#include <functional>

namespace kestrel {

/// @brief The bytes of a compound file whose root holds one stream `streamName` with
/// `content`. Throws KestrelError (without a file name; the caller adds it) if libgsf fails.
std::string buildCompoundFile(const std::string& streamName, std::string_view content);

/// @brief The same compound file, its one stream the `pieces` one after another, handed to
/// `use` while it is held by the packer (no copy of a large file is made). Throws as above.
void withCompoundFile(const std::string& streamName, const std::vector<std::string_view>& pieces,
                      const std::function<void(std::string_view file)>& use);

}  // namespace kestrel
