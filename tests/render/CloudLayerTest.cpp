#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QImageReader>
#include <QList>
#include <QString>
#include <algorithm>
#include <cstdint>
#include <iterator>
#include <ostream>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "core/Exceptions.h"
#include "render/CloudLayer.h"
#include "support/TestSupport.h"

namespace {

using TestSupport::LocationOf;

const std::string Passes = "no exception";
const std::string CorruptEnd = "DownloadCloudsWork::CheckCorruptEnd (349)";
const std::string CorruptLine = "DownloadCloudsWork::CheckCorruptLineV (373)";
const std::string CorruptTriangle = "DownloadCloudsWork::CheckCorruptBlackTriangle (262)";
const std::string CannotRead = "DownloadCloudsWork::GenClouds (122)";
const std::string NotEightBit = "DownloadCloudsWork::GenClouds (134)";

// A grey picture in a buffer of exactly its size, so that the sanitizer catches a
// read outside it.
class GreyPicture {
public:
    GreyPicture(int width, int height)
        : width_(width), height_(height), bytes_(static_cast<std::size_t>(width) * height) {
        // Neither black nor white, and many values in every row.
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                Set(x, y, static_cast<std::uint8_t>(20 + (x * 7 + y * 13) % 200));
            }
        }
    }

    void Set(int x, int y, std::uint8_t value) {
        bytes_[static_cast<std::size_t>(y) * width_ + x] = value;
    }
    void FillRows(int x, int firstRow, int lastRow, std::uint8_t value) {
        for (int y = firstRow; y <= lastRow; ++y) {
            Set(x, y, value);
        }
    }
    void FillColumns(int y, int firstColumn, int lastColumn, std::uint8_t value) {
        for (int x = firstColumn; x <= lastColumn; ++x) {
            Set(x, y, value);
        }
    }
    void FillAll(std::uint8_t value) { std::fill(bytes_.begin(), bytes_.end(), value); }

    GreyPixels Pixels() const { return GreyPixels{bytes_.data(), width_, height_, width_}; }
    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    int width_;
    int height_;
    std::vector<std::uint8_t> bytes_;
};

std::string ValidateLocation(const GreyPicture& picture) {
    return LocationOf([&] { DownloadCloudsWork::Validate(picture.Pixels()); });
}

// The size the fixed-place tests are made for.
class CloudValidationTest : public ::testing::Test {
protected:
    GreyPicture picture_{2048, 1024};
};

TEST_F(CloudValidationTest, AnUndamagedPicturePasses) {
    EXPECT_EQ(ValidateLocation(picture_), Passes);
}

TEST_F(CloudValidationTest, CheckCorruptEnd_RaisesWhenTheRowAtEightyPercentHoldsThreeValues) {
    for (int x = 0; x < picture_.Width(); ++x) {
        picture_.Set(x, 819, static_cast<std::uint8_t>(10 + x % 3));
    }
    EXPECT_EQ(ValidateLocation(picture_), CorruptEnd);
}

TEST_F(CloudValidationTest, CheckCorruptEnd_PassesWithAFourthValueInTheFirstTestedColumn) {
    picture_.FillColumns(819, 0, picture_.Width() - 1, 10);
    picture_.Set(100, 819, 11);
    picture_.Set(101, 819, 12);
    EXPECT_EQ(ValidateLocation(picture_), CorruptEnd);
    picture_.Set(50, 819, 13);
    EXPECT_EQ(ValidateLocation(picture_), Passes);
}

TEST_F(CloudValidationTest, CheckCorruptEnd_PassesWithAFourthValueInTheLastTestedColumn) {
    picture_.FillColumns(819, 0, picture_.Width() - 1, 10);
    picture_.Set(100, 819, 11);
    picture_.Set(101, 819, 12);
    picture_.Set(picture_.Width() - 50, 819, 13);
    EXPECT_EQ(ValidateLocation(picture_), Passes);
}

TEST_F(CloudValidationTest, CheckCorruptEnd_IgnoresTheFiftyColumnMargins) {
    picture_.FillColumns(819, 0, picture_.Width() - 1, 10);
    picture_.Set(100, 819, 11);
    picture_.Set(101, 819, 12);
    picture_.Set(49, 819, 13);
    picture_.Set(picture_.Width() - 49, 819, 14);
    picture_.Set(0, 819, 15);
    picture_.Set(picture_.Width() - 1, 819, 16);
    EXPECT_EQ(ValidateLocation(picture_), CorruptEnd);
}

TEST_F(CloudValidationTest, CheckCorruptEnd_LooksAtTheRowAtEightyPercentOnly) {
    picture_.FillColumns(818, 0, picture_.Width() - 1, 10);
    picture_.FillColumns(820, 0, picture_.Width() - 1, 10);
    EXPECT_EQ(ValidateLocation(picture_), Passes);
}

struct SizeCase {
    int Width;
    int Height;
    std::string Expected;
};

void PrintTo(const SizeCase& size, std::ostream* out) {
    *out << size.Width << "x" << size.Height;
}

// A flat picture fails the end test wherever that test runs.
class CheckCorruptEndSizeTest : public ::testing::TestWithParam<SizeCase> {};

TEST_P(CheckCorruptEndSizeTest, RunsOnlyFromTwoHundredByOneHundred) {
    GreyPicture picture(GetParam().Width, GetParam().Height);
    picture.FillAll(128);
    EXPECT_EQ(LocationOf([&] { DownloadCloudsWork::CheckCorruptEnd(picture.Pixels()); }),
              GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Sizes, CheckCorruptEndSizeTest,
                         ::testing::Values(SizeCase{199, 100, Passes}, SizeCase{200, 99, Passes},
                                           SizeCase{200, 100, CorruptEnd}, SizeCase{1, 1, Passes}));

// A white column 599 fails the fixed-place tests wherever they run.
class FixedPlaceSizeTest : public ::testing::TestWithParam<SizeCase> {};

TEST_P(FixedPlaceSizeTest, RunOnlyFrom2040By1020) {
    GreyPicture picture(GetParam().Width, GetParam().Height);
    picture.FillRows(599, 800, 920, 255);
    EXPECT_EQ(ValidateLocation(picture), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Sizes, FixedPlaceSizeTest,
                         ::testing::Values(SizeCase{2039, 1020, Passes},
                                           SizeCase{2040, 1019, Passes},
                                           SizeCase{2040, 1020, CorruptLine}));

struct Segment {
    int Column;
    int FirstRow;
    int LastRow;
};

void PrintTo(const Segment& segment, std::ostream* out) {
    *out << "column " << segment.Column << " rows " << segment.FirstRow << "-" << segment.LastRow;
}

class NotWhiteSegmentTest : public CloudValidationTest,
                            public ::testing::WithParamInterface<Segment> {
protected:
    void WhitenSegment() {
        picture_.FillRows(GetParam().Column, GetParam().FirstRow, GetParam().LastRow, 255);
    }
};

TEST_P(NotWhiteSegmentTest, AnEntirelyWhiteSegmentRaises) {
    WhitenSegment();
    EXPECT_EQ(ValidateLocation(picture_), CorruptLine);
}

TEST_P(NotWhiteSegmentTest, OneNotWhitePixelAtTheFirstRowIsEnough) {
    WhitenSegment();
    picture_.Set(GetParam().Column, GetParam().FirstRow, 252);
    EXPECT_EQ(ValidateLocation(picture_), Passes);
}

TEST_P(NotWhiteSegmentTest, OneNotWhitePixelAtTheLastRowIsEnough) {
    WhitenSegment();
    picture_.Set(GetParam().Column, GetParam().LastRow, 0);
    EXPECT_EQ(ValidateLocation(picture_), Passes);
}

TEST_P(NotWhiteSegmentTest, TwoHundredFiftyThreeCountsAsWhite) {
    picture_.FillRows(GetParam().Column, GetParam().FirstRow, GetParam().LastRow, 253);
    EXPECT_EQ(ValidateLocation(picture_), CorruptLine);
}

TEST_P(NotWhiteSegmentTest, WhitePixelsJustOutsideTheSegmentDoNotCount) {
    const Segment segment = GetParam();
    picture_.FillRows(segment.Column, segment.FirstRow - 20, segment.FirstRow - 1, 255);
    picture_.FillRows(segment.Column, segment.LastRow + 1, segment.LastRow + 20, 255);
    picture_.FillRows(segment.Column + 1, segment.FirstRow, segment.LastRow, 255);
    picture_.FillRows(segment.Column - 1, segment.FirstRow, segment.LastRow, 255);
    EXPECT_EQ(ValidateLocation(picture_), Passes);
}

INSTANTIATE_TEST_SUITE_P(FixedPlaces, NotWhiteSegmentTest,
                         ::testing::Values(Segment{599, 800, 920}, Segment{600, 105, 160},
                                           Segment{1815, 820, 920}, Segment{242, 800, 920}));

TEST_F(CloudValidationTest, NotBlackSegment_AnEntirelyBlackColumn1825Raises) {
    picture_.FillRows(1825, 340, 495, 0);
    EXPECT_EQ(ValidateLocation(picture_), CorruptLine);
}

TEST_F(CloudValidationTest, NotBlackSegment_TwoCountsAsBlack) {
    picture_.FillRows(1825, 340, 495, 2);
    EXPECT_EQ(ValidateLocation(picture_), CorruptLine);
}

TEST_F(CloudValidationTest, NotBlackSegment_OneNotBlackPixelIsEnough) {
    picture_.FillRows(1825, 340, 495, 0);
    picture_.Set(1825, 495, 3);
    EXPECT_EQ(ValidateLocation(picture_), Passes);
}

TEST_F(CloudValidationTest, NotBlackSegment_BlackOutsideRows340To495DoesNotCount) {
    picture_.FillRows(1825, 300, 339, 0);
    picture_.FillRows(1825, 496, 540, 0);
    picture_.FillRows(1825, 341, 494, 0);
    EXPECT_EQ(ValidateLocation(picture_), Passes);
}

// The two triangle tests: row 105 looks at the 50 rows below, row 920 at the 50 above.
struct TriangleRow {
    int Row;
    int Direction;
};

void PrintTo(const TriangleRow& row, std::ostream* out) {
    *out << "row " << row.Row << (row.Direction > 0 ? " down" : " up");
}

class BlackTriangleTest : public CloudValidationTest,
                          public ::testing::WithParamInterface<TriangleRow> {
protected:
    static constexpr int RunStart = 1000;

    int Row() const { return GetParam().Row; }
    int FarRow() const { return GetParam().Row + GetParam().Direction; }
    int FirstRow() const { return std::min(Row(), FarRow()); }
    int LastRow() const { return std::max(Row(), FarRow()); }

    void BlackRun(int start, int length) {
        picture_.FillColumns(Row(), start, start + length - 1, 0);
    }
    // The run and every row it looks at, black.
    void BlackBlock(int start, int length) {
        for (int x = start; x < start + length; ++x) {
            picture_.FillRows(x, FirstRow(), LastRow(), 0);
        }
    }
};

TEST_P(BlackTriangleTest, ARunOf99BlackPixelsPassesTheRunTest) {
    BlackRun(RunStart, 99);
    EXPECT_EQ(ValidateLocation(picture_), Passes);
}

TEST_P(BlackTriangleTest, ARunOf100BlackPixelsRaises) {
    BlackRun(RunStart, 100);
    EXPECT_EQ(ValidateLocation(picture_), CorruptTriangle);
}

TEST_P(BlackTriangleTest, TwoCountsAsBlackInARun) {
    picture_.FillColumns(Row(), RunStart, RunStart + 99, 2);
    EXPECT_EQ(ValidateLocation(picture_), CorruptTriangle);
}

TEST_P(BlackTriangleTest, ARunOf49BlackPixelsSkipsTheColumnTest) {
    BlackBlock(RunStart, 49);
    EXPECT_EQ(ValidateLocation(picture_), Passes);
}

TEST_P(BlackTriangleTest, ARunOf50BlackPixelsOverABlackBlockRaises) {
    BlackBlock(RunStart, 50);
    EXPECT_EQ(ValidateLocation(picture_), CorruptLine);
}

TEST_P(BlackTriangleTest, ARunOf50BlackPixelsOverALitAreaPasses) {
    BlackRun(RunStart, 50);
    EXPECT_EQ(ValidateLocation(picture_), Passes);
}

TEST_P(BlackTriangleTest, OneNotBlackPixelInEveryFifthColumnIsEnough) {
    BlackBlock(RunStart, 60);
    for (int x = RunStart; x < RunStart + 60; x += 5) {
        picture_.Set(x, FarRow(), 3);
    }
    EXPECT_EQ(ValidateLocation(picture_), Passes);
}

TEST_P(BlackTriangleTest, AFullyBlackTestedColumnRaises) {
    BlackBlock(RunStart, 60);
    for (int x = RunStart; x < RunStart + 55; x += 5) {
        picture_.Set(x, FarRow(), 3);
    }
    EXPECT_EQ(ValidateLocation(picture_), CorruptLine);
}

TEST_P(BlackTriangleTest, ColumnsBetweenTheTestedOnesAreNotLookedAt) {
    BlackBlock(RunStart, 60);
    for (int x = RunStart + 1; x < RunStart + 60; x += 5) {
        picture_.FillRows(x, FirstRow(), LastRow(), 128);
        picture_.Set(x, Row(), 0);
    }
    EXPECT_EQ(ValidateLocation(picture_), CorruptLine);
}

TEST_P(BlackTriangleTest, OfTwoEqualRunsTheFirstIsTested) {
    BlackBlock(RunStart - 500, 60);
    BlackRun(RunStart, 60);
    EXPECT_EQ(ValidateLocation(picture_), CorruptLine);

    picture_ = GreyPicture(2048, 1024);
    BlackRun(RunStart - 500, 60);
    BlackBlock(RunStart, 60);
    EXPECT_EQ(ValidateLocation(picture_), Passes);
}

TEST_P(BlackTriangleTest, ALongerLaterRunIsTested) {
    BlackRun(RunStart - 500, 60);
    BlackBlock(RunStart, 70);
    EXPECT_EQ(ValidateLocation(picture_), CorruptLine);
}

TEST_P(BlackTriangleTest, ARunAtTheRightEdgeIsTestedUpToTheLastColumn) {
    const int start = picture_.Width() - 60;
    BlackBlock(start, 60);
    for (int x = start; x < picture_.Width(); x += 5) {
        picture_.Set(x, FarRow(), 3);
    }
    EXPECT_EQ(ValidateLocation(picture_), Passes);
    picture_.Set(picture_.Width() - 5, FarRow(), 0);
    EXPECT_EQ(ValidateLocation(picture_), CorruptLine);
}

INSTANTIATE_TEST_SUITE_P(FixedRows, BlackTriangleTest,
                         ::testing::Values(TriangleRow{105, +50}, TriangleRow{920, -50}));

TEST(CloudValidationEdgeTest, TheTriangleTestLooksOnlyAtRowsInsideThePicture) {
    GreyPicture picture(60, 3);
    picture.FillAll(128);
    picture.FillColumns(0, 0, 59, 0);
    EXPECT_EQ(LocationOf(
                  [&] { DownloadCloudsWork::CheckCorruptBlackTriangle(picture.Pixels(), 0, +50); }),
              Passes);
    EXPECT_EQ(LocationOf(
                  [&] { DownloadCloudsWork::CheckCorruptBlackTriangle(picture.Pixels(), 0, -50); }),
              CorruptLine);
}

TEST(CloudValidationEdgeTest, ATriangleRowOutsideThePictureHasNothingToTest) {
    GreyPicture picture(120, 2);
    picture.FillAll(0);
    for (const int row : {-1, 2, 5000}) {
        EXPECT_EQ(LocationOf([&] {
                      DownloadCloudsWork::CheckCorruptBlackTriangle(picture.Pixels(), row, -50);
                  }),
                  Passes)
            << row;
    }
}

TEST(CloudValidationEdgeTest, ASegmentIsTestedOnlyWhereItLiesInsideThePicture) {
    GreyPicture picture(2, 3);
    picture.FillAll(255);
    const GreyPixels pixels = picture.Pixels();
    EXPECT_EQ(LocationOf([&] { DownloadCloudsWork::CheckCorruptLineV(pixels, 1, -10, 10, false); }),
              CorruptLine);
    picture.Set(1, 2, 100);
    EXPECT_EQ(LocationOf([&] { DownloadCloudsWork::CheckCorruptLineV(pixels, 1, -10, 10, false); }),
              Passes);
    for (const int column : {-1, 2}) {
        EXPECT_EQ(
            LocationOf([&] { DownloadCloudsWork::CheckCorruptLineV(pixels, column, 0, 2, false); }),
            Passes)
            << column;
    }
    EXPECT_EQ(LocationOf([&] { DownloadCloudsWork::CheckCorruptLineV(pixels, 0, 3, 9, false); }),
              Passes);
}

// Pictures of every awkward size, mostly black and white, never read outside
// (the sanitizer build checks) and fail only with the validation's own errors.
class ValidationFuzzTest : public ::testing::TestWithParam<SizeCase> {};

TEST_P(ValidationFuzzTest, RaisesOnlyValidationErrors) {
    const int width = GetParam().Width;
    const int height = GetParam().Height;
    const std::set<std::string> allowed{Passes, CorruptEnd, CorruptLine, CorruptTriangle};
    std::mt19937 random(static_cast<unsigned>(width * 31 + height));
    static constexpr std::uint8_t Values[] = {0, 0, 0, 1, 2, 3, 128, 252, 253, 255, 255};
    std::uniform_int_distribution<int> pick(0, static_cast<int>(std::size(Values)) - 1);
    for (int round = 0; round < 4; ++round) {
        GreyPicture picture(width, height);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                picture.Set(x, y, Values[pick(random)]);
            }
        }
        EXPECT_TRUE(allowed.contains(ValidateLocation(picture)));
        for (const int row : {0, height - 1, height / 2}) {
            for (const int direction : {-50, +50}) {
                EXPECT_TRUE(allowed.contains(LocationOf([&] {
                    DownloadCloudsWork::CheckCorruptBlackTriangle(picture.Pixels(), row, direction);
                })));
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, ValidationFuzzTest,
                         ::testing::Values(SizeCase{1, 1, {}}, SizeCase{7, 1, {}},
                                           SizeCase{1, 300, {}}, SizeCase{130, 4, {}},
                                           SizeCase{200, 100, {}}, SizeCase{2040, 1020, {}},
                                           SizeCase{2041, 1021, {}}));

// A picture whose column x has grey x; every row shows the whole mapping.
QImage GreyRamp(int height) {
    QImage picture(256, height, QImage::Format_Grayscale8);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* line = picture.scanLine(y);
        for (int x = 0; x < 256; ++x) {
            line[x] = static_cast<std::uint8_t>(x);
        }
    }
    return picture;
}

int DensityAt(const QImage& layer, int x, int y) {
    return layer.constScanLine(y)[x];
}

class GenCloudsTest : public ::testing::Test {
protected:
    std::string Save(const QImage& picture, const std::string& name = "Clouds.png") {
        const std::string path = (folder_.Path() / name).string();
        EXPECT_TRUE(picture.save(QString::fromStdString(path), "PNG"));
        return path;
    }
    // GenClouds reads the file's own decoding; make sure the test's picture
    // survives the round trip in the form it means to test.
    std::string SaveAs(const QImage& picture, QImage::Format expected) {
        const std::string path = Save(picture);
        EXPECT_EQ(QImageReader(QString::fromStdString(path)).read().format(), expected);
        return path;
    }

    TestSupport::TempFolder folder_;
};

struct ThresholdRow {
    int Row;
    int Threshold;
    int DensityOfGrey200;
};

void PrintTo(const ThresholdRow& row, std::ostream* out) {
    *out << "row " << row.Row;
}

class GenCloudsThresholdTest : public GenCloudsTest,
                               public ::testing::WithParamInterface<ThresholdRow> {
protected:
    void SetUp() override {
        layer_ = DownloadCloudsWork::GenClouds(SaveAs(GreyRamp(1000), QImage::Format_Grayscale8));
    }

    QImage layer_;
};

TEST_P(GenCloudsThresholdTest, GreyAtTheThresholdIsClearAndAboveItRisesToOpaque) {
    const ThresholdRow row = GetParam();
    ASSERT_EQ(layer_.size(), QSize(256, 1000));
    EXPECT_EQ(DensityAt(layer_, row.Threshold, row.Row), 0);
    EXPECT_EQ(DensityAt(layer_, row.Threshold + 1, row.Row), 255 / (255 - row.Threshold));
    EXPECT_EQ(DensityAt(layer_, 200, row.Row), row.DensityOfGrey200);
    EXPECT_EQ(DensityAt(layer_, 255, row.Row), 255);
}

// H = 1000: the quarters end at rows 250 and 750, the equator is row 500; rows
// 300 and 700 lie a fifth of the band from its edges (cos 0.8 pi), rows 400 and
// 600 two fifths (cos 0.4 pi).
INSTANTIATE_TEST_SUITE_P(Rows, GenCloudsThresholdTest,
                         ::testing::Values(ThresholdRow{0, 110, 158}, ThresholdRow{250, 110, 158},
                                           ThresholdRow{750, 110, 158}, ThresholdRow{999, 110, 158},
                                           ThresholdRow{500, 80, 174}, ThresholdRow{300, 108, 159},
                                           ThresholdRow{700, 108, 159}, ThresholdRow{400, 91, 169},
                                           ThresholdRow{600, 91, 169}));

TEST_F(GenCloudsTest, TheDensityRisesWithTheGrey) {
    const QImage layer =
        DownloadCloudsWork::GenClouds(SaveAs(GreyRamp(1000), QImage::Format_Grayscale8));
    ASSERT_EQ(layer.format(), QImage::Format_Grayscale8);
    for (int y = 0; y < layer.height(); ++y) {
        int previous = 0;
        for (int x = 0; x < layer.width(); ++x) {
            ASSERT_GE(DensityAt(layer, x, y), previous) << x << "," << y;
            previous = DensityAt(layer, x, y);
        }
        ASSERT_EQ(DensityAt(layer, 80, y), 0) << y;
        ASSERT_EQ(DensityAt(layer, 255, y), 255) << y;
    }
}

TEST_F(GenCloudsTest, APaletteIndexBeyondThePaletteUsesItsLastEntry) {
    QImage picture(4, 4, QImage::Format_Indexed8);
    QList<QRgb> palette(16, qRgb(0, 255, 255));
    palette[15] = qRgb(255, 0, 0);
    picture.setColorTable(palette);
    picture.fill(0);
    // Qt's own setter refuses an index beyond the palette; a decoder does not.
    picture.scanLine(1)[1] = 200;
    picture.scanLine(1)[2] = 15;
    const QImage layer = DownloadCloudsWork::GenCloudsFromPicture(picture);
    EXPECT_EQ(DensityAt(layer, 1, 1), 255);
    EXPECT_EQ(DensityAt(layer, 2, 1), 255);
    EXPECT_EQ(DensityAt(layer, 0, 1), 0);
}

TEST_F(GenCloudsTest, AnEmptyPaletteRaises) {
    QImage picture(4, 4, QImage::Format_Indexed8);
    picture.setColorTable({});
    picture.fill(0);
    EXPECT_EQ(LocationOf([&] { DownloadCloudsWork::GenCloudsFromPicture(picture); }),
              "DownloadCloudsWork::GenClouds (145)");
}

TEST_F(GenCloudsTest, ThePaletteGreyIsTheRedComponent) {
    QImage picture(256, 4, QImage::Format_Indexed8);
    QList<QRgb> palette;
    for (int index = 0; index < 256; ++index) {
        palette.append(qRgb(index, 255 - index, 255));
    }
    picture.setColorTable(palette);
    picture.fill(0);
    for (int x = 0; x < 256; ++x) {
        picture.setPixel(x, 0, static_cast<uint>(x));
    }
    const QImage layer = DownloadCloudsWork::GenClouds(SaveAs(picture, QImage::Format_Indexed8));
    EXPECT_EQ(DensityAt(layer, 200, 0), 158);
    EXPECT_EQ(DensityAt(layer, 110, 0), 0);
    EXPECT_EQ(DensityAt(layer, 50, 0), 0);
}

TEST_F(GenCloudsTest, ThePaletteValidationLooksAtTheIndexesNotTheColours) {
    QImage picture(256, 100, QImage::Format_Indexed8);
    QList<QRgb> palette;
    for (int index = 0; index < 256; ++index) {
        palette.append(qRgb(255 - index, 0, 0));
    }
    picture.setColorTable(palette);
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 256; ++x) {
            picture.setPixel(x, y, static_cast<uint>(y == 80 ? 10 + x % 3 : x));
        }
    }
    EXPECT_EQ(LocationOf([&] { DownloadCloudsWork::GenCloudsFromPicture(picture); }), CorruptEnd);

    picture.setColorTable(QList<QRgb>(256, qRgb(128, 128, 128)));
    for (int x = 0; x < 256; ++x) {
        picture.setPixel(x, 80, static_cast<uint>(x));
    }
    EXPECT_EQ(LocationOf([&] { DownloadCloudsWork::GenCloudsFromPicture(picture); }), Passes);
}

TEST_F(GenCloudsTest, AValidationFailureStopsTheLayer) {
    QImage picture = GreyRamp(100);
    std::fill_n(picture.scanLine(80), 256, std::uint8_t{40});
    const std::string path = SaveAs(picture, QImage::Format_Grayscale8);
    EXPECT_EQ(LocationOf([&] { DownloadCloudsWork::GenClouds(path); }), CorruptEnd);
}

TEST_F(GenCloudsTest, RowsPaddedToAWholeWordAreReadAtTheirStride) {
    QImage picture(201, 100, QImage::Format_Grayscale8);
    ASSERT_GT(picture.bytesPerLine(), 201);
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 201; ++x) {
            picture.scanLine(y)[x] = static_cast<std::uint8_t>(x + y);
        }
    }
    const QImage layer = DownloadCloudsWork::GenCloudsFromPicture(picture);
    EXPECT_EQ(DensityAt(layer, 100, 100 - 1), DensityAt(layer, 101, 100 - 2));
    EXPECT_EQ(DensityAt(layer, 200, 0), 158);
    EXPECT_EQ(DensityAt(layer, 100, 10), 0);
    EXPECT_EQ(DensityAt(layer, 200, 55), 255);
}

TEST_F(GenCloudsTest, AColourPictureRaises) {
    QImage picture(64, 64, QImage::Format_RGB32);
    picture.fill(QColor(200, 40, 90));
    const std::string path = Save(picture);
    EXPECT_EQ(LocationOf([&] { DownloadCloudsWork::GenClouds(path); }), NotEightBit);
}

TEST_F(GenCloudsTest, AGreyPictureStoredInColourGivesTheLayerOfItsGreyForm) {
    const QImage grey = GreyRamp(100);
    QImage colour = grey.convertToFormat(QImage::Format_RGB32);
    // JPEG noise: channels a few steps apart still count as grey.
    colour.setPixel(7, 7, qRgb(120, 110, 122));
    QImage expected = grey;
    expected.scanLine(7)[7] = 110;
    EXPECT_EQ(DownloadCloudsWork::GenCloudsFromPicture(colour),
              DownloadCloudsWork::GenCloudsFromPicture(expected));

    colour.setPixel(9, 9, qRgb(120, 100, 113));
    EXPECT_EQ(LocationOf([&] { DownloadCloudsWork::GenCloudsFromPicture(colour); }), NotEightBit);
}

TEST_F(GenCloudsTest, ASixteenBitGreyPictureRaises) {
    QImage picture(64, 64, QImage::Format_Grayscale16);
    picture.fill(QColor(200, 200, 200));
    const std::string path = SaveAs(picture, QImage::Format_Grayscale16);
    EXPECT_EQ(LocationOf([&] { DownloadCloudsWork::GenClouds(path); }), NotEightBit);
}

TEST_F(GenCloudsTest, AMissingFileRaises) {
    const std::string path = (folder_.Path() / "Clouds.jpg").string();
    EXPECT_EQ(LocationOf([&] { DownloadCloudsWork::GenClouds(path); }), CannotRead);
}

TEST_F(GenCloudsTest, AFileThatIsNoPictureRaises) {
    const std::string garbage = (folder_.Path() / "Clouds.jpg").string();
    TestSupport::WriteWholeFile(garbage, "<html><body>Service unavailable</body></html>\r\n");
    EXPECT_EQ(LocationOf([&] { DownloadCloudsWork::GenClouds(garbage); }), CannotRead);

    const std::string empty = (folder_.Path() / "Empty.png").string();
    TestSupport::WriteWholeFile(empty, "");
    EXPECT_EQ(LocationOf([&] { DownloadCloudsWork::GenClouds(empty); }), CannotRead);
}

TEST_F(GenCloudsTest, ATruncatedPictureRaises) {
    const std::string whole =
        TestSupport::ReadWholeFile(SaveAs(GreyRamp(300), QImage::Format_Grayscale8));
    const std::string path = (folder_.Path() / "Half.png").string();
    TestSupport::WriteWholeFile(path, whole.substr(0, 60));
    EXPECT_EQ(LocationOf([&] { DownloadCloudsWork::GenClouds(path); }), CannotRead);
}

class TinyPictureTest : public ::testing::TestWithParam<SizeCase> {};

TEST_P(TinyPictureTest, KeepsItsSizeAndMapsWhiteToOvercast) {
    QImage picture(GetParam().Width, GetParam().Height, QImage::Format_Grayscale8);
    picture.fill(QColor(255, 255, 255));
    const QImage layer = DownloadCloudsWork::GenCloudsFromPicture(picture);
    ASSERT_EQ(layer.size(), picture.size());
    for (int y = 0; y < layer.height(); ++y) {
        for (int x = 0; x < layer.width(); ++x) {
            EXPECT_EQ(layer.pixel(x, y), 0xFFFFFFFFu);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, TinyPictureTest,
                         ::testing::Values(SizeCase{1, 1, {}}, SizeCase{3, 1, {}},
                                           SizeCase{1, 2, {}}, SizeCase{2, 3, {}},
                                           SizeCase{5, 4, {}}));

TEST(GenCloudsSmallTest, TheSecondRowOfATwoRowPictureIsTheEquator) {
    QImage picture(1, 2, QImage::Format_Grayscale8);
    picture.fill(QColor(81, 81, 81));
    const QImage layer = DownloadCloudsWork::GenCloudsFromPicture(picture);
    EXPECT_EQ(DensityAt(layer, 0, 0), 0);
    EXPECT_EQ(DensityAt(layer, 0, 1), 1);
}

TEST(GenCloudsSmallTest, ANullPictureRaises) {
    EXPECT_EQ(LocationOf([] { DownloadCloudsWork::GenCloudsFromPicture(QImage()); }), NotEightBit);
}

TEST(GenCloudsFallbackTest, TheShippedFallbackPicturePassesAndShowsClearSkyAndCloud) {
    QImage layer;
    ASSERT_EQ(
        LocationOf([&] { layer = DownloadCloudsWork::GenClouds(SKYVANE_CLOUDS_FALLBACK_FILE); }),
        Passes);
    ASSERT_EQ(layer.size(), QSize(4096, 2048));
    int lowest = 255;
    int highest = 0;
    for (int y = 0; y < layer.height(); ++y) {
        const std::uint8_t* line = layer.constScanLine(y);
        for (int x = 0; x < layer.width(); ++x) {
            lowest = std::min<int>(lowest, line[x]);
            highest = std::max<int>(highest, line[x]);
        }
    }
    EXPECT_EQ(lowest, 0);
    EXPECT_GT(highest, 200);
}

}  // namespace
