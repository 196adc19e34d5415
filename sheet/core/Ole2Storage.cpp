// Opens an OLE2 compound file from memory with libgsf and reads its workbook stream whole.
#include "sheet/core/Ole2Storage.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-input.h>

#include <algorithm>
#include <memory>
#include <optional>

#include "sheet/core/GLibLogCapture.h"
#include "sheet/core/LittleEndian.h"
#include "sheet/core/ReadError.h"

namespace kestrel {

namespace {

constexpr std::string_view kOleMagic{"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8};
constexpr const char* kSaveAsHint = "save it as Excel 97-2003 Workbook (.xls) and open that";

struct GObjectUnref {
    void operator()(void* object) const { g_object_unref(object); }
};
template <class T>
using GPtr = std::unique_ptr<T, GObjectUnref>;

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return (x | 0x20) == (y | 0x20);
           });
}

/// Why a file that is not a compound file is not an .xls workbook, in words a user can act on.
std::string describeForeignFile(std::string_view bytes) {
    if (bytes.starts_with("PK\x03\x04")) {
        if (bytes.find("application/vnd.oasis.opendocument") != std::string_view::npos) {
            return std::string(
                       "it is an OpenDocument spreadsheet (.ods), not an Excel workbook; ") +
                   kSaveAsHint;
        }
        return std::string("it is an Excel 2007 or later workbook (.xlsx/.xlsb); ") + kSaveAsHint;
    }
    if (bytes.size() >= 4) {
        const uint16_t id = readU16le(bytes.data());
        if (id == 0x0009 || id == 0x0209 || id == 0x0409) {
            return std::string("it is an Excel 2.x-4.0 workbook; ") + kSaveAsHint;
        }
    }
    const size_t first = bytes.find_first_not_of(" \t\r\n\xEF\xBB\xBF");
    if (first != std::string_view::npos && bytes[first] == '<') {
        return std::string(
                   "it is a web page or XML file with an .xls name, not an Excel "
                   "workbook; open it in a spreadsheet program and ") +
               kSaveAsHint;
    }
    return "it is not an Excel workbook (.xls)";
}

/// A bare BIFF5/BIFF8 stream starts with a BOF record of id 0x0809.
bool isBareBiffStream(std::string_view bytes) {
    return bytes.size() >= 8 && readU16le(bytes.data()) == 0x0809;
}

std::string withLibraryMessages(const std::string& reason, const GLibLogCapture& log,
                                GError* error) {
    return log.reasonWithDetail(reason, error ? error->message : nullptr);
}

std::optional<int> findWorkbookChild(GsfInfile* ole) {
    const int count = gsf_infile_num_children(ole);
    std::optional<int> book;
    for (int i = 0; i < count; ++i) {
        const char* name = gsf_infile_name_by_index(ole, i);
        if (!name) continue;
        // An Excel 97 file saved for Excel 5 too holds both; the Excel 97 stream is the full one.
        if (equalsIgnoringCase(name, "Workbook")) return i;
        if (equalsIgnoringCase(name, "Book")) book = i;
    }
    return book;
}

bool hasChild(GsfInfile* ole, std::string_view wanted) {
    const int count = gsf_infile_num_children(ole);
    for (int i = 0; i < count; ++i) {
        const char* name = gsf_infile_name_by_index(ole, i);
        if (name && equalsIgnoringCase(name, wanted)) return true;
    }
    return false;
}

std::string describeMissingWorkbook(GsfInfile* ole) {
    if (hasChild(ole, "EncryptedPackage")) {
        return "it is a password-protected Excel 2007 or later workbook; remove the password and "
               "save it as Excel 97-2003 Workbook (.xls)";
    }
    if (hasChild(ole, "WordDocument")) return "it is a Word document, not an Excel workbook";
    if (hasChild(ole, "PowerPoint Document")) {
        return "it is a PowerPoint presentation, not an Excel workbook";
    }
    return "it is a compound document that holds no Excel workbook";
}

std::string readChildWhole(GsfInfile* ole, int index, std::string_view fileBytes,
                           const std::string& displayName, const GLibLogCapture& log) {
    GPtr<GsfInput> stream(gsf_infile_child_by_index(ole, index));
    if (!stream) {
        throw readError(displayName,
                        withLibraryMessages("it is damaged: its workbook stream cannot be opened", log, nullptr));
    }
    const gsf_off_t size = gsf_input_size(stream.get());
    // A stream is made of the file's own sectors, so it cannot be larger than the file.
    if (size < 0 || static_cast<uint64_t>(size) > fileBytes.size()) {
        throw readError(displayName, "it is damaged: its workbook stream claims " +
                                         std::to_string(size) + " bytes in a file of " +
                                         std::to_string(fileBytes.size()));
    }
    std::string bytes(static_cast<size_t>(size), '\0');
    if (size > 0 && !gsf_input_read(stream.get(), static_cast<size_t>(size),
                                    reinterpret_cast<guint8*>(bytes.data()))) {
        throw readError(displayName,
                        withLibraryMessages("it is damaged: its workbook stream is cut short or "
                                            "broken",
                                            log, nullptr));
    }
    return bytes;
}

}  // namespace

WorkbookStream readWorkbookStream(std::string_view fileBytes, const std::string& displayName) {
    if (fileBytes.empty()) throw readError(displayName, "the file is empty");
    if (!fileBytes.starts_with(kOleMagic)) {
        if (isBareBiffStream(fileBytes)) return {std::string(fileBytes), {}};
        throw readError(displayName, describeForeignFile(fileBytes));
    }
    GLibLogCapture log;
    GPtr<GsfInput> input(gsf_input_memory_new(reinterpret_cast<const guint8*>(fileBytes.data()),
                                              static_cast<gsf_off_t>(fileBytes.size()), FALSE));
    if (!input) throw readError(displayName, "it cannot be opened");
    GError* error = nullptr;
    GPtr<GsfInfile> ole(gsf_infile_msole_new(input.get(), &error));
    if (!ole) {
        const std::string reason =
            withLibraryMessages("it is damaged: its compound-file structure is broken", log, error);
        if (error) g_error_free(error);
        throw readError(displayName, reason);
    }
    const std::optional<int> child = findWorkbookChild(ole.get());
    if (!child) throw readError(displayName, describeMissingWorkbook(ole.get()));
    WorkbookStream result;
    result.streamName = gsf_infile_name_by_index(ole.get(), *child);
    result.bytes = readChildWhole(ole.get(), *child, fileBytes, displayName, log);
    return result;
}

}  // namespace kestrel
