#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/Util.h"
#include "core/UtilFile.h"
#include "support/TestSupport.h"

namespace {

using TestSupport::LocationOf;

struct IntCase {
    const char* Text;
    int Value;
};

void PrintTo(const IntCase& value, std::ostream* out) {
    *out << testing::PrintToString(value.Text) << " is " << value.Value;
}

class ParseIntTest : public testing::TestWithParam<IntCase> {};

TEST_P(ParseIntTest, ReadsSignedDecimalIgnoringBlanks) {
    EXPECT_EQ(Util::ParseInt(GetParam().Text), GetParam().Value);
}

// Past 32 bits the value wraps, as the stored files have always been read.
INSTANTIATE_TEST_SUITE_P(Texts, ParseIntTest,
                         testing::Values(IntCase{" 42", 42}, IntCase{"-7", -7}, IntCase{"1 2", 12},
                                         IntCase{"- 5", -5}, IntCase{"+8", 8},
                                         IntCase{"\t 0009 \t", 9}, IntCase{"-0", 0},
                                         IntCase{"2147483647", INT_MAX},
                                         IntCase{"-2147483648", INT_MIN},
                                         IntCase{"2147483648", INT_MIN}, IntCase{"4294967296", 0},
                                         IntCase{"99999999999", 1215752191}));

struct ErrorCase {
    const char* Text;
    const char* Location;
};

void PrintTo(const ErrorCase& value, std::ostream* out) {
    *out << testing::PrintToString(value.Text) << " raises " << value.Location;
}

class ParseIntErrorTest : public testing::TestWithParam<ErrorCase> {};

TEST_P(ParseIntErrorTest, RaisesArgumentExceptionWithTheFailingStep) {
    EXPECT_EQ(LocationOf<ArgumentException>([] { Util::ParseInt(GetParam().Text); }),
              GetParam().Location);
}

INSTANTIATE_TEST_SUITE_P(Texts, ParseIntErrorTest,
                         testing::Values(ErrorCase{"12\r", "Util::ParseInt (486)"},
                                         ErrorCase{"12\n", "Util::ParseInt (486)"},
                                         ErrorCase{"+-3", "Util::ParseInt (486)"},
                                         ErrorCase{"1-2", "Util::ParseInt (486)"},
                                         ErrorCase{"1.5", "Util::ParseInt (486)"},
                                         ErrorCase{"abc", "Util::ParseInt (486)"},
                                         ErrorCase{"", "Util::ParseInt (495)"},
                                         ErrorCase{"  ", "Util::ParseInt (495)"},
                                         ErrorCase{"-", "Util::ParseInt (495)"},
                                         ErrorCase{" + ", "Util::ParseInt (495)"}));

TEST(ParseNullTest, NullTextRaisesArgumentNullRatherThanArgumentException) {
    EXPECT_EQ(LocationOf<ArgumentNullException>([] { Util::ParseInt(nullptr); }),
              "Util::ParseInt (447)");
    EXPECT_EQ(LocationOf<ArgumentNullException>([] { Util::ParseDouble(nullptr); }),
              "Util::ParseDouble (508)");
}

struct DoubleCase {
    const char* Text;
    double Value;
};

void PrintTo(const DoubleCase& value, std::ostream* out) {
    *out << testing::PrintToString(value.Text) << " is " << value.Value;
}

class ParseDoubleTest : public testing::TestWithParam<DoubleCase> {};

TEST_P(ParseDoubleTest, ReadsStrtodSyntaxBetweenBlanks) {
    EXPECT_DOUBLE_EQ(Util::ParseDouble(GetParam().Text), GetParam().Value);
}

INSTANTIATE_TEST_SUITE_P(Texts, ParseDoubleTest,
                         testing::Values(DoubleCase{"0", 0.0}, DoubleCase{"0.0", 0.0},
                                         DoubleCase{" 1.5 ", 1.5}, DoubleCase{"\t-2.25\t", -2.25},
                                         DoubleCase{"+3", 3.0}, DoubleCase{"1e3", 1000.0},
                                         DoubleCase{"-122.675", -122.675},
                                         DoubleCase{"0.001", 0.001}));

class ParseDoubleErrorTest : public testing::TestWithParam<ErrorCase> {};

TEST_P(ParseDoubleErrorTest, RaisesArgumentExceptionWithTheFailingStep) {
    EXPECT_EQ(LocationOf<ArgumentException>([] { Util::ParseDouble(GetParam().Text); }),
              GetParam().Location);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseDoubleErrorTest,
    testing::Values(
        ErrorCase{"-0.0", "Util::ParseDouble (516)"}, ErrorCase{"-0", "Util::ParseDouble (516)"},
        ErrorCase{"abc", "Util::ParseDouble (516)"}, ErrorCase{"", "Util::ParseDouble (516)"},
        ErrorCase{" ", "Util::ParseDouble (516)"}, ErrorCase{".0", "Util::ParseDouble (516)"},
        ErrorCase{"nan", "Util::ParseDouble (516)"}, ErrorCase{" -inf", "Util::ParseDouble (516)"},
        ErrorCase{"INFINITY", "Util::ParseDouble (516)"},
        ErrorCase{"1e999", "Util::ParseDouble (516)"}, ErrorCase{"1.5x", "Util::ParseDouble (522)"},
        ErrorCase{"1,5", "Util::ParseDouble (522)"}, ErrorCase{"1.5 2", "Util::ParseDouble (522)"},
        ErrorCase{"1.5\r\n", "Util::ParseDouble (522)"}));

// Makes a locale whose decimal point is "," available, as a user's desktop
// session may select one. Builds it in a temporary folder when none is installed.
bool SelectCommaDecimalLocale(const TestSupport::TempFolder& folder) {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8"}) {
        if (std::setlocale(LC_NUMERIC, name) != nullptr) {
            return true;
        }
    }
    const std::string command =
        "localedef -i de_DE -f UTF-8 '" + folder.Folder() + "de_DE.UTF-8' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) {
        return false;
    }
    setenv("LOCPATH", folder.Folder().c_str(), 1);
    const bool selected = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    unsetenv("LOCPATH");
    return selected;
}

// Puts the number formats back for the tests that follow, even when one raises.
struct ClassicNumericLocaleOnExit {
    ~ClassicNumericLocaleOnExit() { std::setlocale(LC_NUMERIC, "C"); }
};

TEST(NumberLocaleTest, DecimalPointStaysAPointUnderACommaLocale) {
    TestSupport::TempFolder folder;
    const ClassicNumericLocaleOnExit restore;
    if (!SelectCommaDecimalLocale(folder)) {
        GTEST_SKIP() << "no locale with a decimal comma can be made here";
    }
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    EXPECT_DOUBLE_EQ(Util::ParseDouble("1.5"), 1.5);
    EXPECT_EQ(Util::ToString(2.25), "2.250");
}

TEST(ParseDigitsTest, ReadsFixedWidthDigitFields) {
    const std::string text = "2013-03-27T06:05:09";
    EXPECT_EQ(Util::ParseDigits(text, 0, 4), 2013);
    EXPECT_EQ(Util::ParseDigits(text, 5, 2), 3);
    EXPECT_EQ(Util::ParseDigits(text, 17, 2), 9);
    EXPECT_EQ(Util::ParseDigits(text, 4, 0), 0);
}

TEST(ParseDigitsTest, ANonDigitRaisesApplicationException) {
    EXPECT_EQ(LocationOf([] { Util::ParseDigits("2013-03", 2, 3); }), "Util::ParseDigits (536)");
    EXPECT_EQ(LocationOf([] { Util::ParseDigits(" 12", 0, 2); }), "Util::ParseDigits (536)");
    EXPECT_EQ(LocationOf([] { Util::ParseDigits("-1", 0, 2); }), "Util::ParseDigits (536)");
    // The non-digit comes before the end, so it is what is reported.
    EXPECT_EQ(LocationOf([] { Util::ParseDigits("1a", 0, 5); }), "Util::ParseDigits (536)");
}

TEST(ParseDigitsTest, ReadingPastTheEndRaisesInvalidArgument) {
    for (const auto& [start, count] : {std::pair{2, 3}, std::pair{4, 1}, std::pair{-1, 1}}) {
        try {
            Util::ParseDigits("2013", start, count);
            ADD_FAILURE() << "no exception for " << start << "," << count;
        } catch (const CAtlException& error) {
            EXPECT_EQ(error.Result, CAtlException::E_INVALIDARG);
        }
    }
}

TEST(ParseValueTest, BooleanIsExactlyTrueOrFalse) {
    bool value = false;
    Util::Parse("true", value);
    EXPECT_TRUE(value);
    Util::Parse("false", value);
    EXPECT_FALSE(value);
    value = true;
    for (const char* text :
         {"True", " true", "true ", "1", "", static_cast<const char*>(nullptr)}) {
        EXPECT_EQ(LocationOf([&] { Util::Parse(text, value); }), "Util::Parse (203)");
    }
    EXPECT_TRUE(value) << "a failed parse leaves the previous value";
}

TEST(ParseValueTest, ColourTakesTheLowEightBitsOfEachComponentAndIsOpaque) {
    Color colour;
    Util::Parse("255,128,0", colour);
    EXPECT_EQ(colour.Argb, 0xFFFF8000U);
    Util::Parse("300,0,0", colour);
    EXPECT_EQ(colour.Red(), 44);
    Util::Parse("-1, 2 ,3", colour);
    EXPECT_EQ(colour.Argb, 0xFFFF0203U);
    Util::Parse("1,2,3,4", colour);
    EXPECT_EQ(colour.Argb, 0xFF010203U);
    Util::Parse("1,2,3,not parsed", colour);
    EXPECT_EQ(colour.Argb, 0xFF010203U);
}

TEST(ParseValueTest, ColourNeedsThreeNumbers) {
    Color colour{0x12345678};
    EXPECT_EQ(LocationOf([&] { Util::Parse("1,2", colour); }), "Util::Parse (212)");
    EXPECT_EQ(LocationOf([&] { Util::Parse(nullptr, colour); }), "Util::Parse (212)");
    EXPECT_EQ(LocationOf([&] { Util::Parse("1,x,3", colour); }), "Util::ParseInt (486)");
    EXPECT_EQ(LocationOf([&] { Util::Parse("1,,3", colour); }), "Util::ParseInt (495)");
    EXPECT_EQ(colour.Argb, 0x12345678U);
}

TEST(ParseValueTest, PointNeedsExactlyTwoNumbers) {
    CPoint point{1, 2};
    Util::Parse("10,20", point);
    EXPECT_EQ(point, (CPoint{10, 20}));
    Util::Parse("-5, 7", point);
    EXPECT_EQ(point, (CPoint{-5, 7}));
    for (const char* text : {"10,20,30", "10", ""}) {
        EXPECT_EQ(LocationOf([&] { Util::Parse(text, point); }), "Util::Parse (232)") << text;
    }
    EXPECT_EQ(point, (CPoint{-5, 7}));
}

TEST(ParseValueTest, DateTimeReadsSixFieldsIntoAnUnspecifiedValue) {
    DateTime value;
    Util::Parse("2013,3,27,0,0,0", value);
    EXPECT_EQ(value, DateTime(2013, 3, 27));
    EXPECT_EQ(value.GetKind(), DateTime::Kind::Unspecified);
    Util::Parse("2013,3,27,15,30,45,99", value);
    EXPECT_EQ(value, DateTime(2013, 3, 27, 15, 30, 45));
}

TEST(ParseValueTest, DateTimeRaisesForTooFewFieldsOrOutOfRangeParts) {
    DateTime value(1990, 1, 1);
    EXPECT_EQ(LocationOf([&] { Util::Parse("2013,3,27", value); }), "Util::Parse (252)");
    EXPECT_EQ(
        LocationOf<ArgumentOutOfRangeException>([&] { Util::Parse("2013,13,27,0,0,0", value); }),
        "DateTime::DateToTicks (48)");
    EXPECT_EQ(
        LocationOf<ArgumentOutOfRangeException>([&] { Util::Parse("2013,3,27,0,60,0", value); }),
        "DateTime::TimeToTicks (467)");
    EXPECT_EQ(LocationOf([&] { Util::Parse("2013,3,27,0,0,x", value); }), "Util::ParseInt (486)");
    EXPECT_EQ(value, DateTime(1990, 1, 1));
}

TEST(ParseValueTest, FontReadsFamilySizeAndStyle) {
    EXPECT_EQ(Util::ParseFont("Arial,12.000,1"), (FontValue{"Arial", 12.0, FontValue::Bold}));
    EXPECT_EQ(Util::ParseFont("DejaVu Sans, 9.5 ,3,extra"), (FontValue{"DejaVu Sans", 9.5, 3}));
    EXPECT_EQ(LocationOf([] { Util::ParseFont("Arial,12"); }), "Util::ParseFont (267)");
    EXPECT_EQ(LocationOf([] { Util::ParseFont(nullptr); }), "Util::ParseFont (267)");
    EXPECT_EQ(LocationOf([] { Util::ParseFont("Arial,big,1"); }), "Util::ParseDouble (516)");
    EXPECT_EQ(LocationOf([] { Util::ParseFont("Arial,12,bold"); }), "Util::ParseInt (486)");
}

TEST(ToStringTest, IntegerIsPlainDecimal) {
    EXPECT_EQ(Util::ToString(0), "0");
    EXPECT_EQ(Util::ToString(-7), "-7");
    EXPECT_EQ(Util::ToString(INT_MAX), "2147483647");
    EXPECT_EQ(Util::ToString(INT_MIN), "-2147483648");
}

TEST(ToStringTest, RealHasThreeDecimals) {
    EXPECT_EQ(Util::ToString(1.5), "1.500");
    EXPECT_EQ(Util::ToString(2.0 / 3.0), "0.667");
    EXPECT_EQ(Util::ToString(-122.6751), "-122.675");
    EXPECT_EQ(Util::ToString(1e6), "1000000.000");
    EXPECT_EQ(Util::ToString(1e300).size(), 301U + 4U);
}

class WriteToFileAsciiTest : public testing::Test {
protected:
    std::string WriteAndRead(const std::function<void(int)>& write) {
        const std::string path = folder_.Folder() + "values.txt";
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        EXPECT_GE(fd, 0);
        write(fd);
        ::close(fd);
        return TestSupport::ReadWholeFile(path);
    }

    TestSupport::TempFolder folder_;
};

TEST_F(WriteToFileAsciiTest, WritesKeyEqualsValueAndCarriageReturnLineFeed) {
    const std::string content = WriteAndRead([](int fd) {
        Util::WriteToFileAscii(fd, "ShowWeather", true);
        Util::WriteToFileAscii(fd, "Compact", false);
        Util::WriteToFileAscii(fd, "Scale", -42);
        Util::WriteToFileAscii(fd, "HomeCity", std::string("Zürich"));
        Util::WriteToFileAscii(fd, "Raw", "a;b");
        Util::WriteToFileAscii(fd, "Font", FontValue{"Arial", 12.0, 1});
        Util::WriteToFileAscii(fd, "Colour", Color{0x80FF8001});
        Util::WriteToFileAscii(fd, "Location", CPoint{10, -20});
        Util::WriteToFileAscii(fd, "When", DateTime(2013, 3, 27, 6, 5, 0));
    });
    EXPECT_EQ(content,
              "ShowWeather=true\r\nCompact=false\r\nScale=-42\r\nHomeCity=Zürich\r\nRaw=a;b\r\n"
              "Font=Arial,12.000,1\r\nColour=255,128,1\r\nLocation=10,-20\r\n"
              "When=2013,3,27,6,5,0\r\n");
}

TEST_F(WriteToFileAsciiTest, AFailedKeyWriteRaises) {
    const int fd = ::open("/dev/full", O_WRONLY);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(LocationOf([&] { Util::WriteToFileAscii(fd, "Key", 1); }),
              "Util::WriteToFileAscii (64)");
    EXPECT_EQ(LocationOf([&] { Util::WriteToFileAscii(fd, "Key", "value"); }),
              "Util::WriteToFileAscii (64)");
    ::close(fd);
}

// Runs in a child process: the file may grow only by the key and "=", so the
// value is the first write to fail. The location raised goes to stderr, which
// the test framework captures in a file, so the limit is lifted first.
[[noreturn]] void WriteValueBeyondSizeLimit(const std::string& path,
                                            const std::function<void(int)>& write) {
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit original{};
    ::getrlimit(RLIMIT_FSIZE, &original);
    const rlimit limited{2, original.rlim_max};
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::setrlimit(RLIMIT_FSIZE, &limited);
    std::string location = "no exception";
    try {
        write(fd);
    } catch (const ApplicationException& error) {
        location = error.Location;
    }
    ::setrlimit(RLIMIT_FSIZE, &original);
    std::fprintf(stderr, "%s\n", location.c_str());
    std::_Exit(1);
}

TEST_F(WriteToFileAsciiTest, AFailedValueWriteNamesTheKindOfValueText) {
    const std::string path = folder_.Folder() + "limited.txt";
    EXPECT_EXIT(
        WriteValueBeyondSizeLimit(path, [](int fd) { Util::WriteToFileAscii(fd, "K", "raw"); }),
        testing::ExitedWithCode(1), "Util::WriteToFileAscii \\(69\\)");
    EXPECT_EXIT(WriteValueBeyondSizeLimit(path, [](int fd) { Util::WriteToFileAscii(fd, "K", 5); }),
                testing::ExitedWithCode(1), "Util::WriteToFileAscii \\(69\\)");
    EXPECT_EXIT(WriteValueBeyondSizeLimit(
                    path, [](int fd) { Util::WriteToFileAscii(fd, "K", std::string("text")); }),
                testing::ExitedWithCode(1), "Util::WriteToFileAscii \\(74\\)");
    EXPECT_EXIT(
        WriteValueBeyondSizeLimit(path,
                                  [](int fd) {
                                      Util::WriteToFileAscii(fd, "K", FontValue{"Arial", 9, 0});
                                  }),
        testing::ExitedWithCode(1), "Util::WriteToFileAscii \\(74\\)");
    EXPECT_EXIT(
        WriteValueBeyondSizeLimit(path, [](int fd) { Util::WriteToFileAscii(fd, "K", ""); }),
        testing::ExitedWithCode(1), "Util::WriteToFileAscii \\(64\\)");
}

TEST(PathTest, AppendBackslashAddsTheSeparatorOnlyWhenMissing) {
    EXPECT_EQ(Util::AppendBackslash("/home/user/data"), "/home/user/data/");
    EXPECT_EQ(Util::AppendBackslash("/home/user/data/"), "/home/user/data/");
    EXPECT_EQ(Util::AppendBackslash("/"), "/");
    EXPECT_EQ(LocationOf([] { Util::AppendBackslash(""); }), "Util::AppendBackslash (166)");
}

TEST(PathTest, EnsureDirectoryExistsCreatesOneLevel) {
    TestSupport::TempFolder folder;
    const std::string path = folder.Folder() + "Wallpaper";
    Util::EnsureDirectoryExists(path);
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_TRUE(S_ISDIR(status.st_mode));
    EXPECT_NO_THROW(Util::EnsureDirectoryExists(path));
    EXPECT_NO_THROW(Util::EnsureDirectoryExists(folder.Folder() + "Temp/"));
    EXPECT_EQ(LocationOf([&] { Util::EnsureDirectoryExists(folder.Folder() + "a/b"); }),
              "Util::EnsureDirectoryExists (422)");
    EXPECT_EQ(LocationOf([] { Util::EnsureDirectoryExists(""); }),
              "Util::EnsureDirectoryExists (422)");
}

TEST(PathTest, EnsureDirectoryExistsRaisesWhenAFileHasTheName) {
    TestSupport::TempFolder folder;
    const std::string path = folder.Folder() + "Wallpaper";
    UtilFile::WriteFileAscii(path, "not a folder");
    EXPECT_EQ(LocationOf([&] { Util::EnsureDirectoryExists(path); }),
              "Util::EnsureDirectoryExists (422)");
}

}  // namespace
