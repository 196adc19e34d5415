// Chooses a workbook file's reader by its content and hands the file to it. Adding a format is
// one reader class and one line in readers().
#include "sheet/core/WorkbookReader.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "sheet/core/BiffReader.h"
#include "sheet/core/CsvReader.h"
#include "sheet/core/PackageReader.h"
#include "sheet/core/ReadError.h"

namespace kestrel {

namespace {

constexpr size_t kHeadSize = 8192;

uint16_t u16At(std::string_view head, size_t pos) {
    return static_cast<uint16_t>(static_cast<unsigned char>(head[pos]) |
                                 static_cast<unsigned char>(head[pos + 1]) << 8);
}

/// .xls: the OLE2 compound file, a bare BIFF stream, and the Excel 2.x-4.0 files the .xls
/// reader names in its refusal.
class BiffWorkbookReader : public WorkbookReader {
  public:
    bool takes(std::string_view head) const override {
        if (head.starts_with(std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8))) return true;
        if (head.size() < 4) return false;
        const uint16_t id = u16At(head, 0);
        return id == 0x0809 || id == 0x0009 || id == 0x0209 || id == 0x0409;
    }
    Workbook read(const std::string& path, WorkbookFormat& format) const override {
        int16_t fileType = 0;
        Workbook book = readWorkbookFile(path, fileType);
        format = static_cast<WorkbookFormat>(fileType);
        return book;
    }
    Workbook readBytes(std::string_view bytes, const std::string& name,
                       WorkbookFormat& format) const override {
        int16_t fileType = 0;
        Workbook book = readWorkbookBytes(bytes, name, fileType);
        format = static_cast<WorkbookFormat>(fileType);
        return book;
    }
};

/// .xlsx, .xlsm and .ods: a ZIP package, read by the package readers.
class PackageWorkbookReader : public WorkbookReader {
  public:
    bool takes(std::string_view head) const override {
        return head.starts_with("PK\x03\x04") || head.starts_with("PK\x05\x06");
    }
    Workbook read(const std::string& path, WorkbookFormat& format) const override {
        return readPackageWorkbook(&path, {}, path, format);
    }
    Workbook readBytes(std::string_view bytes, const std::string& name,
                       WorkbookFormat& format) const override {
        return readPackageWorkbook(nullptr, bytes, name, format);
    }
};

/// .csv: anything that reads as text.
class CsvWorkbookReader : public WorkbookReader {
  public:
    bool takes(std::string_view head) const override {
        for (const char c : head) {
            const auto byte = static_cast<unsigned char>(c);
            // Binary data holds control characters; text holds only tabs and line ends.
            if (byte < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f') return false;
        }
        return !isMarkup(head);
    }
    Workbook read(const std::string& path, WorkbookFormat& format) const override {
        format = WorkbookFormat::Csv;
        return readCsvFile(path);
    }
    Workbook readBytes(std::string_view bytes, const std::string& name,
                       WorkbookFormat& format) const override {
        format = WorkbookFormat::Csv;
        return readCsvBytes(bytes, name);
    }

    static bool isMarkup(std::string_view head) {
        const size_t first = head.find_first_not_of(" \t\r\n\xEF\xBB\xBF");
        return first != std::string_view::npos && head[first] == '<';
    }
};

const std::array<const WorkbookReader*, 3>& readers() {
    static const BiffWorkbookReader biff;
    static const PackageWorkbookReader package;
    static const CsvWorkbookReader csv;
    static const std::array<const WorkbookReader*, 3> all{&biff, &package, &csv};
    return all;
}

const WorkbookReader& readerFor(std::string_view head, const std::string& name) {
    if (head.empty()) throw readError(name, "the file is empty");
    for (const WorkbookReader* reader : readers()) {
        if (reader->takes(head)) return *reader;
    }
    if (CsvWorkbookReader::isMarkup(head)) {
        throw readError(name,
                        "it is a web page or XML file, not a workbook; open it in a spreadsheet "
                        "program and save it as Excel Workbook (.xlsx) or CSV (.csv)");
    }
    throw readError(name,
                    "its content is not a workbook this program reads (Excel .xls, .xlsx or "
                    ".xlsm, OpenDocument .ods, or comma-separated text .csv)");
}

std::string readHead(const std::string& path) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (!std::filesystem::exists(status)) throw readError(path, "the file does not exist");
    if (std::filesystem::is_directory(status)) throw readError(path, "it is a folder, not a file");
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file) {
        throw readError(path, std::string("it cannot be opened (") + std::strerror(errno) + ")");
    }
    std::string head(kHeadSize, '\0');
    head.resize(std::fread(head.data(), 1, head.size(), file.get()));
    if (std::ferror(file.get())) {
        throw readError(path, std::string("it cannot be read (") + std::strerror(errno) + ")");
    }
    return head;
}

}  // namespace

Workbook readAnyWorkbookFile(const std::string& path, WorkbookFormat& format) {
    return readerFor(readHead(path), path).read(path, format);
}

Workbook readAnyWorkbookBytes(std::string_view bytes, const std::string& displayName,
                              WorkbookFormat& format) {
    return readerFor(bytes.substr(0, kHeadSize), displayName).readBytes(bytes, displayName, format);
}

}  // namespace kestrel
