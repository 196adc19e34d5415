// libgsf's ZIP input behind a small interface: case-insensitive part lookup, streaming reads,
// and an inflation budget for the whole package.
#include "sheet/packages/ZipPackage.h"

#include <gsf/gsf-infile-zip.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-input.h>

#include <algorithm>
#include <vector>

#include "sheet/core/ReadError.h"
#include "sheet/packages/GLibLogCapture.h"

namespace kestrel {

namespace {

// Real packages inflate to 5 to 30 times their size (a million-row sheet by openpyxl: 7); deflate
// reaches about 1,000 on repeated bytes, which is what ZIP bombs are made of.
constexpr uint64_t kBudgetBase = uint64_t{4} << 20;
constexpr uint64_t kBudgetPerByte = 100;

bool sameIgnoringCase(std::string_view a, const char* b) {
    const std::string_view other(b);
    return a.size() == other.size() &&
           std::equal(a.begin(), a.end(), other.begin(), [](char x, char y) {
               return (x >= 'A' && x <= 'Z' ? x | 0x20 : x) ==
                      (y >= 'A' && y <= 'Z' ? y | 0x20 : y);
           });
}

std::string reasonWith(const std::string& reason, const GLibLogCapture& log, GError* error) {
    return log.reasonWithDetail(reason, error ? error->message : nullptr);
}

}  // namespace

ZipPart::ZipPart(ZipPackage& package, GsfInput* stream, std::string name)
    : m_package(package), m_stream(stream), m_name(std::move(name)) {}

ZipPart::~ZipPart() {
    g_object_unref(m_stream);
}

const std::string& ZipPart::fileName() const {
    return m_package.displayName();
}

size_t ZipPart::read(char* buffer, size_t size) {
    const gsf_off_t left = gsf_input_remaining(m_stream);
    if (left <= 0) return 0;
    const size_t count =
        static_cast<size_t>(std::min<gsf_off_t>(left, static_cast<gsf_off_t>(size)));
    m_package.spend(count);
    GLibLogCapture log;
    if (!gsf_input_read(m_stream, count, reinterpret_cast<guint8*>(buffer))) {
        throw readError(m_package.displayName(),
                        reasonWith("it is damaged: its part " + m_name + " is cut short or broken",
                                   log, nullptr));
    }
    return count;
}

ZipPackage::ZipPackage(GsfInput* source, GsfInfile* zip, std::string displayName)
    : m_source(source),
      m_zip(zip),
      m_displayName(std::move(displayName)),
      m_budget(kBudgetBase + kBudgetPerByte * static_cast<uint64_t>(gsf_input_size(source))) {}

ZipPackage::~ZipPackage() {
    g_object_unref(m_zip);
    g_object_unref(m_source);
}

std::unique_ptr<ZipPackage> ZipPackage::openFile(const std::string& path) {
    GLibLogCapture log;
    GError* error = nullptr;
    GsfInput* source = gsf_input_stdio_new(path.c_str(), &error);
    if (!source) {
        const std::string reason = reasonWith("it cannot be opened", log, error);
        if (error) g_error_free(error);
        throw readError(path, reason);
    }
    return fromSource(source, path, log);
}

std::unique_ptr<ZipPackage> ZipPackage::openBytes(std::string_view bytes,
                                                  const std::string& displayName) {
    GLibLogCapture log;
    GsfInput* source = gsf_input_memory_new(reinterpret_cast<const guint8*>(bytes.data()),
                                            static_cast<gsf_off_t>(bytes.size()), FALSE);
    if (!source) throw readError(displayName, "it cannot be opened");
    return fromSource(source, displayName, log);
}

std::unique_ptr<ZipPackage> ZipPackage::fromSource(GsfInput* source, const std::string& displayName,
                                                   const GLibLogCapture& log) {
    GError* error = nullptr;
    GsfInfile* zip = gsf_infile_zip_new(source, &error);
    if (!zip) {
        // The source is released with the broken directory.
        g_object_unref(source);
        const std::string reason =
            reasonWith("it is damaged: its ZIP structure is broken or cut short", log, error);
        if (error) g_error_free(error);
        throw readError(displayName, reason);
    }
    return std::unique_ptr<ZipPackage>(new ZipPackage(source, zip, displayName));
}

GsfInput* ZipPackage::find(std::string_view path) {
    // Walk the folders one name at a time; the returned child is a new reference.
    GsfInfile* folder = m_zip;
    g_object_ref(folder);
    GsfInput* found = nullptr;
    while (!path.empty()) {
        const size_t slash = path.find('/');
        const std::string_view name = path.substr(0, slash);
        path = slash == std::string_view::npos ? std::string_view{} : path.substr(slash + 1);
        GsfInput* child = nullptr;
        const int count = gsf_infile_num_children(folder);
        for (int i = 0; i < count && !child; ++i) {
            const char* childName = gsf_infile_name_by_index(folder, i);
            if (childName && sameIgnoringCase(name, childName)) {
                child = gsf_infile_child_by_index(folder, i);
            }
        }
        g_object_unref(folder);
        if (!child) return nullptr;
        if (path.empty()) {
            found = child;
            break;
        }
        if (!GSF_IS_INFILE(child)) {
            g_object_unref(child);
            return nullptr;
        }
        folder = GSF_INFILE(child);
    }
    return found;
}

std::unique_ptr<ZipPart> ZipPackage::open(std::string_view path) {
    GLibLogCapture log;
    GsfInput* stream = find(path);
    if (!stream) return nullptr;
    if (GSF_IS_INFILE(stream) && gsf_infile_num_children(GSF_INFILE(stream)) >= 0) {
        g_object_unref(stream);  // a folder, not a part
        return nullptr;
    }
    return std::make_unique<ZipPart>(*this, stream, std::string(path));
}

bool ZipPackage::has(std::string_view path) {
    return open(path) != nullptr;
}

void ZipPackage::spend(size_t bytes) {
    if (bytes > m_budget) {
        throw readError(m_displayName,
                        "it inflates to far more data than a spreadsheet of its size holds; it is "
                        "damaged or a ZIP bomb");
    }
    m_budget -= bytes;
}

std::optional<std::string> resolvePartPath(std::string_view fromPart, std::string_view target) {
    std::string joined;
    if (target.starts_with('/')) {
        joined = target.substr(1);
    } else {
        const size_t slash = fromPart.rfind('/');
        if (slash != std::string_view::npos) joined = std::string(fromPart.substr(0, slash + 1));
        joined += target;
    }
    std::vector<std::string_view> segments;
    std::string_view rest = joined;
    while (!rest.empty()) {
        const size_t slash = rest.find('/');
        const std::string_view segment = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view{} : rest.substr(slash + 1);
        if (segment.empty() || segment == ".") continue;
        if (segment == "..") {
            if (segments.empty()) return std::nullopt;
            segments.pop_back();
        } else {
            segments.push_back(segment);
        }
    }
    std::string path;
    for (const auto& segment : segments) path.append(path.empty() ? "" : "/").append(segment);
    return path;
}

}  // namespace kestrel
