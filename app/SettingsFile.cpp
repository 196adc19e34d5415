// Reading and writing the settings file with SimpleIni, which keeps keys with spaces as they
// are and an existing file's order.
#include "app/SettingsFile.h"

// UTF-8 is kept as bytes: only the char interface is used, so no wide-character converter;
// the templates are instantiated here (the Debian header keeps them behind SI_IMPLEMENTATION).
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string_view>
#include <utility>

#include "app/IniValueText.h"
#include "app/RecentWorkbooks.h"
#include "engine/AtomicFile.h"
#include "engine/KestrelError.h"
#include "engine/NumberText.h"

namespace kestrel {
namespace {

constexpr const char* kFilePaths = "File Paths";
constexpr const char* kInputFields = "Input fields";
constexpr const char* kSubdivision = "Profile subdivision parameters";
constexpr const char* kFormPositions = "Form positions";
// A section of its own, which programs that know only the four sections above pass over.
constexpr const char* kRecentWorkbooks = "Recent workbooks";
// Grain counts, likewise a section of its own, present only while grain counts are set.
constexpr const char* kSampleSizes = "Sample sizes";
// The Open grain ages dialog's choices, a section present once the dialog was confirmed.
constexpr const char* kGrainAges = "Grain ages";
// Options > Other measures in the windows table, a section present while it is on.
constexpr const char* kMeasures = "Measures";
constexpr const char* kWindowsTableKey = "Windows table";
// The Depositional age page's choices, a section present once the page was filled.
constexpr const char* kDepositionalAge = "Depositional age";
// The Distributions page's choices, likewise.
constexpr const char* kDistributions = "Distributions";
// Keys "File1" .. "File8", the latest first.
constexpr int kRecentWorkbookKeys = static_cast<int>(kMaxRecentWorkbooks);

struct TextKey {
    const char* section;
    const char* key;
    std::string SettingsFields::*field;
    const char* fallback;  // nullptr: the default folder
};

struct IntegerKey {
    const char* key;
    int32_t SettingsFields::*field;
    int32_t fallback;
};

struct PeakHeightKey {
    const char* key;
    std::string SettingsFields::*text;
    double SettingsFields::*value;
    double fallback;
    const char* fallbackText;
    const char* warning;
};

// "File Paths" in the order they are written; they are read in another order (see below).
const TextKey kFolderKeys[] = {
    {kFilePaths, "Data import path", &SettingsFields::DataImportPath, nullptr},
    {kFilePaths, "Data export path", &SettingsFields::DataExportPath, nullptr},
    {kFilePaths, "Client dataset path", &SettingsFields::ClientDatasetPath, nullptr},
};

const TextKey kInputKeys[] = {
    {kInputFields, "Age Column", &SettingsFields::AgeColStr, "A"},
    {kInputFields, "Y data (1) Column", &SettingsFields::Y1ColStr, "B"},
    {kInputFields, "Y data (2) Column", &SettingsFields::Y2ColStr, "C"},
    {kInputFields, "Age window width", &SettingsFields::AgeWindowWidthStr, "100.0"},
    {kInputFields, "From Row", &SettingsFields::FromRowStr, "2"},
    {kInputFields, "To Row", &SettingsFields::ToRowStr, "3"},
};

const PeakHeightKey kPeakHeightKeys[] = {
    {"Minimum Peak Height", &SettingsFields::MinPeakHeightStr, &SettingsFields::MinPeakHeight, 10.0,
     "10.0", "Incorrect Minimum Peak Height from .ini file"},
    {"Baseline Peak Height", &SettingsFields::BaselinePeakHeightStr,
     &SettingsFields::BaselinePeakHeight, 2.0, "2.0",
     "Incorrect Baseline Peak Height from .ini file"},
};

const IntegerKey kPositionKeys[] = {
    {"Main Left", &SettingsFields::MainLeft, 1},
    {"Main Top", &SettingsFields::MainTop, 1},
    {"Main Height", &SettingsFields::MainHeight, 480},
    {"Main Width", &SettingsFields::MainWidth, 800},
    {"Sheet Left", &SettingsFields::SheetLeft, 1},
    {"Sheet Top", &SettingsFields::SheetTop, 50},
    {"Sheet Height", &SettingsFields::SheetHeight, 530},
    {"Sheet Width", &SettingsFields::SheetWidth, 800},
};

void setUpIni(CSimpleIniA& ini) {
    ini.SetUnicode(true);  // UTF-8, a byte-order mark is skipped
    ini.SetMultiKey(false);
    ini.SetMultiLine(false);
    ini.SetSpaces(false);  // "key=value"
}

size_t utf8Characters(std::string_view text) {
    size_t characters = 0;
    for (unsigned char c : text) characters += (c & 0xC0) != 0x80;
    return characters;
}

// The value a key's INI text stands for, cut to its first kMaxSettingsTextLength characters;
// a character is never split.
std::string clippedText(const char* iniText) {
    std::string text = iniValueFromText(iniText);
    size_t characters = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool startsCharacter = (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
        if (startsCharacter && ++characters > kMaxSettingsTextLength) {
            text.erase(i);
            break;
        }
    }
    return text;
}

// Sets a text key so that it reads back exactly; a text longer than a read takes keeps the
// value the file had, and the note says so.
void setText(CSimpleIniA& ini, const char* section, const char* key, const std::string& value,
             std::vector<std::string>* notes) {
    if (utf8Characters(value) > kMaxSettingsTextLength) {
        if (notes) {
            notes->push_back("The setting \"" + std::string(key) +
                             "\" was not saved: it is longer than " +
                             std::to_string(kMaxSettingsTextLength) + " characters");
        }
        return;
    }
    ini.SetValue(section, key, iniValueText(value).c_str());
}

void readText(const CSimpleIniA& ini, const TextKey& key, SettingsFields& fields,
              std::string_view defaultFolder) {
    const std::string fallback = key.fallback ? key.fallback : std::string(defaultFolder);
    const char* value = ini.GetValue(key.section, key.key, nullptr);
    fields.*key.field = value ? clippedText(value) : fallback;
}

void readPeakHeight(const CSimpleIniA& ini, const PeakHeightKey& key, SettingsFields& fields,
                    const SettingsWarning& warn) {
    const char* value = ini.GetValue(kSubdivision, key.key, nullptr);
    fields.*key.text = value ? clippedText(value) : key.fallbackText;
    const std::optional<double> parsed = parseRealNumber(fields.*key.text);
    if (parsed) {
        fields.*key.value = *parsed;
    } else {
        if (warn) warn(key.warning);
        fields.*key.value = key.fallback;
    }
    // Stored with "." whatever the locale, so that the next start reads it back.
    fields.*key.text = formatFixed(fields.*key.value, 2, ".");
}

void readInteger(const CSimpleIniA& ini, const IntegerKey& key, SettingsFields& fields) {
    const char* value = ini.GetValue(kFormPositions, key.key, nullptr);
    const std::optional<int32_t> parsed = value ? parseWholeNumber(value) : std::nullopt;
    fields.*key.field = parsed ? *parsed : key.fallback;
}

std::string recentWorkbookKey(int number) {
    return "File" + std::to_string(number);
}

std::string recentAgesKey(int number) {
    return "Recent" + std::to_string(number);
}

void readRecentWorkbooks(const CSimpleIniA& ini, SettingsFields& fields) {
    fields.RecentWorkbooks.clear();
    for (int number = 1; number <= kRecentWorkbookKeys; ++number) {
        const char* value = ini.GetValue(kRecentWorkbooks, recentWorkbookKey(number).c_str());
        if (value && *value) fields.RecentWorkbooks.push_back(iniValueFromText(value));
    }
}

// The section is rewritten whole, and left out while the list is empty: a file of a program
// whose list was never used stays exactly as the four sections make it.
void setRecentWorkbooks(CSimpleIniA& ini, const std::vector<std::string>& paths) {
    ini.Delete(kRecentWorkbooks, nullptr);
    int number = 0;
    for (const std::string& path : paths) {
        if (number == kRecentWorkbookKeys) break;
        // A path a read would cut is not worth remembering.
        if (path.empty() || utf8Characters(path) > kMaxSettingsTextLength) continue;
        ini.SetValue(kRecentWorkbooks, recentWorkbookKey(++number).c_str(),
                     iniValueText(path).c_str());
    }
}

void loadIni(CSimpleIniA& ini, std::string_view text) {
    setUpIni(ini);
    if (!text.empty()) ini.LoadData(text.data(), text.size());
}

// A whole file's bytes (empty when it does not exist), or the system's reason why it could not
// be read.
struct FileContent {
    int error = 0;
    std::string bytes;
};

FileContent fileContent(const std::string& path) {
    FileContent content;
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        content.error = errno == ENOENT ? 0 : (errno ? errno : EIO);
        return content;
    }
    try {
        content.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } catch (const std::ios_base::failure&) {
        // The stream buffer throws on a failed read (a folder in the file's place: EISDIR).
        content.error = errno ? errno : EIO;
        content.bytes.clear();
    }
    if (in.bad() && !content.error) content.error = EIO;
    return content;
}

// Both keys must read, or neither is taken: half a pair would test with a mixed rule.
void readGrainCounts(const CSimpleIniA& ini, SettingsFields& fields, const SettingsWarning& warn) {
    fields.Grains.reset();
    const char* first = ini.GetValue(kSampleSizes, kGrainsField1, nullptr);
    const char* second = ini.GetValue(kSampleSizes, kGrainsField2, nullptr);
    if (!first && !second) return;
    try {
        fields.Grains = parseGrainCounts(first ? first : "", second ? second : "");
    } catch (const KestrelError& e) {
        warn(std::string("Incorrect grain counts from .ini file, section \"") + kSampleSizes +
             "\" (" + e.what() + "); the sample sizes are the numbers of rows");
    }
}

void setGrainCounts(CSimpleIniA& ini, const std::optional<GrainCounts>& grains) {
    ini.Delete(kSampleSizes, nullptr);
    if (!grains) return;
    const auto [first, second] = grainCountTexts(grains);
    ini.SetValue(kSampleSizes, kGrainsField1, first.c_str());
    ini.SetValue(kSampleSizes, kGrainsField2, second.c_str());
}

struct GrainAgesKey {
    const char* key;
    std::string GrainAgesFields::*field;
};

const GrainAgesKey kGrainAgesKeys[] = {
    {"Workbook", &GrainAgesFields::workbook},
    {"Sheet", &GrainAgesFields::sheet},
    {"Layout", &GrainAgesFields::layout},
    {"Heading row", &GrainAgesFields::headingRow},
    {"Uncertainties", &GrainAgesFields::uncertainties},
    {"Uncertainties sheet", &GrainAgesFields::errorsSheet},
    {"Sigma", &GrainAgesFields::sigma},
    {"Per cent", &GrainAgesFields::perCent},
    {"Profile", &GrainAgesFields::profile},
    {"Bandwidth", &GrainAgesFields::bandwidth},
    {"Common bandwidth", &GrainAgesFields::commonBandwidth},
    {"Grid from", &GrainAgesFields::gridFrom},
    {"Grid to", &GrainAgesFields::gridTo},
    {"Grid step", &GrainAgesFields::gridStep},
    {"First sample", &GrainAgesFields::firstSample},
    {"Second sample", &GrainAgesFields::secondSample},
    {"Compare", &GrainAgesFields::compare},
    {"Age window width", &GrainAgesFields::ageWindowWidth},
};

// A key the file lacks keeps its default; the dialog judges the values.
void readGrainAgesChoices(const CSimpleIniA& ini, SettingsFields& fields) {
    fields.GrainAgesChoices.reset();
    if (ini.GetSectionSize(kGrainAges) < 0) return;
    GrainAgesFields choices;
    for (const GrainAgesKey& key : kGrainAgesKeys) {
        if (const char* value = ini.GetValue(kGrainAges, key.key, nullptr)) {
            choices.*key.field = clippedText(value);
        }
    }
    fields.GrainAgesChoices = std::move(choices);
    fields.RecentAgesWorkbooks.clear();
    for (int number = 1; number <= kRecentWorkbookKeys; ++number) {
        const char* value = ini.GetValue(kGrainAges, recentAgesKey(number).c_str());
        if (value && *value) fields.RecentAgesWorkbooks.push_back(iniValueFromText(value));
    }
}

void setGrainAgesChoices(CSimpleIniA& ini, const SettingsFields& fields,
                         std::vector<std::string>* notes) {
    const std::optional<GrainAgesFields>& choices = fields.GrainAgesChoices;
    ini.Delete(kGrainAges, nullptr);
    if (!choices) return;
    for (const GrainAgesKey& key : kGrainAgesKeys) {
        setText(ini, kGrainAges, key.key, (*choices).*key.field, notes);
    }
    // Which recent workbooks are of grain ages: only those still on the list.
    int number = 0;
    for (const std::string& path : fields.RecentAgesWorkbooks) {
        const auto& recent = fields.RecentWorkbooks;
        if (number == kRecentWorkbookKeys || path.empty() ||
            utf8Characters(path) > kMaxSettingsTextLength ||
            std::find(recent.begin(), recent.end(), path) == recent.end()) {
            continue;
        }
        ini.SetValue(kGrainAges, recentAgesKey(++number).c_str(), iniValueText(path).c_str());
    }
}

void readWindowsMeasures(const CSimpleIniA& ini, SettingsFields& fields) {
    const char* value = ini.GetValue(kMeasures, kWindowsTableKey, nullptr);
    fields.WindowsMeasures = value && std::string_view(value) == "all";
}

void setWindowsMeasures(CSimpleIniA& ini, bool on) {
    ini.Delete(kMeasures, nullptr);
    if (on) ini.SetValue(kMeasures, kWindowsTableKey, "all");
}

template <class Fields>
struct SectionKey {
    const char* key;
    std::string Fields::*field;
};

const SectionKey<DepositionalAgeFields> kDepositionalAgeKeys[] = {
    {"Methods", &DepositionalAgeFields::methods},
    {"Seed", &DepositionalAgeFields::seed},
    {"MLA parameters", &DepositionalAgeFields::mlaParameters},
    {"Components", &DepositionalAgeFields::components},
};

const SectionKey<DistributionsFields> kDistributionsKeys[] = {
    {"Profile", &DistributionsFields::profile},
    {"Bandwidth", &DistributionsFields::bandwidth},
    {"Bin width", &DistributionsFields::binWidth},
    {"Bands", &DistributionsFields::bands},
    {"Order", &DistributionsFields::order},
    {"Log age", &DistributionsFields::logAge},
    {"Peak threshold", &DistributionsFields::peakThreshold},
    {"Bin edges", &DistributionsFields::binEdges},
    {"Width", &DistributionsFields::width},
    {"Font", &DistributionsFields::font},
};

// A page's section: present once the page was filled. A key the file lacks keeps its default;
// the page judges the values.
template <class Fields, size_t N>
void readSection(const CSimpleIniA& ini, const char* section, const SectionKey<Fields> (&keys)[N],
                 std::optional<Fields>& choices) {
    choices.reset();
    if (ini.GetSectionSize(section) < 0) return;
    Fields read;
    for (const SectionKey<Fields>& key : keys) {
        if (const char* value = ini.GetValue(section, key.key, nullptr))
            read.*key.field = clippedText(value);
    }
    choices = std::move(read);
}

template <class Fields, size_t N>
void setSection(CSimpleIniA& ini, const char* section, const SectionKey<Fields> (&keys)[N],
                const std::optional<Fields>& choices, std::vector<std::string>* notes) {
    ini.Delete(section, nullptr);
    if (!choices) return;
    for (const SectionKey<Fields>& key : keys)
        setText(ini, section, key.key, (*choices).*key.field, notes);
}

}  // namespace

void readSettingsText(std::string_view iniText, SettingsFields& fields, const SettingsWarning& warn,
                      std::string_view defaultFolder) {
    CSimpleIniA ini;
    loadIni(ini, iniText);
    for (int index : {0, 2, 1}) readText(ini, kFolderKeys[index], fields, defaultFolder);
    for (const TextKey& key : kInputKeys) readText(ini, key, fields, defaultFolder);
    for (const PeakHeightKey& key : kPeakHeightKeys) readPeakHeight(ini, key, fields, warn);
    for (const IntegerKey& key : kPositionKeys) readInteger(ini, key, fields);
    readRecentWorkbooks(ini, fields);
    readGrainCounts(ini, fields, warn);
    readGrainAgesChoices(ini, fields);
    readWindowsMeasures(ini, fields);
    readSection(ini, kDepositionalAge, kDepositionalAgeKeys, fields.DepositionalChoices);
    readSection(ini, kDistributions, kDistributionsKeys, fields.DistributionsChoices);
}

void readSettingsFile(const std::string& path, SettingsFields& fields, const SettingsWarning& warn,
                      std::string_view defaultFolder) {
    // An unreadable file gives the defaults, as a missing one does; writing it will report.
    const FileContent content = fileContent(path);
    readSettingsText(content.error ? std::string() : content.bytes, fields, warn, defaultFolder);
}

std::string settingsText(std::string_view existingText, const SettingsFields& fields,
                         std::vector<std::string>* notes) {
    CSimpleIniA ini;
    loadIni(ini, existingText);
    for (const TextKey& key : kFolderKeys)
        setText(ini, key.section, key.key, fields.*key.field, notes);
    for (const TextKey& key : kInputKeys)
        setText(ini, key.section, key.key, fields.*key.field, notes);
    for (const PeakHeightKey& key : kPeakHeightKeys) {
        setText(ini, kSubdivision, key.key, fields.*key.text, notes);
    }
    for (const IntegerKey& key : kPositionKeys) {
        ini.SetValue(kFormPositions, key.key, std::to_string(fields.*key.field).c_str());
    }
    setRecentWorkbooks(ini, fields.RecentWorkbooks);
    setGrainCounts(ini, fields.Grains);
    setGrainAgesChoices(ini, fields, notes);
    setWindowsMeasures(ini, fields.WindowsMeasures);
    setSection(ini, kDepositionalAge, kDepositionalAgeKeys, fields.DepositionalChoices, notes);
    setSection(ini, kDistributions, kDistributionsKeys, fields.DistributionsChoices, notes);
    std::string text;
    ini.Save(text);
    return text;
}

std::vector<std::string> writeSettingsFile(const std::string& path, const SettingsFields& fields) {
    const FileContent existing = fileContent(path);
    if (existing.error) {
        // Rewriting a file we cannot read would lose whatever else it holds.
        throw KestrelError("Unable to write to " + path + ": " + std::strerror(existing.error));
    }
    std::vector<std::string> notes;
    try {
        writeFileAtomically(path, settingsText(existing.bytes, fields, &notes));
    } catch (const KestrelError& e) {
        const std::string prefix = "Cannot write " + path + ": ";
        const std::string message = e.what();
        const std::string reason =
            message.rfind(prefix, 0) == 0 ? message.substr(prefix.size()) : message;
        throw KestrelError("Unable to write to " + path + ": " + reason);
    }
    return notes;
}

}  // namespace kestrel
