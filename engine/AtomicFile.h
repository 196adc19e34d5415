// Writing a file atomically: a temporary file in the same folder, flushed, then renamed over
// the target, so a failed write never destroys the file that was there.
#pragma once

#include <string>
#include <string_view>

namespace kestrel {

/// @brief Replaces `path` with `bytes` atomically. On any failure (folder missing, no space,
/// permission denied) the temporary file is removed, the old file is left byte-for-byte intact
/// and KestrelError is thrown: "Cannot write <path>: <system reason>".
void writeFileAtomically(const std::string& path, std::string_view bytes);

namespace testing {
/// @brief Failure injection for tests: the next writes fail with "No space left on device" once
/// `bytes` bytes of a file have been written; a negative value switches it off again.
void failWritesAfter(long long bytes);
}  // namespace testing

}  // namespace kestrel
