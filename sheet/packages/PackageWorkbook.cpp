// A ZIP package's workbook, told apart by the parts it holds.
#include "sheet/core/PackageReader.h"
#include "sheet/core/ReadError.h"
#include "sheet/packages/OdsReader.h"
#include "sheet/packages/XlsxReader.h"
#include "sheet/packages/ZipPackage.h"

namespace kestrel {

namespace {

Workbook readPackage(ZipPackage& package, WorkbookFormat& format) {
    if (isOdsPackage(package)) {
        format = WorkbookFormat::Ods;
        return readOdsPackage(package);
    }
    if (isXlsxPackage(package)) {
        format = WorkbookFormat::Xlsx;
        return readXlsxPackage(package);
    }
    if (package.has("xl/workbook.bin")) {
        throw readError(package.displayName(),
                        "it is an Excel binary workbook (.xlsb); save it as Excel Workbook "
                        "(.xlsx) and open that");
    }
    if (package.has("mimetype") || package.has("content.xml")) {
        throw readError(package.displayName(), "it is an OpenDocument file, but not a spreadsheet");
    }
    throw readError(package.displayName(), "it is a ZIP archive that holds no workbook");
}

}  // namespace

Workbook readPackageWorkbook(const std::string* path, std::string_view bytes,
                             const std::string& displayName, WorkbookFormat& format) {
    if (path) return readPackage(*ZipPackage::openFile(*path), format);
    return readPackage(*ZipPackage::openBytes(bytes, displayName), format);
}

}  // namespace kestrel
