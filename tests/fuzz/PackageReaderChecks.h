// Shared by the .xlsx, .ods and .csv fuzz targets and the hostile-file tests: ZIP packages built
// in memory with libgsf, and the properties every read must keep (a workbook inside the
// sheet's address space, or a refusal naming the file).
#pragma once

#include <gsf/gsf-outfile-zip.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-output.h>

#include <cmath>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/KestrelError.h"
#include "sheet/core/WorkbookReader.h"
#include "tests/fuzz/FuzzCheck.h"

namespace kestrel::fuzz {

/// @brief A ZIP package holding `parts` (path, content) in order, deflated.
inline std::string buildPackage(const std::vector<std::pair<std::string, std::string>>& parts) {
    GsfOutput* memory = gsf_output_memory_new();
    GsfOutfile* zip = gsf_outfile_zip_new(memory, nullptr);
    std::map<std::string, GsfOutfile*> folders{{"", zip}};
    for (const auto& [path, content] : parts) {
        std::string folder;
        size_t start = 0;
        for (size_t slash; (slash = path.find('/', start)) != std::string::npos;
             start = slash + 1) {
            const std::string next = path.substr(0, slash);
            if (!folders.count(next)) {
                folders[next] = GSF_OUTFILE(gsf_outfile_new_child(
                    folders[folder], path.substr(start, slash - start).c_str(), TRUE));
            }
            folder = next;
        }
        GsfOutput* child =
            gsf_outfile_new_child(folders[folder], path.substr(start).c_str(), FALSE);
        gsf_output_write(child, content.size(), reinterpret_cast<const guint8*>(content.data()));
        gsf_output_close(child);
        g_object_unref(child);
    }
    for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
        gsf_output_close(GSF_OUTPUT(it->second));
        if (!it->first.empty()) g_object_unref(it->second);
    }
    g_object_unref(zip);
    gsf_output_close(memory);
    const auto* bytes = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(memory));
    std::string package(reinterpret_cast<const char*>(bytes),
                        static_cast<size_t>(gsf_output_size(memory)));
    g_object_unref(memory);
    return package;
}

/// @brief An .xlsx package of one sheet "Data" whose worksheet part is `sheetXml`, with a
/// shared string table of two strings.
inline std::string xlsxWithSheet(const std::string& sheetXml) {
    const std::string main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
    const std::string rels = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    const std::string pkg = "http://schemas.openxmlformats.org/package/2006/relationships";
    return buildPackage(
        {{"[Content_Types].xml",
          "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>"},
         {"_rels/.rels", "<Relationships xmlns=\"" + pkg + "\"><Relationship Id=\"rId1\" Type=\"" +
                             rels +
                             "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"},
         {"xl/workbook.xml", "<workbook xmlns=\"" + main + "\" xmlns:r=\"" + rels +
                                 "\"><sheets><sheet name=\"Data\" sheetId=\"1\" "
                                 "r:id=\"rId1\"/></sheets></workbook>"},
         {"xl/_rels/workbook.xml.rels",
          "<Relationships xmlns=\"" + pkg + "\"><Relationship Id=\"rId1\" Type=\"" + rels +
              "/worksheet\" Target=\"/xl/worksheets/sheet1.xml\"/><Relationship Id=\"rId2\" "
              "Type=\"" +
              rels + "/sharedStrings\" Target=\"sharedStrings.xml\"/></Relationships>"},
         {"xl/sharedStrings.xml", "<sst xmlns=\"" + main +
                                      "\"><si><t>Age</t></si><si><r><t>Y </t></r><r><t>data</t></r>"
                                      "</si></sst>"},
         {"xl/worksheets/sheet1.xml", sheetXml}});
}

/// @brief An .ods package whose content.xml is `contentXml`.
inline std::string odsWithContent(const std::string& contentXml) {
    return buildPackage({{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
                         {"content.xml", contentXml}});
}

/// @brief Reads `bytes` as a workbook file named `name`. Returns true when it was read, false
/// when it was refused; throws InvariantBroken when either outcome breaks a property.
inline bool checkAnyWorkbookBytes(std::string_view bytes, const std::string& name) {
    Workbook book;
    try {
        WorkbookFormat format;
        book = readAnyWorkbookBytes(bytes, name, format);
    } catch (const KestrelError& error) {
        const std::string_view message(error.what());
        require(message.starts_with("Cannot read " + name + ": "),
                std::string("a refusal does not name the file: ") + error.what());
        require(message.find('\n') == std::string_view::npos,
                std::string("a refusal is not one line: ") + error.what());
        return false;
    }
    require(!book.sheets.empty(), "a workbook was read without sheets");
    require(book.activeSheet >= 1 && book.activeSheet <= static_cast<int>(book.sheets.size()),
            "the active sheet is not one of the sheets");
    for (const Worksheet& sheet : book.sheets) {
        int lastRow = 0, lastCol = 0;
        sheet.forEachCell([&](int row, int col, const Cell& cell) {
            require(row >= 1 && row <= kMaxSheetRows && col >= 1 && col <= kMaxSheetCols,
                    "a cell was stored outside the sheet");
            require(row > lastRow || (row == lastRow && col > lastCol),
                    "cells are not in row and column order");
            require(cell.kind != CellKind::Empty, "an empty cell was stored");
            require(cell.kind != CellKind::Number || std::isfinite(cell.number),
                    "a number cell holds an infinity or NaN");
            lastRow = row;
            lastCol = col;
        });
    }
    return true;
}

}  // namespace kestrel::fuzz
