// Atomic file replacement with POSIX calls (links followed to their target, mkstemp in the
// target's folder, fsync, rename).
#include "engine/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "engine/KestrelError.h"

namespace kestrel {
namespace {

long long g_failAfter = -1;
bool g_failFlushes = false;

// As many links as the kernel follows in one path before it reports a loop.
constexpr int kMaxLinkHops = 40;

std::string folderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

[[noreturn]] void fail(const std::string& path, int error) {
    throw KestrelError("Cannot write " + path + ": " + std::strerror(error));
}

// The file a write of `path` replaces: the end of its chain of symbolic links (which need not
// exist yet), so that a link kept in place of a file stays a link. A relative link is taken
// from the link's own folder.
std::string linkTarget(const std::string& path) {
    std::string current = path;
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return current;
        std::error_code error;
        const std::string target = std::filesystem::read_symlink(current, error).string();
        if (error) fail(path, error.value());
        current = !target.empty() && target[0] == '/' ? target : folderOf(current) + "/" + target;
    }
    fail(path, ELOOP);
}

int flush(int fd) {
    if (g_failFlushes) return EIO;
    return ::fsync(fd) == 0 ? 0 : errno;
}

// Writes everything, honouring the injected failure point.
int writeAll(int fd, std::string_view bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        size_t chunk = bytes.size() - done;
        if (g_failAfter >= 0) {
            if (static_cast<long long>(done) >= g_failAfter) return ENOSPC;
            chunk = std::min<size_t>(chunk, static_cast<size_t>(g_failAfter) - done);
        }
        ssize_t n = ::write(fd, bytes.data() + done, chunk);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        done += static_cast<size_t>(n);
    }
    return 0;
}

}  // namespace

void writeFileAtomically(const std::string& path, std::string_view bytes) {
    if (path.empty()) throw KestrelError("Cannot write a file without a name");
    const std::string target = linkTarget(path);
    // The temporary file lies beside the target, so that the rename stays on its file system.
    std::string pattern = folderOf(target) + "/.kestrel-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0) fail(path, errno);
    const std::string temp(name.data());
    int error = writeAll(fd, bytes);
    // Keep the permissions of the file being replaced; a new file gets the usual 0666 & ~umask.
    struct stat old {};
    if (!error) {
        if (::stat(target.c_str(), &old) == 0) {
            ::fchmod(fd, old.st_mode & 07777);
        } else {
            mode_t mask = ::umask(0);
            ::umask(mask);
            ::fchmod(fd, 0666 & ~mask);
        }
        error = flush(fd);
    }
    if (::close(fd) != 0 && !error) error = errno;
    if (!error && ::rename(temp.c_str(), target.c_str()) != 0) error = errno;
    if (error) {
        ::unlink(temp.c_str());
        fail(path, error);
    }
}

namespace testing {
void failWritesAfter(long long bytes) {
    g_failAfter = bytes;
}
void failFlushes(bool on) {
    g_failFlushes = on;
}
}  // namespace testing

}  // namespace kestrel
