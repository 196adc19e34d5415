// Helpers of the .xls writer tests: temporary folders, file bytes, the stream inside a written
// compound file, its records, and what python3-xlrd and gnumeric's ssconvert read from it.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace kestrel::writertest {

/// @brief A fresh folder under the system's temporary folder, removed with its content.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }
    /// @brief Names of the entries in the folder, sorted.
    std::vector<std::string> entries() const;

  private:
    std::string m_path;
};

bool fileExists(const std::string& path);
std::string readBytes(const std::string& path);
void writeBytes(const std::string& path, const std::string& bytes);

/// @brief The named stream of a compound file, read with libgsf; throws if it is missing.
std::string compoundStream(const std::string& path, const std::string& name);
/// @brief A compound file whose root holds the one stream `name`, packed by libgsf's MS-OLE
/// writer (any size, small streams in the mini stream): files for the reader's tests, and the
/// reference the program's own packer is held to.
std::string gsfCompoundFile(const std::string& name, const std::string& content);

struct Record {
    uint16_t type;
    size_t offset;  // of the header, in the stream
    std::string payload;
};
/// @brief The records from `offset` up to and including the next EOF (0x000A).
std::vector<Record> recordsFrom(const std::string& stream, size_t offset);
uint16_t u16At(const std::string& bytes, size_t at);
uint32_t u32At(const std::string& bytes, size_t at);

struct CommandResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};
/// @brief Runs a shell command, capturing its standard output and standard error.
CommandResult runCommand(const std::string& command);

/// @brief What xlrd read: a cell's kind letter (N, T, B, E) and its value as the dump script
/// printed it (float repr, decoded text, 0/1, error code).
struct XlrdCell {
    char kind;
    std::string value;
};
struct XlrdSheet {
    std::string name;
    bool selected = false;
    std::map<std::pair<int, int>, XlrdCell> cells;  // (row, col), 1-based
};
struct XlrdBook {
    int biffVersion = 0;
    std::vector<XlrdSheet> sheets;
};
/// @brief Empty when /usr/bin/python3 with xlrd is there, else the reason to skip.
std::string xlrdMissingReason();
/// @brief Reads `path` with tests/sheet/writer_xlrd_dump.py; fails the test if xlrd refuses it.
XlrdBook readWithXlrd(const std::string& path);

/// @brief The bits of a double, to compare numbers exactly.
uint64_t bitsOf(double value);

}  // namespace kestrel::writertest
