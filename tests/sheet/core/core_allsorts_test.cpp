// Column letters to column numbers and space removal, with the import dialog's examples.
#include <gtest/gtest.h>

#include "sheet/core/AllSorts.h"

using kestrel::ColumnNumber;
using kestrel::RemoveSpaces;

TEST(AllSorts, RemoveSpacesDeletesEverySpaceAndNothingElse) {
    std::string text = "  a b\tc  d ";
    RemoveSpaces(text);
    EXPECT_EQ(text, "ab\tcd");
    std::string blanks = "    ";
    RemoveSpaces(blanks);
    EXPECT_EQ(blanks, "");
    std::string none = "AB";
    RemoveSpaces(none);
    EXPECT_EQ(none, "AB");
}

TEST(AllSorts, ColumnNumberOfOneAndTwoLetters) {
    EXPECT_EQ(ColumnNumber("A"), 1);
    EXPECT_EQ(ColumnNumber("Z"), 26);
    EXPECT_EQ(ColumnNumber("AA"), 27);
    EXPECT_EQ(ColumnNumber("IV"), 256);
    EXPECT_EQ(ColumnNumber("ab"), 28);
    EXPECT_EQ(ColumnNumber("aZ"), 52);
}

TEST(AllSorts, ColumnNumberIgnoresSpacesAndCaseAndUsesTheFirstLetterOfOtherLengths) {
    EXPECT_EQ(ColumnNumber("b "), 2);
    EXPECT_EQ(ColumnNumber(" b"), 2);
    EXPECT_EQ(ColumnNumber("a b"), 28);  // two letters once the space is gone
    EXPECT_EQ(ColumnNumber("abc"), 1);
    EXPECT_EQ(ColumnNumber("XFD"), 24);
    // No character is refused: a digit gives a column number below 1, which the component
    // then refuses as a column.
    EXPECT_EQ(ColumnNumber("1"), -15);
    EXPECT_EQ(ColumnNumber(""), 0);
    EXPECT_EQ(ColumnNumber("   "), 0);
}

TEST(AllSorts, ColumnLettersAreCharactersNotBytes) {
    // "é" (U+00E9, two bytes in UTF-8) is one character of code 233; "€" (U+20AC, three bytes).
    EXPECT_EQ(ColumnNumber("é"), 233 - 64);
    EXPECT_EQ(ColumnNumber("aé"), 1 * 26 + (233 - 64));
    EXPECT_EQ(ColumnNumber("é b"), (233 - 64) * 26 + 2);
    EXPECT_EQ(ColumnNumber("€"), 0x20AC - 64);
    EXPECT_EQ(ColumnNumber("\xff"), 0xFF - 64) << "a stray byte is one character";
}
