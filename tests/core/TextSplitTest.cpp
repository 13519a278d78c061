#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/TextSplit.h"
#include "core/UtilText.h"
#include "support/TestSupport.h"

using namespace TestSupport;

namespace {

struct SplitCase {
    const char* Text;
    char Separator;
    std::vector<std::string> Pieces;
};

void PrintTo(const SplitCase& value, std::ostream* out) {
    *out << testing::PrintToString(value.Text) << " at '" << value.Separator << "'";
}

class SplitTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitTest, KeepsEveryPieceIncludingEmptyOnes) {
    EXPECT_EQ(Split(GetParam().Text, GetParam().Separator), GetParam().Pieces);
}

INSTANTIATE_TEST_SUITE_P(Texts, SplitTest,
                         testing::Values(SplitCase{"", ',', {""}}, SplitCase{"abc", ',', {"abc"}},
                                         SplitCase{"255,128,0", ',', {"255", "128", "0"}},
                                         SplitCase{"a,,b,", ',', {"a", "", "b", ""}},
                                         SplitCase{",", ',', {"", ""}},
                                         SplitCase{"7.4.3", '.', {"7", "4", "3"}},
                                         SplitCase{"7,4.3", '.', {"7,4", "3"}}));

TEST(TokenizeTest, ReturnsEachFieldAndRaisesOncePastTheLineEnd) {
    std::string line = "1;a;b\r\n";
    char* cursor = line.data();
    EXPECT_STREQ(Tokenize(cursor), "1");
    EXPECT_STREQ(Tokenize(cursor), "a");
    const char* last = Tokenize(cursor);
    EXPECT_STREQ(last, "b");
    EXPECT_EQ(cursor, nullptr);
    EXPECT_EQ(LocationOf([&] { Tokenize(cursor); }), "Tokenize (58)");
}

TEST(TokenizeTest, ATrailingSeparatorGivesAnEmptyLastField) {
    std::string line = "x;\n";
    char* cursor = line.data();
    EXPECT_STREQ(Tokenize(cursor), "x");
    EXPECT_STREQ(Tokenize(cursor), "");
    EXPECT_EQ(LocationOf([&] { Tokenize(cursor); }), "Tokenize (58)");
}

TEST(TokenizeTest, TheFirstLineEndEndsTheRecord) {
    std::string text = "a;b\nc;d";
    char* cursor = text.data();
    EXPECT_STREQ(Tokenize(cursor), "a");
    EXPECT_STREQ(Tokenize(cursor), "b");
    EXPECT_EQ(LocationOf([&] { Tokenize(cursor); }), "Tokenize (58)");

    std::string empty;
    cursor = empty.data();
    EXPECT_STREQ(Tokenize(cursor), "");
    EXPECT_EQ(cursor, nullptr);
}

TEST(UtilTextTest, TrimsOnlyTheGivenCharactersAndFoldsOnlyAsciiLetters) {
    EXPECT_EQ(UtilText::Trim(" \t\r\n\v\fa b\f\n "), "a b");
    EXPECT_EQ(UtilText::Trim(" \t "), "");
    EXPECT_EQ(UtilText::Trim("\v7.4.3\r\n", " \r\n\t"), "\v7.4.3");
    // "\xC9" is a capital E with acute accent in Latin-1: no locale may fold it.
    EXPECT_EQ(UtilText::ToLowerAscii("TERRAVUE.SCR \xC9"), "terravue.scr \xC9");
    EXPECT_EQ(UtilText::ToUpperAscii("klax.txt \xE9"), "KLAX.TXT \xE9");
    EXPECT_TRUE(UtilText::EqualsIgnoringAsciiCase("Earth (Complete)", "earth (COMPLETE)"));
    EXPECT_FALSE(UtilText::EqualsIgnoringAsciiCase("\xC9", "\xE9"));
    EXPECT_FALSE(UtilText::EqualsIgnoringAsciiCase("Europe", "Europe "));
    EXPECT_TRUE(UtilText::EndsWithIgnoringAsciiCase("Sky.TEMP", ".temp"));
    EXPECT_FALSE(UtilText::EndsWithIgnoringAsciiCase("mp", ".temp"));
}

}  // namespace
