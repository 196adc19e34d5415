// Hostile settings files, checked by the same properties as the settings fuzz target (read
// without failing, peak heights in their "##0.00" form, everything read is written back and reads
// the same; fields set from any text write and read back exactly), and every input that fuzz
// target found, replayed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/fuzz/SettingsTextChecks.h"

namespace {

namespace fs = std::filesystem;

void checkText(const std::string& what, const std::string& text) {
    try {
        kestrel::fuzz::checkSettingsText(text);
        kestrel::fuzz::checkSettingsFields(text);
    } catch (const kestrel::fuzz::InvariantBroken& broken) {
        ADD_FAILURE() << what << ": " << broken.what();
    }
}

}  // namespace

TEST(HostileSettingsFiles, OddTextsReadAndWriteBackUnchanged) {
    const std::string longFolder(5000, 'f');
    std::string manyKeys = "[Form positions]\n";
    for (int i = 0; i < 2000; ++i)
        manyKeys += "Key " + std::to_string(i) + "=" + std::to_string(i) + "\n";
    const std::pair<const char*, std::string> cases[] = {
        {"binary bytes", std::string("\0\xff[\x01]\n=\n\xc3", 8)},
        {"a folder longer than the limit", "[File Paths]\nData import path=" + longFolder + "\n"},
        {"a folder cut inside a UTF-8 character",
         "[File Paths]\nClient dataset path=" + std::string(2046, 'a') + "\xc3\xa9\xc3\xa9\n"},
        {"keys in other cases, twice", "[input fields]\nfrom row=7\nFROM ROW=8\n"},
        {"comments and blank values", "; comment\n[Input fields]\nTo Row=\n#x\nAge Column= b \n"},
        {"peak heights out of range",
         "[Profile subdivision parameters]\nMinimum Peak Height=1e308\nBaseline Peak Height=-0\n"},
        {"positions beyond 32 bits",
         "[Form positions]\nMain Left=2147483648\nMain Top=-x80000000\n"},
        {"thousands of foreign keys", manyKeys},
        {"CR line ends and a byte-order mark", "\xEF\xBB\xBF[Input fields]\rTo Row=99\r\n"},
    };
    for (const auto& [what, text] : cases) checkText(what, text);

    // Fields as the program sets them (texts separated by 0x1E): folders and entries that an
    // INI line cannot hold as they stand read back exactly.
    const std::string sep = "\x1E";
    const std::pair<const char*, std::string> fields[] = {
        {"a folder whose name holds a section line",
         "/home/u/a\n[Form positions]\nMain Width=5/" + sep + "/x" + sep + "/y"},
        {"blanks at both ends", "  /lead" + sep + "trail/\t " + sep + " " + sep + " b"},
        {"quotes and backslashes", "\"/q\"" + sep + "\"" + sep + "C:\\dir\\" + sep + "\\\""},
        {"control characters and CR", std::string("a\0b\x01\x7f\rc", 7) + sep + "\r\n"},
        {"a text too long to be read back", std::string(2048, 'x') + sep + "ok"},
    };
    for (const auto& [what, bytes] : fields) checkText(what, bytes);

    const fs::path folder =
        fs::path(KESTREL_TEST_DATA_DIR) / "fuzz-regressions" / "fuzz_settings_text";
    ASSERT_TRUE(fs::is_directory(folder)) << folder;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (!entry.is_regular_file() || entry.path().extension() == ".md") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        checkText(entry.path().filename().string(), {std::istreambuf_iterator<char>(in), {}});
    }
}
