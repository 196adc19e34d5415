// The command line of kestrel-batch: option texts as given, before any of them is checked.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kestrel::batch {

/// @brief What the command line said. Numbers and column letters stay texts here: they are
/// checked later, in the order and with the messages of the import dialog.
struct BatchOptions {
    std::string workbook;
    std::optional<std::string> sheet;
    std::string age = "A", y1 = "B", y2 = "C";
    std::string from = "2";
    std::optional<std::string> to;  // absent: the last filled Age cell from row 2 down
    std::string window = "100";
    std::string minPeak = "10";
    std::string baseline = "2";
    std::optional<std::string> table;    // absent: the installed table
    std::optional<std::string> summary;  // absent: no summary workbook
    bool excel5 = false;
    std::optional<std::string> graphs;  // absent: no graph images
    std::optional<std::string> graphFormat;
    std::optional<std::string> windows;  // absent: no windows table file
    std::optional<std::string> grains;   // "N1,N2"; absent: the number of rows
    // Many profiles at once (--matrix): every pair of the --columns compared.
    bool matrix = false;
    std::optional<std::string> columns;    // "B:AZ", "B,D,F"
    std::optional<std::string> matrixOut;  // .csv or .xlsx
    std::optional<std::string> grainsRow;  // the sheet row holding one grain count per column
    std::optional<std::string> measure;    // "d,v,s,l,r2,w2" or "all"; absent: d
    std::optional<std::string> mds;        // classical (default) or nonmetric
    // Profiles built from grain ages (--ages) instead of read from profile columns.
    bool ages = false;
    std::string layout = "columns";          // columns or rows
    std::optional<std::string> samples;      // "NAME1,NAME2"
    std::string errors = "none";             // none, beside or sheet:NAME
    std::string sigma = "1";                 // 1 or 2
    bool relative = false;                   // uncertainties in per cent of the age
    std::string profile = "kde";             // pdp, kde or adaptive
    std::string bandwidth = "auto";          // auto (Botev) or a value in age units
    bool commonBandwidth = false;            // every sample the median of their bandwidths
    std::optional<std::string> grid;         // "FROM:TO:STEP"; absent: chosen from the ages
    std::optional<std::string> profilesOut;  // the Profiles sheet as .csv or .xlsx
    std::optional<std::string> sampleCol, ageCol, errorCol;  // rows layout, letters
    bool strict = false;  // a sample that does not read refuses the workbook, not left out
    // Depositional ages and age components of every sample of grain ages (--ages).
    std::optional<std::string> mda;            // the estimates' file, .csv or .xlsx
    std::optional<std::string> mdaMethods;     // "ysg,yc2s,mla" or "all"; absent: all
    std::optional<std::string> seed;           // YDZ's draws; absent: 1
    std::optional<std::string> mlaParameters;  // 3 (default) or 4
    std::optional<std::string> components;     // K or auto
    std::optional<std::string> componentsOut;  // the components' file, .csv or .xlsx
    // --figure, --peaks-out, --bins-out: the distribution figures and their tables.
    std::optional<std::string> figure;         // stacked, cumulative or bins
    std::optional<std::string> figureOut;      // .svg, .pdf or .png
    std::optional<std::string> bins;           // ascending edges "0,300,600"
    std::optional<std::string> bands;          // "Grenville:1000-1300,Pan-African:500-650"
    std::optional<std::string> order;          // workbook (default), map or names
    bool logAge = false;                       // a logarithmic age axis
    std::optional<std::string> figureWidth;    // millimetres; absent: 170
    std::optional<std::string> figureFont;     // points; absent: 9
    std::optional<std::string> binWidth;       // the stacked histograms'; absent: about 50 bins
    std::optional<std::string> peakThreshold;  // per cent of the highest point; absent: 5
    std::optional<std::string> dkw;            // the samples with a DKW band, or all
    std::optional<std::string> peaksOut;       // .csv or .xlsx
    std::optional<std::string> binsOut;        // .csv or .xlsx
    // Unmixing a sink sample into sources, and end-members of every sample (--ages).
    std::optional<std::string> unmix;      // the sink's name
    std::optional<std::string> sources;    // "A,B,C"
    std::optional<std::string> fit;        // "d,v,profiles" or "all"; absent: all
    std::optional<std::string> bootstrap;  // resamples; absent: 1000
    std::optional<std::string> unmixOut;   // the fits' file, .csv or .xlsx
    std::optional<std::string> nmf;        // K or auto
    std::optional<std::string> nmfOut;     // the end-members' workbook, .xlsx

    bool help = false;
};

/// @brief A command line that cannot be understood (unknown option, missing value, no
/// workbook): the caller prints it with a pointer to --help and exits with status 2.
struct UsageError {
    std::string message;
};

/// @brief Parses "--name VALUE", "--name=VALUE", flags and the one WORKBOOK argument ("--" ends
/// the options). Throws UsageError.
BatchOptions parseBatchOptions(const std::vector<std::string>& args);

/// @brief The --help text.
std::string batchUsage();

}  // namespace kestrel::batch
