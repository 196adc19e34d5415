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
#include <functional>
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

// Writes everything, honouring the injected failure point; `before` bytes of the file were
// written ahead of these.
int writeAll(int fd, std::string_view bytes, size_t before) {
    size_t done = 0;
    while (done < bytes.size()) {
        size_t chunk = bytes.size() - done;
        if (g_failAfter >= 0) {
            const size_t written = before + done;
            if (static_cast<long long>(written) >= g_failAfter) return ENOSPC;
            chunk = std::min<size_t>(chunk, static_cast<size_t>(g_failAfter) - written);
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

int writeAll(int fd, const std::vector<std::string_view>& pieces) {
    size_t written = 0;
    for (const std::string_view piece : pieces) {
        if (const int error = writeAll(fd, piece, written)) return error;
        written += piece.size();
    }
    return 0;
}

// A fresh temporary file beside the file that `path` names, open for writing.
struct TempFile {
    std::string target, temp;
    int fd = -1;
};

TempFile createTempFile(const std::string& path) {
    if (path.empty()) throw KestrelError("Cannot write a file without a name");
    TempFile file;
    file.target = linkTarget(path);
    // The temporary file lies beside the target, so that the rename stays on its file system.
    std::string pattern = folderOf(file.target) + "/.kestrel-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    file.fd = ::mkstemp(name.data());
    if (file.fd < 0) fail(path, errno);
    file.temp = name.data();
    return file;
}

// Gives the written temporary file the target's permissions (a new file the usual 0666 &
// ~umask), flushes it to disk, closes it and renames it over the target; `error` is what went
// wrong before. On any failure the temporary file is removed and the old file stays.
void commitTempFile(const std::string& path, const TempFile& file, int error) {
    struct stat old {};
    if (!error) {
        if (::stat(file.target.c_str(), &old) == 0) {
            ::fchmod(file.fd, old.st_mode & 07777);
        } else {
            mode_t mask = ::umask(0);
            ::umask(mask);
            ::fchmod(file.fd, 0666 & ~mask);
        }
        error = flush(file.fd);
    }
    if (::close(file.fd) != 0 && !error) error = errno;
    if (!error && ::rename(file.temp.c_str(), file.target.c_str()) != 0) error = errno;
    if (error) {
        ::unlink(file.temp.c_str());
        fail(path, error);
    }
}

}  // namespace

void writeFileAtomically(const std::string& path, std::string_view bytes) {
    writeFileAtomically(path, std::vector<std::string_view>{bytes});
}

void writeFileAtomically(const std::string& path, const std::vector<std::string_view>& pieces) {
    const TempFile file = createTempFile(path);
    commitTempFile(path, file, writeAll(file.fd, pieces));
}

void writeFileAtomicallyVia(const std::string& path,
                            const std::function<void(const std::string& tempPath)>& produce) {
    TempFile file = createTempFile(path);
    try {
        produce(file.temp);
    } catch (...) {
        ::close(file.fd);
        ::unlink(file.temp.c_str());
        throw;
    }
    // The producer may have replaced the file under the name: flush what is there now.
    ::close(file.fd);
    file.fd = ::open(file.temp.c_str(), O_RDWR | O_CLOEXEC);
    if (file.fd < 0) {
        const int error = errno;
        ::unlink(file.temp.c_str());
        fail(path, error);
    }
    commitTempFile(path, file, 0);
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
