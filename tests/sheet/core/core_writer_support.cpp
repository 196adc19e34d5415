// Helpers of the .xls writer tests (see core_writer_support.h).
#include "core_writer_support.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-input.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace kestrel::writertest {
namespace fs = std::filesystem;

TempDir::TempDir() {
    std::string pattern = (fs::temp_directory_path() / "kestrel-writer-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(m_path, ignored);
}

std::vector<std::string> TempDir::entries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(m_path)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool fileExists(const std::string& path) {
    std::error_code ignored;
    return fs::exists(path, ignored);
}

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::string gsfCompoundFile(const std::string& name, const std::string& content) {
    GsfOutput* memory = gsf_output_memory_new();
    GsfOutfile* ole = gsf_outfile_msole_new(memory);
    GsfOutput* stream = gsf_outfile_new_child(ole, name.c_str(), FALSE);
    bool ok = stream != nullptr;
    constexpr size_t kChunk = 1 << 20;
    for (size_t done = 0; ok && done < content.size(); done += kChunk) {
        const size_t n = std::min(kChunk, content.size() - done);
        ok = gsf_output_write(stream, n, reinterpret_cast<const guint8*>(content.data() + done));
    }
    ok = stream && gsf_output_close(stream) && ok;
    ok = gsf_output_close(GSF_OUTPUT(ole)) && ok;
    std::string file;
    if (ok) {
        const auto* bytes = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(memory));
        file.assign(reinterpret_cast<const char*>(bytes),
                    static_cast<size_t>(gsf_output_size(memory)));
    }
    if (stream) g_object_unref(stream);
    g_object_unref(ole);
    g_object_unref(memory);
    if (!ok) throw std::runtime_error("libgsf could not pack the compound file");
    return file;
}

std::string compoundStream(const std::string& path, const std::string& name) {
    GError* error = nullptr;
    GsfInput* file = gsf_input_stdio_new(path.c_str(), &error);
    if (!file) {
        std::string reason = error ? error->message : "unknown";
        g_clear_error(&error);
        throw std::runtime_error("libgsf cannot open " + path + ": " + reason);
    }
    GsfInfile* ole = gsf_infile_msole_new(file, &error);
    g_object_unref(file);
    if (!ole) {
        std::string reason = error ? error->message : "unknown";
        g_clear_error(&error);
        throw std::runtime_error(path + " is not a compound file: " + reason);
    }
    GsfInput* stream = gsf_infile_child_by_name(ole, name.c_str());
    if (!stream) {
        g_object_unref(ole);
        throw std::runtime_error(path + " has no stream " + name);
    }
    std::string bytes(static_cast<size_t>(gsf_input_size(stream)), '\0');
    const bool ok = bytes.empty() ||
                    gsf_input_read(stream, bytes.size(), reinterpret_cast<guint8*>(bytes.data()));
    g_object_unref(stream);
    g_object_unref(ole);
    if (!ok) throw std::runtime_error("cannot read stream " + name + " of " + path);
    return bytes;
}

uint16_t u16At(const std::string& bytes, size_t at) {
    if (at + 2 > bytes.size()) throw std::out_of_range("u16 beyond the data");
    return static_cast<uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                 static_cast<unsigned char>(bytes[at + 1]) << 8);
}

uint32_t u32At(const std::string& bytes, size_t at) {
    return u16At(bytes, at) | static_cast<uint32_t>(u16At(bytes, at + 2)) << 16;
}

std::vector<Record> recordsFrom(const std::string& stream, size_t offset) {
    std::vector<Record> records;
    while (true) {
        const uint16_t type = u16At(stream, offset);
        const uint16_t length = u16At(stream, offset + 2);
        if (offset + 4 + length > stream.size())
            throw std::out_of_range("record beyond the stream");
        records.push_back({type, offset, stream.substr(offset + 4, length)});
        offset += 4 + length;
        if (type == 0x000A) return records;
    }
}

CommandResult runCommand(const std::string& command) {
    const std::string errFile = (fs::temp_directory_path() / "kestrel-writer-cmd-XXXXXX").string();
    std::string errPath = errFile;
    const int fd = ::mkstemp(errPath.data());
    if (fd >= 0) ::close(fd);
    CommandResult result;
    FILE* pipe = ::popen((command + " 2>" + errPath).c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, n);
    const int status = ::pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    try {
        result.err = readBytes(errPath);
    } catch (const std::exception&) {
    }
    std::remove(errPath.c_str());
    return result;
}

std::string xlrdMissingReason() {
    if (!fileExists("/usr/bin/python3")) return "/usr/bin/python3 is not installed";
    const CommandResult r = runCommand("/usr/bin/python3 -c 'import xlrd'");
    return r.exitCode == 0 ? "" : "python3-xlrd is not installed: " + r.err;
}

namespace {

std::string fromHex(const std::string& hex) {
    if (hex == "-") return "";
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

}  // namespace

XlrdBook readWithXlrd(const std::string& path) {
    const std::string script = std::string(KESTREL_SOURCE_DIR) + "/tests/sheet/writer_xlrd_dump.py";
    const CommandResult r = runCommand("/usr/bin/python3 '" + script + "' '" + path + "'");
    XlrdBook book;
    EXPECT_EQ(r.exitCode, 0) << "xlrd could not read " << path << ": " << r.err;
    std::istringstream lines(r.out);
    std::string tag;
    while (lines >> tag) {
        if (tag == "F") {
            lines >> book.biffVersion;
        } else if (tag == "S") {
            XlrdSheet sheet;
            int index = 0, selected = 0;
            std::string hexName;
            lines >> index >> selected >> hexName;
            sheet.name = fromHex(hexName);
            sheet.selected = selected != 0;
            book.sheets.push_back(sheet);
        } else {
            int row = 0, col = 0;
            std::string value;
            lines >> row >> col >> value;
            if (book.sheets.empty()) throw std::runtime_error("xlrd dump: cell before sheet");
            book.sheets.back().cells[{row, col}] = {tag[0], tag == "T" ? fromHex(value) : value};
        }
    }
    return book;
}

uint64_t bitsOf(double value) {
    return std::bit_cast<uint64_t>(value);
}

}  // namespace kestrel::writertest
