// Writing a file atomically: a temporary file in the same folder, flushed, then renamed over
// the target, so a failed write never destroys the file that was there.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

/// @brief Replaces `path` with `bytes` atomically. A symbolic link is written through: the file
/// at the end of its chain of links is replaced (created when the last link dangles) and the
/// links stay as they are. An existing file keeps its permissions. On any failure (folder
/// missing, no space, permission denied, a loop of links) the temporary file is removed, the old
/// file is left byte-for-byte intact and KestrelError is thrown: "Cannot write <path>: <system
/// reason>".
void writeFileAtomically(const std::string& path, std::string_view bytes);
/// @brief The same for a file made of `pieces` one after another, never joined in memory.
void writeFileAtomically(const std::string& path, const std::vector<std::string_view>& pieces);

/// @brief As writeFileAtomically(), for a file that a library writes by name: `produce` writes
/// the whole file at `tempPath`, a fresh temporary file beside the target, and throws
/// KestrelError when it cannot. The file is then flushed and renamed over the target; on any
/// failure the temporary file is removed and the old file stays byte-for-byte intact.
void writeFileAtomicallyVia(const std::string& path,
                            const std::function<void(const std::string& tempPath)>& produce);

namespace testing {
/// @brief Failure injection for tests: the next writes fail with "No space left on device" once
/// `bytes` bytes of a file have been written; a negative value switches it off again.
void failWritesAfter(long long bytes);
/// @brief Failure injection for tests: while on, flushing a written file to disk fails with
/// "Input/output error" (as a failing disk does), before the file replaces anything.
void failFlushes(bool on);
}  // namespace testing

}  // namespace kestrel
