#include <gtest/gtest.h>

#include "core/Version.h"
#include "support/TestSupport.h"

using namespace TestSupport;

namespace {

TEST(VersionTest, ParseTrimsBlanksAndLineEndsAndReadsThreeFields) {
    EXPECT_EQ(Version::Parse(" 7.4.3\r\n"), (Version{7, 4, 3}));
    EXPECT_EQ(Version::Parse("\t7.5.0\n"), (Version{7, 5, 0}));
    EXPECT_EQ(Version::Parse("7.4.3.0"), (Version{7, 4, 3}));
    EXPECT_EQ(Version::Parse("7.4.3.x"), (Version{7, 4, 3}));
    EXPECT_EQ(Version::Parse("10 . 0 . 12"), (Version{10, 0, 12}));
}

TEST(VersionTest, ParseRaisesForFewerThanThreeFields) {
    for (const char* text : {"7.4", "7", "", " \r\n", "7,4,3"}) {
        EXPECT_EQ(LocationOf([&] { Version::Parse(text); }), "Version::Parse (18)") << text;
    }
}

TEST(VersionTest, ParseRaisesForAFieldThatIsNotANumber) {
    EXPECT_EQ(LocationOf([] { Version::Parse("7.x.3"); }), "Util::ParseInt (486)");
    EXPECT_EQ(LocationOf([] { Version::Parse("7..3"); }), "Util::ParseInt (495)");
}

TEST(VersionTest, ComparesMajorThenMinorThenBuild) {
    const Version current{7, 4, 3};
    EXPECT_GT((Version{7, 5, 0}), current);
    EXPECT_GT((Version{8, 0, 0}), current);
    EXPECT_GT((Version{7, 4, 9}), current);
    EXPECT_LT((Version{6, 9, 9}), current);
    EXPECT_LT((Version{7, 3, 99}), current);
    EXPECT_EQ((Version{7, 4, 3}), current);
}

TEST(VersionTest, ToStringJoinsThePartsWithPoints) {
    EXPECT_EQ((Version{7, 4, 3}).ToString(), "7.4.3");
    EXPECT_EQ(Version::Parse((Version{12, 0, 105}).ToString()), (Version{12, 0, 105}));
}

}  // namespace
