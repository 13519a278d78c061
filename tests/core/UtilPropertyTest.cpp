#include <gtest/gtest.h>

#include <string>

#include "core/UtilProperty.h"
#include "support/TestSupport.h"

using namespace TestSupport;

namespace {

using UtilProperty::ReadPropertyValueAsString;

TEST(UtilPropertyTest, ValueRunsFromTheKeyToTheNextCarriageReturnLineFeed) {
    const std::string content = "HomeCity=12\r\nShowWeather=true\r\nVersion=7.5.0\r\n";
    EXPECT_EQ(ReadPropertyValueAsString(content, "HomeCity"), "12");
    EXPECT_EQ(ReadPropertyValueAsString(content, "ShowWeather"), "true");
    EXPECT_EQ(ReadPropertyValueAsString(content, "Version"), "7.5.0");
}

// Files edited on Linux end their lines in "\n" alone; each value still ends with its line.
TEST(UtilPropertyTest, ALineFeedAloneEndsTheValueToo) {
    const std::string content = "HomeCity=12\nShowWeather=true\r\nVersion=7.5.0\n";
    EXPECT_EQ(ReadPropertyValueAsString(content, "HomeCity"), "12");
    EXPECT_EQ(ReadPropertyValueAsString(content, "ShowWeather"), "true");
    EXPECT_EQ(ReadPropertyValueAsString(content, "Version"), "7.5.0");
    EXPECT_EQ(ReadPropertyValueAsString("K=a\r\r\n", "K"), "a\r");
}

TEST(UtilPropertyTest, ValueOnTheLastLineRunsToTheEnd) {
    EXPECT_EQ(ReadPropertyValueAsString("A=1\r\nB=last one", "B"), "last one");
    EXPECT_EQ(ReadPropertyValueAsString("A=", "A"), "");
}

TEST(UtilPropertyTest, MatchesAnywhereEvenInsideAnotherKey) {
    EXPECT_EQ(ReadPropertyValueAsString("XShowWeather=true\r\nOther=1\r\n", "ShowWeather"), "true");
    EXPECT_EQ(ReadPropertyValueAsString("Note=Key=inside\r\nKey=own\r\n", "Key"), "inside");
}

TEST(UtilPropertyTest, FirstOccurrenceWinsAndTheValueIsNotTrimmed) {
    EXPECT_EQ(ReadPropertyValueAsString("K= a b \r\nK=second\r\n", "K"), " a b ");
    EXPECT_EQ(ReadPropertyValueAsString("K=a=b\r\n", "K"), "a=b");
}

TEST(UtilPropertyTest, MissingOrDifferentlyCasedKeyRaises) {
    for (const char* content : {"", "showweather=true\r\n", "ShowWeather true\r\n"}) {
        EXPECT_EQ(LocationOf([&] { ReadPropertyValueAsString(content, "ShowWeather"); }),
                  "UtilProperty::ReadPropertyValueAsString (10)")
            << content;
    }
}

}  // namespace
