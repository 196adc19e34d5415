// A ZIP container (the package of .xlsx and .ods files) opened with libgsf, whose parts are
// read as streams within a budget that stops ZIP bombs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

typedef struct _GsfInput GsfInput;
typedef struct _GsfInfile GsfInfile;

namespace kestrel {

class GLibLogCapture;
class ZipPackage;

/// @brief One part of a package, read front to back. Every byte read counts against the
/// package's inflation budget; reading past it throws KestrelError.
class ZipPart {
  public:
    ZipPart(ZipPackage& package, GsfInput* stream, std::string name);
    ~ZipPart();
    ZipPart(const ZipPart&) = delete;
    ZipPart& operator=(const ZipPart&) = delete;

    /// @brief Reads up to `size` bytes; 0 at the end. Throws KestrelError for a damaged part.
    size_t read(char* buffer, size_t size);
    const std::string& name() const { return m_name; }
    /// @brief The name of the file the package came from, for messages.
    const std::string& fileName() const;

  private:
    ZipPackage& m_package;
    GsfInput* m_stream;
    std::string m_name;
};

/// @brief A ZIP package. Errors are KestrelError "Cannot read <file>: ..." naming the file.
class ZipPackage {
  public:
    /// @brief Opens the package of the file at `path`, or of bytes held in memory (which must
    /// outlive the package); `displayName` is the name errors give.
    static std::unique_ptr<ZipPackage> openFile(const std::string& path);
    static std::unique_ptr<ZipPackage> openBytes(std::string_view bytes,
                                                 const std::string& displayName);
    ~ZipPackage();
    ZipPackage(const ZipPackage&) = delete;
    ZipPackage& operator=(const ZipPackage&) = delete;

    /// @brief The part at `path` ("xl/workbook.xml"; letter case ignored, as packages do), or
    /// nothing when the package has no such part.
    std::unique_ptr<ZipPart> open(std::string_view path);
    bool has(std::string_view path);

    const std::string& displayName() const { return m_displayName; }
    /// @brief Counts inflated bytes; throws once all parts together inflate to more than a
    /// package of this size can hold honestly (4 MB plus 100 times its size).
    void spend(size_t bytes);

  private:
    ZipPackage(GsfInput* source, GsfInfile* zip, std::string displayName);
    /// @brief The package over an opened source, whose ZIP directory is read here.
    static std::unique_ptr<ZipPackage> fromSource(GsfInput* source, const std::string& displayName,
                                                  const GLibLogCapture& log);
    GsfInput* find(std::string_view path);

    GsfInput* m_source;
    GsfInfile* m_zip;
    std::string m_displayName;
    uint64_t m_budget;
};

/// @brief A part path resolved against the folder of the part that names it: "worksheets/s.xml"
/// from "xl/workbook.xml" gives "xl/worksheets/s.xml"; "/xl/s.xml" is from the package root;
/// ".." steps up. Nothing is returned for a path that climbs above the root.
std::optional<std::string> resolvePartPath(std::string_view fromPart, std::string_view target);

}  // namespace kestrel
