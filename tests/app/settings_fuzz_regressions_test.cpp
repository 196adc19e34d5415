// Hostile settings files, checked by the same properties as the settings fuzz target (read
// without failing, peak heights in their "##0.00" form, everything read is written back and reads
// the same), and every input that fuzz target found, replayed.
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

    const fs::path folder =
        fs::path(KESTREL_TEST_DATA_DIR) / "fuzz-regressions" / "fuzz_settings_text";
    ASSERT_TRUE(fs::is_directory(folder)) << folder;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (!entry.is_regular_file() || entry.path().extension() == ".md") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        checkText(entry.path().filename().string(), {std::istreambuf_iterator<char>(in), {}});
    }
}
