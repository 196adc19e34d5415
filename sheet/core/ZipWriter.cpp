// The ZIP container written by hand around ISA-L's raw deflate. A part's text is cut into chunks
// (or made in chunks by the workers themselves); each worker deflates a chunk on its own, primed
// with the 32 KiB before it where that text is known, so the ratio stays near one stream's, and
// ends it with a sync flush (an empty stored block, byte-aligned, not final). The chunks then
// follow each other as one valid deflate stream; the last one ends the stream, and zlib combines
// the chunks' CRCs.
#include "sheet/core/ZipWriter.h"

#include <isa-l/crc.h>
#include <isa-l/igzip_lib.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <ctime>
#include <deque>
#include <functional>
#include <mutex>
#include <new>
#include <thread>

#include "engine/KestrelError.h"

namespace kestrel {

namespace {

// ISA-L's level 1: several times zlib's fastest level in speed, and sheet XML still shrinks
// about sevenfold.
constexpr uint32_t kDeflateLevel = 1;
constexpr size_t kWindow = size_t{1} << 15;
constexpr uint64_t kZipLimit = 0xFFFFFFFFu;

void putU16(std::string& out, uint16_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}
void putU32(std::string& out, uint32_t v) {
    putU16(out, static_cast<uint16_t>(v & 0xFFFF));
    putU16(out, static_cast<uint16_t>(v >> 16));
}

}  // namespace

struct DeflateJob {
    std::string input;
    std::function<void(std::string&)> render;  // when set, makes `input` on the worker
    std::string dictionary;                    // the text just before this chunk, at most 32 KiB
    bool last = false;
    std::string output;  // its first outputSize bytes; kept larger when the job is reused
    size_t outputSize = 0;
    uint32_t crc = 0;
    bool done = false;
    std::string error;
};

/// Worker threads deflating jobs in the order they come; the caller takes them back in that
/// order.
class DeflatePool {
  public:
    explicit DeflatePool(unsigned workers) {
        for (unsigned i = 0; i < workers; ++i) m_threads.emplace_back([this] { run(); });
    }
    ~DeflatePool() {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_work.notify_all();
        for (auto& thread : m_threads) thread.join();
    }
    DeflatePool(const DeflatePool&) = delete;
    DeflatePool& operator=(const DeflatePool&) = delete;

    size_t workers() const { return m_threads.size(); }

    void push(std::unique_ptr<DeflateJob> job) {
        {
            std::lock_guard lock(m_mutex);
            m_jobs.push_back(std::move(job));
        }
        m_work.notify_one();
    }
    /// The oldest job once it is deflated (waiting for it when `wait`), else nullptr.
    std::unique_ptr<DeflateJob> takeFinished(bool wait) {
        std::unique_lock lock(m_mutex);
        if (wait) m_done.wait(lock, [this] { return m_jobs.empty() || m_jobs.front()->done; });
        if (m_jobs.empty() || !m_jobs.front()->done) return nullptr;
        auto job = std::move(m_jobs.front());
        m_jobs.pop_front();
        --m_taken;
        return job;
    }
    size_t queued() {
        std::lock_guard lock(m_mutex);
        return m_jobs.size();
    }

  private:
    void run() {
        // ISA-L's level 1 wants a scratch buffer of its own per stream.
        std::vector<uint8_t> levelBuffer(ISAL_DEF_LVL1_DEFAULT);
        for (;;) {
            DeflateJob* job = nullptr;
            {
                std::unique_lock lock(m_mutex);
                m_work.wait(lock, [this] { return m_stop || m_taken < m_jobs.size(); });
                if (m_stop) break;
                job = m_jobs[m_taken++].get();
            }
            if (job->render) {
                job->input.clear();
                try {
                    job->render(job->input);
                } catch (const std::bad_alloc&) {
                    job->error = "there is not memory enough to make it";
                }
                job->render = nullptr;
            }
            if (job->error.empty()) deflateJob(levelBuffer, *job);
            {
                std::lock_guard lock(m_mutex);
                job->done = true;
            }
            m_done.notify_all();
        }
    }

    static void deflateJob(std::vector<uint8_t>& levelBuffer, DeflateJob& job) {
        auto* in = reinterpret_cast<uint8_t*>(job.input.data());
        const auto inSize = static_cast<uint32_t>(job.input.size());
        job.crc = crc32_gzip_refl(0, in, inSize);
        isal_zstream stream;
        isal_deflate_init(&stream);
        stream.level = kDeflateLevel;
        stream.level_buf = levelBuffer.data();
        stream.level_buf_size = static_cast<uint32_t>(levelBuffer.size());
        if (!job.dictionary.empty() &&
            isal_deflate_set_dict(&stream, reinterpret_cast<uint8_t*>(job.dictionary.data()),
                                  static_cast<uint32_t>(job.dictionary.size())) != COMP_OK) {
            job.error = "the compressor refused its dictionary";
            return;
        }
        stream.next_in = in;
        stream.avail_in = inSize;
        stream.end_of_stream = job.last ? 1 : 0;
        stream.flush = job.last ? NO_FLUSH : SYNC_FLUSH;
        // Text that does not shrink is stored: a few bytes per 64 KiB block over its size.
        const size_t bound = job.input.size() + job.input.size() / 64 + 1024;
        if (job.output.size() < bound) job.output.resize(bound);
        size_t produced = 0;
        for (;;) {
            stream.next_out = reinterpret_cast<uint8_t*>(job.output.data() + produced);
            stream.avail_out = static_cast<uint32_t>(job.output.size() - produced);
            if (isal_deflate(&stream) != COMP_OK) {
                job.error = "the compressor cannot compress it";
                return;
            }
            produced = job.output.size() - stream.avail_out;
            // Done once the stream is ended, or all input flushed with room to spare.
            const bool done = job.last ? stream.internal_state.state == ZSTATE_END
                                       : stream.avail_in == 0 && stream.avail_out != 0;
            if (done) break;
            job.output.resize(job.output.size() * 2);
        }
        job.outputSize = produced;
    }

    std::mutex m_mutex;
    std::condition_variable m_work, m_done;
    std::deque<std::unique_ptr<DeflateJob>> m_jobs;  // in order; the first m_taken are taken
    size_t m_taken = 0;
    bool m_stop = false;
    std::vector<std::thread> m_threads;
};

ZipWriter::ZipWriter(const std::string& path, std::string displayPath)
    : m_displayPath(std::move(displayPath)) {
    m_file = std::fopen(path.c_str(), "wb");
    if (!m_file) fail(std::string("the file cannot be created (") + std::strerror(errno) + ")");
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local) && local.tm_year >= 80) {
        m_dosTime =
            static_cast<uint16_t>((local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2));
        m_dosDate = static_cast<uint16_t>(((local.tm_year - 80) << 9) | ((local.tm_mon + 1) << 5) |
                                          local.tm_mday);
    } else {
        m_dosDate = (1 << 5) | 1;  // 1 January 1980
    }
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    m_pool = std::make_unique<DeflatePool>(std::min(cores, 4u));
}

ZipWriter::~ZipWriter() {
    m_pool.reset();
    if (m_file) std::fclose(m_file);
}

void ZipWriter::beginPart(std::string_view name) {
    if (m_partOpen) endPart();
    Entry entry;
    entry.name = std::string(name);
    entry.headerOffset = offset32("the package");
    std::string header;
    putU32(header, 0x04034b50);
    putU16(header, 20);  // version needed: deflate
    putU16(header, 0);   // flags
    putU16(header, 8);   // deflated
    putU16(header, m_dosTime);
    putU16(header, m_dosDate);
    putU32(header, 0);  // CRC and sizes, filled in by endPart()
    putU32(header, 0);
    putU32(header, 0);
    putU16(header, static_cast<uint16_t>(entry.name.size()));
    putU16(header, 0);
    header += entry.name;
    put(header.data(), header.size());
    m_entries.push_back(std::move(entry));
    m_partOpen = true;
    m_partSize = m_partCompressed = 0;
    m_partCrc = 0;
    m_pending.clear();
}

void ZipWriter::write(std::string& bytes) {
    if (m_pending.empty()) {
        m_pending.swap(bytes);
    } else {
        m_pending += bytes;
    }
    bytes.clear();
    if (m_pending.size() >= kChunkBytes) submit(false);
}

std::unique_ptr<DeflateJob> ZipWriter::freshJob() {
    if (m_spareJobs.empty()) return std::make_unique<DeflateJob>();
    auto job = std::move(m_spareJobs.back());
    m_spareJobs.pop_back();
    job->done = false;
    return job;
}

void ZipWriter::submit(bool last) {
    std::unique_ptr<DeflateJob> job = freshJob();
    // Each chunk is primed with the 32 KiB of text before it, when that text is known here.
    job->dictionary = m_window;
    if (m_pending.size() >= kWindow) {
        m_window.assign(m_pending, m_pending.size() - kWindow, kWindow);
    } else {
        m_window += m_pending;
        if (m_window.size() > kWindow) m_window.erase(0, m_window.size() - kWindow);
    }
    job->input.swap(m_pending);  // m_pending takes the reused job's empty buffer
    job->last = last;
    push(std::move(job));
}

void ZipWriter::writeLater(std::function<void(std::string& text)> render) {
    if (!m_pending.empty()) submit(false);
    std::unique_ptr<DeflateJob> job = freshJob();
    job->dictionary = m_window;
    job->render = std::move(render);
    job->last = false;
    // The text is made on the worker: the chunk after it starts without a dictionary.
    m_window.clear();
    push(std::move(job));
}

void ZipWriter::push(std::unique_ptr<DeflateJob> job) {
    m_pool->push(std::move(job));
    writeReady(false);
    // Keep the chunks in flight few: memory stays a few megabytes whatever the part's size.
    while (m_pool->queued() > 2 * m_pool->workers() + 1) writeReady(true);
}

void ZipWriter::writeReady(bool waitForOne) {
    bool wait = waitForOne;
    while (auto job = m_pool->takeFinished(wait)) {
        wait = false;
        if (!job->error.empty()) fail("the part " + m_entries.back().name + ": " + job->error);
        m_partSize += job->input.size();
        if (m_partSize > kZipLimit) {
            fail("the part " + m_entries.back().name +
                 " would pass 4 GiB, more than this writer puts in a package");
        }
        put(job->output.data(), job->outputSize);
        m_partCompressed += job->outputSize;
        m_partCrc = static_cast<uint32_t>(
            crc32_combine(m_partCrc, job->crc, static_cast<z_off_t>(job->input.size())));
        job->input.clear();
        m_spareJobs.push_back(std::move(job));
    }
}

void ZipWriter::endPart() {
    if (!m_partOpen) return;
    submit(true);
    while (m_pool->queued() > 0) writeReady(true);
    m_window.clear();
    m_partOpen = false;
    Entry& entry = m_entries.back();
    if (m_partCompressed > kZipLimit) {
        fail("the part " + entry.name +
             " would pass 4 GiB, more than this writer puts in a package");
    }
    entry.crc = m_partCrc;
    entry.size = static_cast<uint32_t>(m_partSize);
    entry.compressedSize = static_cast<uint32_t>(m_partCompressed);
    std::string sizes;
    putU32(sizes, entry.crc);
    putU32(sizes, entry.compressedSize);
    putU32(sizes, entry.size);
    if (fseeko(m_file, static_cast<off_t>(entry.headerOffset) + 14, SEEK_SET) != 0 ||
        std::fwrite(sizes.data(), 1, sizes.size(), m_file) != sizes.size() ||
        fseeko(m_file, 0, SEEK_END) != 0) {
        fail(std::string("the package cannot be written (") + std::strerror(errno) + ")");
    }
}

void ZipWriter::addPart(std::string_view name, std::string_view bytes) {
    beginPart(name);
    std::string text(bytes);
    write(text);
    endPart();
}

void ZipWriter::finish() {
    endPart();
    const uint32_t directoryOffset = offset32("the package");
    std::string directory;
    for (const Entry& entry : m_entries) {
        putU32(directory, 0x02014b50);
        putU16(directory, 20);  // made by: MS-DOS attributes, version 2.0
        putU16(directory, 20);  // version needed
        putU16(directory, 0);
        putU16(directory, 8);
        putU16(directory, m_dosTime);
        putU16(directory, m_dosDate);
        putU32(directory, entry.crc);
        putU32(directory, entry.compressedSize);
        putU32(directory, entry.size);
        putU16(directory, static_cast<uint16_t>(entry.name.size()));
        putU16(directory, 0);  // extra field
        putU16(directory, 0);  // comment
        putU16(directory, 0);  // disk
        putU16(directory, 0);  // internal attributes
        putU32(directory, 0);  // external attributes
        putU32(directory, entry.headerOffset);
        directory += entry.name;
    }
    put(directory.data(), directory.size());
    const uint32_t directorySize = static_cast<uint32_t>(directory.size());
    offset32("the package");
    std::string end;
    putU32(end, 0x06054b50);
    putU16(end, 0);
    putU16(end, 0);
    putU16(end, static_cast<uint16_t>(m_entries.size()));
    putU16(end, static_cast<uint16_t>(m_entries.size()));
    putU32(end, directorySize);
    putU32(end, directoryOffset);
    putU16(end, 0);
    put(end.data(), end.size());
    FILE* file = m_file;
    m_file = nullptr;
    if (std::fclose(file) != 0) {
        fail(std::string("the package cannot be written (") + std::strerror(errno) + ")");
    }
}

void ZipWriter::put(const void* data, size_t size) {
    if (size != 0 && std::fwrite(data, 1, size, m_file) != size) {
        fail(std::string("the package cannot be written (") + std::strerror(errno) + ")");
    }
    m_offset += size;
}

uint32_t ZipWriter::offset32(const char* what) const {
    if (m_offset > kZipLimit) {
        fail(std::string(what) + " would pass 4 GiB, more than this writer puts in a package");
    }
    return static_cast<uint32_t>(m_offset);
}

void ZipWriter::fail(const std::string& reason) const {
    throw KestrelError("Cannot write " + m_displayPath + ": " + reason);
}

}  // namespace kestrel
