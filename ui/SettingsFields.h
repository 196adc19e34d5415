// The settings and working fields of the shared state: what the settings file, the dialogs,
// the calculation and saving exchange. Texts are UTF-8 as persisted; numbers are parsed from
// them by the dialogs. The main window's shared state record derives from this and ProfileData.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/SampleSizes.h"

namespace kestrel {

/// @brief The last choices of the Open grain ages dialog, as the settings file keeps them
/// (texts; the dialog reads what it understands and falls back to these defaults).
struct GrainAgesFields {
    std::string workbook;            // full path
    std::string sheet;               // the ages sheet's name
    std::string layout = "columns";  // "columns" or "rows"
    std::string headingRow = "1";
    std::string uncertainties = "none";  // "none", "sheet" or "beside" (rows layout: a column)
    std::string errorsSheet;
    std::string sigma = "1";      // "1" or "2"
    std::string perCent = "0";    // "1": uncertainties in per cent of the age
    std::string profile = "KDE";  // "PDP", "KDE" or "adaptive KDE"
    std::string bandwidth;        // empty: each sample's own (Botev)
    std::string commonBandwidth = "0";
    std::string gridFrom, gridTo, gridStep;  // all empty: the automatic grid
    std::string firstSample, secondSample;
    std::string compare = "two";  // "two" or "all"
    std::string ageWindowWidth;   // the pair's age window; empty: not set yet
    bool operator==(const GrainAgesFields&) const = default;
};

/// @brief The Depositional age page's choices, as the settings file keeps them (texts; the page
/// reads what it understands and falls back to these defaults).
struct DepositionalAgeFields {
    std::string methods = "all";      // "all", or the estimators' keys: "ysg,yc1s,mla"
    std::string seed = "1";           // YDZ's draws
    std::string mlaParameters = "3";  // "3" or "4"
    std::string components = "auto";  // "auto" or 1 .. 8
    bool operator==(const DepositionalAgeFields&) const = default;
};

/// @brief The Distributions page's choices, as the settings file keeps them (texts; the page
/// reads what it understands and falls back to its defaults).
struct DistributionsFields {
    std::string profile = "KDE";      // a profile method's label
    std::string bandwidth;            // empty: each sample's own
    std::string binWidth;             // the stacked histograms'; empty: about 50 bins
    std::string bands;                // "Grenville:1000-1300,Pan-African:500-650"
    std::string order = "workbook";   // "workbook", "map", or names separated by commas
    std::string logAge = "no";        // "yes" or "no"
    std::string peakThreshold = "5";  // per cent
    std::string binEdges = "0,300,600,1000,1300,2000,4500";
    std::string width = "170";  // exported figures, mm
    std::string font = "9";     // exported figures, points
    bool operator==(const DistributionsFields&) const = default;
};

struct SettingsFields {
    std::string IniBaseName;
    double MinPeakHeight = 0;
    double BaselinePeakHeight = 0;
    std::string MinPeakHeightStr, BaselinePeakHeightStr;
    int32_t MainLeft = 0, MainTop = 0, MainHeight = 0, MainWidth = 0;
    int32_t SheetLeft = 0, SheetTop = 0, SheetHeight = 0, SheetWidth = 0;
    std::string FromRowStr, ToRowStr;
    int32_t FromRow = 0, ToRow = 0;
    std::string AgeColStr, Y1ColStr, Y2ColStr;
    std::string AgeWindowWidthStr;
    int32_t AgeCol = 0, Y1Col = 0, Y2Col = 0;
    double AgeWindowWidth = 0;
    int32_t SheetIndex = 0;
    std::string DataExportPath;     // folder of the last saved summary, no trailing "/"
    std::string DataImportPath;     // folder of the last chosen workbook, with a trailing "/"
    std::string ClientDatasetPath;  // folder of the critical value table
    std::string WorkbookFileName;   // chosen workbook's name without its folder
    std::string WorkbookPath;       // the same workbook's full path (loaded by the main window)
    /// Last-row table of the import dialog: one entry per sheet of the loaded workbook (index 0
    /// is sheet 1). Lasts for the whole run.
    std::vector<int32_t> SheetLastRows;
    /// Full paths of the workbooks opened last, the latest first (at most eight).
    std::vector<std::string> RecentWorkbooks;
    /// Those of RecentWorkbooks last opened as grain ages, reopened through their dialog.
    std::vector<std::string> RecentAgesWorkbooks;
    std::string ProgramVersion = "1.0.0.0";
    /// Grains behind each profile, the sample sizes of the next calculation; none: the classic
    /// rule (the number of rows).
    std::optional<GrainCounts> Grains;
    /// The Open grain ages dialog's last confirmed choices; none until it was first used.
    std::optional<GrainAgesFields> GrainAgesChoices;
    /// Options > Other measures in the windows table: every window also by Kuiper V,
    /// Similarity, Likeness, R² and W2.
    bool WindowsMeasures = false;
    /// The Depositional age page's last choices; none until the page was first filled.
    std::optional<DepositionalAgeFields> DepositionalChoices;
    /// The Distributions page's last choices; none until the page was first filled.
    std::optional<DistributionsFields> DistributionsChoices;
};

}  // namespace kestrel
