// Parsing kestrel-batch's command line from one table of options, which also writes --help.
#include "tools/batch/BatchOptions.h"

#include <algorithm>
#include <functional>
#include <sstream>
#include <string_view>

#include "engine/density/ProfileMethods.h"
#include "engine/depositional/DepositionalAges.h"
#include "engine/measures/Measures.h"

namespace kestrel::batch {
namespace {

struct OptionSpec {
    std::string_view name;       // "--sheet"
    std::string_view valueName;  // "N"; empty for a flag
    std::string help;
    std::function<void(BatchOptions&, const std::string&)> apply;
};

constexpr size_t kHelpColumn = 19;  // where every option's help starts
constexpr size_t kHelpWidth = 62;   // the most characters of help on a line

// The words of `text` on lines of at most kHelpWidth characters, each line after the first
// indented to kHelpColumn.
std::string wrapHelp(const std::string& text) {
    std::string wrapped;
    size_t lineLength = 0;
    std::istringstream words(text);
    for (std::string word; words >> word;) {
        if (lineLength > 0 && lineLength + 1 + word.size() > kHelpWidth) {
            wrapped += '\n';
            wrapped.append(kHelpColumn, ' ');
            lineLength = 0;
        } else if (lineLength > 0) {
            wrapped += ' ';
            ++lineLength;
        }
        wrapped += word;
        lineLength += word.size();
    }
    return wrapped;
}

// --measure's text, each measure from the table: "d (Kolmogorov-Smirnov D), ...".
std::string measuresHelp() {
    std::string text = "with --matrix: the measures, any of";
    for (const MeasureInfo& info : allMeasures()) {
        text += std::string(" ") + info.key + " (" + info.description;
        if (*info.unit) text += std::string(", in ") + info.unit;
        if (info.needsUncertainties) text += ", of grain ages with uncertainties";
        text += "),";
    }
    text +=
        " or all; the map and heat map show the first; with --windows: the windows table gains a "
        "column per measure other than d";
    return wrapHelp(text);
}

// --mda-methods' text, the estimators from their table: "ysg (YSG), yc1s (YC1s(2+)), ...".
std::string depositionalMethodsHelp() {
    std::string text = "with --mda: the methods, any of";
    for (const DepositionalMethodInfo& info : allDepositionalMethods()) {
        text += std::string(" ") + info.key + " (" + info.name + "),";
    }
    text += " or all (the default), in the order given";
    return wrapHelp(text);
}

// Every option, in the order --help lists them. A new option is one more row here.
const std::vector<OptionSpec>& optionTable() {
    static const std::string profileHelp =
        wrapHelp("with --ages: " + profileMethodKeys(ProfileKeys::WithNotes));
    static const std::string measureHelp = measuresHelp();
    static const std::string mdaMethodsHelp = depositionalMethodsHelp();
    static const std::vector<OptionSpec> table{
        {"--sheet", "N", "1-based sheet index (default: the sheet active in the file)",
         [](BatchOptions& o, const std::string& v) { o.sheet = v; }},
        {"--age", "COLS", "Age column letters (default A)",
         [](BatchOptions& o, const std::string& v) { o.age = v; }},
        {"--y1", "COLS", "Y data (1) column letters (default B)",
         [](BatchOptions& o, const std::string& v) { o.y1 = v; }},
        {"--y2", "COLS", "Y data (2) column letters (default C)",
         [](BatchOptions& o, const std::string& v) { o.y2 = v; }},
        {"--from", "ROW", "first sheet row (default 2)",
         [](BatchOptions& o, const std::string& v) { o.from = v; }},
        {"--to", "ROW",
         "last sheet row (default: from row 2 down to the last filled\n"
         "                   cell of the Age column before the first empty one)",
         [](BatchOptions& o, const std::string& v) { o.to = v; }},
        {"--window", "WIDTH", "age window width, in age units (default 100)",
         [](BatchOptions& o, const std::string& v) { o.window = v; }},
        {"--min-peak", "H", "minimum peak height, in profile units (default 10)",
         [](BatchOptions& o, const std::string& v) { o.minPeak = v; }},
        {"--baseline", "H", "baseline peak height, in profile units (default 2)",
         [](BatchOptions& o, const std::string& v) { o.baseline = v; }},
        {"--table", "FILE", "critical value table (default: the installed KolmogorovSmirnov.cds)",
         [](BatchOptions& o, const std::string& v) { o.table = v; }},
        {"--summary", "FILE",
         "write the summary workbook there: .xlsx or .csv as its name ends, else Excel 97",
         [](BatchOptions& o, const std::string& v) { o.summary = v; }},
        {"--excel5", "", "write an .xls summary workbook in Excel 5 format instead",
         [](BatchOptions& o, const std::string&) { o.excel5 = true; }},
        {"--graphs", "DIR", "write the two graphs there as Chart1.png and Chart2.png",
         [](BatchOptions& o, const std::string& v) { o.graphs = v; }},
        {"--graph-format", "FORMAT",
         "png (default), svg or pdf: the graphs as images or as vector\n"
         "                   drawings (Chart1.svg, Chart2.pdf, ...)",
         [](BatchOptions& o, const std::string& v) { o.graphFormat = v; }},
        {"--windows", "FILE",
         "write the windows table there as .csv: every evaluated window\n"
         "                   with n1, n2, D, critical value, p-value and method",
         [](BatchOptions& o, const std::string& v) { o.windows = v; }},
        {"--grains", "N1,N2",
         "grains (analyses) behind profile 1 and profile 2, 1 to 1000000\n"
         "                   each: the sample sizes instead of the number of rows",
         [](BatchOptions& o, const std::string& v) { o.grains = v; }},
        {"--matrix", "",
         "compare many profiles at once: every pair of the --columns,\n"
         "                   a matrix of D (and p), an MDS map and a heat map",
         [](BatchOptions& o, const std::string&) { o.matrix = true; }},
        {"--columns", "COLS",
         "with --matrix: the profile columns, a range B:AZ or a list\n"
         "                   B,D,F (header cells above --from name the samples)",
         [](BatchOptions& o, const std::string& v) { o.columns = v; }},
        {"--matrix-out", "FILE",
         "with --matrix: write D, p and the MDS coordinates there, as\n"
         "                   .csv (blocks one below the other) or .xlsx (sheets D, p,\n"
         "                   MDS); --graphs DIR adds MDS.png and Matrix.png",
         [](BatchOptions& o, const std::string& v) { o.matrixOut = v; }},
        {"--grains-row", "ROW",
         "with --matrix: the row holding each column's grain count (for\n"
         "                   p-values); or --grains N1,N2,... with one per column",
         [](BatchOptions& o, const std::string& v) { o.grainsRow = v; }},
        {"--measure", "LIST", measureHelp,
         [](BatchOptions& o, const std::string& v) { o.measure = v; }},
        {"--mds", "KIND",
         "with --matrix: classical or nonmetric (Kruskal's monotone\n"
         "                   regression by SMACOF from the classical map); either prints\n"
         "                   the map's stress-1, adds it to the MDS block and, with\n"
         "                   --graphs, draws Shepard.png",
         [](BatchOptions& o, const std::string& v) { o.mds = v; }},
        {"--ages", "",
         "build the profiles from grain ages (one list per sample) and\n"
         "                   test the grains themselves too (see the options below); the\n"
         "                   profiles peak at 100, so --min-peak and --baseline are then\n"
         "                   per cent of the highest peak",
         [](BatchOptions& o, const std::string&) { o.ages = true; }},
        {"--layout", "L",
         "with --ages: columns (a heading row names the samples, ages\n"
         "                   below) or rows (one grain a row: Sample, Age, Uncertainty)",
         [](BatchOptions& o, const std::string& v) { o.layout = v; }},
        {"--samples", "A,B", "with --ages: the two samples to compare (or --matrix for all)",
         [](BatchOptions& o, const std::string& v) { o.samples = v; }},
        {"--errors", "WHERE",
         "with --ages, columns layout: none, beside (the column right of\n"
         "                   each age column) or sheet:NAME (a sheet of the same headings)",
         [](BatchOptions& o, const std::string& v) { o.errors = v; }},
        {"--sigma", "1|2", "with --ages: the uncertainties are 1 sigma (default) or 2 sigma",
         [](BatchOptions& o, const std::string& v) { o.sigma = v; }},
        {"--relative", "", "with --ages: the uncertainties are in per cent of the age",
         [](BatchOptions& o, const std::string&) { o.relative = true; }},
        {"--profile", "KIND", profileHelp,
         [](BatchOptions& o, const std::string& v) { o.profile = v; }},
        {"--bandwidth", "H",
         "with --ages: auto (Botev's diffusion estimator, the default)\n"
         "                   or a bandwidth in age units",
         [](BatchOptions& o, const std::string& v) { o.bandwidth = v; }},
        {"--common-bandwidth", "", "with --ages: every sample the median of their bandwidths",
         [](BatchOptions& o, const std::string&) { o.commonBandwidth = true; }},
        {"--grid", "FROM:TO:STEP",
         "with --ages: the age grid, both ends included (default: the\n"
         "                   ages' range and 3 uncertainties or bandwidths beyond)",
         [](BatchOptions& o, const std::string& v) { o.grid = v; }},
        {"--profiles-out", "FILE",
         "with --ages: write the Profiles sheet (Age, one column per\n"
         "                   sample, highest point 100) as .csv or .xlsx",
         [](BatchOptions& o, const std::string& v) { o.profilesOut = v; }},
        {"--sample-col", "COLS",
         "with --ages, rows layout: the Sample column (default: by heading)",
         [](BatchOptions& o, const std::string& v) { o.sampleCol = v; }},
        {"--age-col", "COLS", "with --ages, rows layout: the Age column (default: by heading)",
         [](BatchOptions& o, const std::string& v) { o.ageCol = v; }},
        {"--error-col", "COLS",
         "with --ages, rows layout: the Uncertainty column (default: by\n"
         "                   heading)",
         [](BatchOptions& o, const std::string& v) { o.errorCol = v; }},
        {"--strict", "",
         "with --ages: refuse the workbook when a sample does not read\n"
         "                   (one age, no age, an age that is not a number, a name used\n"
         "                   twice) instead of leaving it out with a warning",
         [](BatchOptions& o, const std::string&) { o.strict = true; }},
        {"--mda", "FILE",
         "with --ages: the maximum depositional age of every sample by\n"
         "                   each method, one row per sample and method, written to FILE\n"
         "                   (.csv or .xlsx); needs the grains' uncertainties",
         [](BatchOptions& o, const std::string& v) { o.mda = v; }},
        {"--mda-methods", "LIST", mdaMethodsHelp,
         [](BatchOptions& o, const std::string& v) { o.mdaMethods = v; }},
        {"--seed", "N",
         "with --mda: the seed of YDZ's random draws; with --unmix: of\n"
         "                   the bootstrap's resamples (default 1)",
         [](BatchOptions& o, const std::string& v) { o.seed = v; }},
        {"--mla-parameters", "3|4",
         "with --mda: the minimum age model of the MLA with 3 parameters\n"
         "                   (default) or 4 (its own mean above the minimum)",
         [](BatchOptions& o, const std::string& v) { o.mlaParameters = v; }},
        {"--components", "K|auto",
         "with --ages: fit K age components (a mixture of normals on log\n"
         "                   ages) to every sample, or auto: 1 to 8 chosen by BIC",
         [](BatchOptions& o, const std::string& v) { o.components = v; }},
        {"--components-out", "FILE",
         "with --components: write each sample's components (age, 95%\n"
         "                   interval, proportion) to FILE (.csv or .xlsx)",
         [](BatchOptions& o, const std::string& v) { o.componentsOut = v; }},
        {"--figure", "KIND",
         "with --ages: draw stacked (every sample's profile, histogram and\n"
         "                   peaks in a row), cumulative (the samples' cumulative curves)\n"
         "                   or bins (each sample's shares of grains per --bins bin)",
         [](BatchOptions& o, const std::string& v) { o.figure = v; }},
        {"--figure-out", "FILE", "with --figure: write it to FILE, .svg, .pdf or .png",
         [](BatchOptions& o, const std::string& v) { o.figureOut = v; }},
        {"--bins", "EDGES",
         "with --figure bins or --bins-out: the bins' ascending edges,\n"
         "                   e.g. 0,300,600,1000 (a bin holds its lower edge; the last\n"
         "                   also its upper one)",
         [](BatchOptions& o, const std::string& v) { o.bins = v; }},
        {"--bands", "LIST",
         "with --figure stacked: age bands shaded across the rows, e.g.\n"
         "                   Grenville:1000-1300,Pan-African:500-650",
         [](BatchOptions& o, const std::string& v) { o.bands = v; }},
        {"--order", "ORDER",
         "with --figure: the samples as the workbook has them (default),\n"
         "                   along the map's first axis (map), or named: A,B,C",
         [](BatchOptions& o, const std::string& v) { o.order = v; }},
        {"--log-age", "", "with --figure: a logarithmic age axis",
         [](BatchOptions& o, const std::string&) { o.logAge = true; }},
        {"--figure-width", "MM", "with --figure: the figure's width, 40 to 1000 mm (default 170)",
         [](BatchOptions& o, const std::string& v) { o.figureWidth = v; }},
        {"--figure-font", "PT", "with --figure: the font size, 5 to 24 points (default 9)",
         [](BatchOptions& o, const std::string& v) { o.figureFont = v; }},
        {"--bin-width", "AGE",
         "with --figure stacked: the histograms' bin width (default: a\n"
         "                   round width giving about 50 bins over the ages), or 0 for none",
         [](BatchOptions& o, const std::string& v) { o.binWidth = v; }},
        {"--peak-threshold", "PCT",
         "with --figure stacked or --peaks-out: the least height of a\n"
         "                   peak, in per cent of the profile's highest point (default 5)",
         [](BatchOptions& o, const std::string& v) { o.peakThreshold = v; }},
        {"--dkw", "LIST",
         "with --figure cumulative: the samples drawn with their 95%\n"
         "                   Dvoretzky-Kiefer-Wolfowitz band (names, or all)",
         [](BatchOptions& o, const std::string& v) { o.dkw = v; }},
        {"--peaks-out", "FILE",
         "with --ages: write every sample's profile peaks (age, height,\n"
         "                   grains) to FILE (.csv or .xlsx)",
         [](BatchOptions& o, const std::string& v) { o.peaksOut = v; }},
        {"--bins-out", "FILE",
         "with --bins: write every sample's grains per bin, counts and per\n"
         "                   cents, to FILE (.csv or .xlsx)",
         [](BatchOptions& o, const std::string& v) { o.binsOut = v; }},
        {"--unmix", "SINK",
         "with --ages: the proportions of the --sources whose mixture best\n"
         "                   matches the sample SINK, by each --fit, with bootstrap 95%\n"
         "                   intervals, written to --unmix-out",
         [](BatchOptions& o, const std::string& v) { o.unmix = v; }},
        {"--sources", "A,B", "with --unmix: two or more source samples, by name",
         [](BatchOptions& o, const std::string& v) { o.sources = v; }},
        {"--fit", "LIST",
         "with --unmix: any of d (the least Kolmogorov-Smirnov D of the\n"
         "                   cumulative curves), v (the least Kuiper V), profiles (the\n"
         "                   least-squares mixture of the --profile profiles, with its\n"
         "                   R2), or all (the default), in that order",
         [](BatchOptions& o, const std::string& v) { o.fit = v; }},
        {"--bootstrap", "N",
         "with --unmix: resamples of the grains for the intervals\n"
         "                   (default 1000; 0 for none); --seed N sets their seed",
         [](BatchOptions& o, const std::string& v) { o.bootstrap = v; }},
        {"--unmix-out", "FILE",
         "with --unmix: write Fit,Item,Estimate,Lower,Upper (one row per\n"
         "                   source and the fit's value) to FILE (.csv or .xlsx)",
         [](BatchOptions& o, const std::string& v) { o.unmixOut = v; }},
        {"--nmf", "K|auto",
         "with --ages: K end-member profiles of all samples by\n"
         "                   non-negative matrix factorisation, or auto: k = 2 to 8 and\n"
         "                   the first k after which one more lowers the residual by less\n"
         "                   than a tenth (or whose residual is below 0.001)",
         [](BatchOptions& o, const std::string& v) { o.nmf = v; }},
        {"--nmf-out", "FILE",
         "with --nmf: write the sheets End-members, Weights (and with\n"
         "                   auto Residual by k) to FILE (.xlsx)",
         [](BatchOptions& o, const std::string& v) { o.nmfOut = v; }},
        {"--help", "", "show this text and exit",
         [](BatchOptions& o, const std::string&) { o.help = true; }},
    };
    return table;
}

const OptionSpec* findOption(std::string_view name) {
    for (const auto& option : optionTable()) {
        if (option.name == name) return &option;
    }
    return nullptr;
}

// One option at args[i]; advances i past its value.
void applyOption(const std::vector<std::string>& args, size_t& i, BatchOptions& options) {
    const std::string& arg = args[i];
    const size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    const OptionSpec* option = findOption(name);
    if (option == nullptr) throw UsageError{"unknown option " + name};
    if (option->valueName.empty()) {
        if (equals != std::string::npos) throw UsageError{name + " takes no value"};
        option->apply(options, {});
        return;
    }
    if (equals != std::string::npos) {
        option->apply(options, arg.substr(equals + 1));
    } else if (i + 1 < args.size()) {
        option->apply(options, args[++i]);
    } else {
        throw UsageError{name + " needs a value: " + name + " " + std::string(option->valueName)};
    }
}

}  // namespace

BatchOptions parseBatchOptions(const std::vector<std::string>& args) {
    BatchOptions options;
    std::vector<std::string> positional;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            applyOption(args, i, options);
        } else {
            positional.push_back(arg);
        }
    }
    if (options.help) return options;
    if (positional.empty()) throw UsageError{"no WORKBOOK given"};
    if (positional.size() > 1) throw UsageError{"more than one WORKBOOK given: " + positional[1]};
    options.workbook = positional.front();
    return options;
}

std::string batchUsage() {
    std::string text =
        "Usage: kestrel-batch [OPTIONS] WORKBOOK\n"
        "Compares the two probability profiles of a workbook (.xls, .xlsx, .xlsm, .ods or .csv) "
        "with the\n"
        "two-sample Kolmogorov-Smirnov method, over the whole row range and within age windows\n"
        "around the peaks. Prints one line per evaluated window (the whole range first):\n"
        "  first position, its age, last position, its age, n=<rows>, Cutoff = <critical value>\n"
        "Positions count from the first row of the range (1 = --from).\n"
        "\n"
        "Options (\"--name VALUE\" or \"--name=VALUE\"):\n";
    for (const auto& option : optionTable()) {
        // Appended piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) on "literal" + string.
        std::string left = "  ";
        left += option.name;
        if (!option.valueName.empty()) {
            left += ' ';
            left += option.valueName;
        }
        left.resize(std::max<size_t>(left.size() + 1, kHelpColumn), ' ');
        text += left + std::string(option.help) + "\n";
    }
    text +=
        "\n"
        "Rows and the window width follow the import dialog's rules: whole numbers (decimal, or\n"
        "hexadecimal after $, x or 0x), real numbers with \".\" as decimal point.\n"
        "A table that cannot be loaded gives a warning and critical values of 0.\n"
        "Exit status: 0 on success, 1 when the comparison or a file fails (one line on standard\n"
        "error says why; no summary file is written), 2 for a command line it cannot understand.\n";
    return text;
}

}  // namespace kestrel::batch
