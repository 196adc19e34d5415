// Writing a ZIP package (the container of .xlsx) part by part, every part deflated. A long part
// is cut into chunks that worker threads deflate while the caller goes on producing the text, so
// a sheet of a million rows is packed on every core the machine has.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

class DeflatePool;
struct DeflateJob;

/// @brief A ZIP file written from start to end: local headers (their sizes and CRC filled in
/// once each part is done), deflated data, then the central directory. Parts and the package stay
/// below 4 GiB (no ZIP64); a larger one is refused. Every failure throws KestrelError "Cannot
/// write <displayPath>: <reason>"; after one, the file is left unfinished for the caller to
/// remove.
class ZipWriter {
  public:
    /// Bytes of part text handed to a worker at a time.
    static constexpr size_t kChunkBytes = size_t{1} << 20;

    ZipWriter(const std::string& path, std::string displayPath);
    ~ZipWriter();
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    /// @brief Starts a part named `name` (a path inside the package, "/" between folders).
    void beginPart(std::string_view name);
    /// @brief Hands over the next bytes of the open part; `bytes` comes back empty, keeping a
    /// recycled buffer's capacity. Deflating happens on the workers, in chunks of about
    /// kChunkBytes.
    void write(std::string& bytes);
    /// @brief Hands over the next text of the open part as a maker of it: `render` appends the
    /// text to the string it is given, on a worker thread, so making the text of a long part
    /// is spread over the cores too. It must not touch anything the caller goes on changing.
    void writeLater(std::function<void(std::string& text)> render);
    /// @brief Waits for the open part's chunks and completes its local header.
    void endPart();
    /// @brief A whole part at once.
    void addPart(std::string_view name, std::string_view bytes);
    /// @brief Writes the central directory and closes the file.
    void finish();

  private:
    struct Entry {
        std::string name;
        uint32_t crc = 0, compressedSize = 0, size = 0, headerOffset = 0;
    };
    std::unique_ptr<DeflateJob> freshJob();
    void submit(bool last);
    void push(std::unique_ptr<DeflateJob> job);
    void writeReady(bool waitForAll);
    void put(const void* data, size_t size);
    uint32_t offset32(const char* what) const;
    [[noreturn]] void fail(const std::string& reason) const;

    std::string m_displayPath;
    FILE* m_file = nullptr;
    std::unique_ptr<DeflatePool> m_pool;
    std::vector<Entry> m_entries;
    bool m_partOpen = false;
    std::string m_pending;  // text of the open part not yet handed to a worker
    std::string m_window;   // the last 32 KiB handed over, the next chunk's dictionary
    std::vector<std::unique_ptr<DeflateJob>> m_spareJobs;  // written, kept for their buffers
    uint64_t m_partSize = 0, m_partCompressed = 0, m_offset = 0;
    uint32_t m_partCrc = 0;
    uint16_t m_dosTime = 0, m_dosDate = 0;
};

}  // namespace kestrel
