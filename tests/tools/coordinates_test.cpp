#include "tools/coordinates.h"

#include <gtest/gtest.h>

namespace tikhomap {
namespace {

TEST(FormatLatLong, MapPointsReadAsDegreesMinutesAndSeconds) {
  struct Row {
    float x, y;
    const char* latitude;
    const char* longitude;
  };
  const Row rows[] = {
      {0, 0, " 43°03'20\"", " 131°50'10\""},
      {10000, 10000, " 43°08'50\"", " 131°57'40\""},
  };
  for (const Row& row : rows) {
    const LatLongTexts texts = latLongAtMapPoint(row.x, row.y);
    EXPECT_EQ(texts.latitude, row.latitude) << row.x << ", " << row.y;
    EXPECT_EQ(texts.longitude, row.longitude) << row.x << ", " << row.y;
    // The caller's first-stage shift is all latLongAtMapPoint adds.
    EXPECT_EQ(formatLatLong(row.x + 35750, row.y + 22500).latitude, row.latitude);
  }
}

TEST(FormatLatLong, ThirteenThousandTwoHundredFiftyMetresEastIsTheCentralMeridian) {
  for (float x : {-5000.0f, 0.0f, 12000.0f}) {
    EXPECT_EQ(latLongAtMapPoint(x, 13250).longitude, " 132°00'00\"") << x;
    EXPECT_DOUBLE_EQ(gridToGeo(x + kCoordNorthShift, 13250 + kCoordEastShift).longitude, 132.0);
  }
  // East of it the longitude grows, west of it it falls.
  EXPECT_GT(gridToGeo(35750, 22500 + 14000).longitude, 132.0);
  EXPECT_LT(gridToGeo(35750, 22500 + 12000).longitude, 132.0);
}

TEST(FormatLatLong, NorthingAloneMovesTheLatitudeAtAboutOneDegreePer111Kilometres) {
  const double south = gridToGeo(kCoordNorthShift, 13250 + kCoordEastShift).latitude;
  const double north = gridToGeo(kCoordNorthShift + 111000, 13250 + kCoordEastShift).latitude;
  EXPECT_NEAR(north - south, 1.0, 0.01);
}

TEST(FormatDegrees, SecondsMoveInStepsOfTen) {
  const double base = 43 + 3 / 60.0;
  EXPECT_EQ(formatDegrees(base + 14.6 / 3600), " 43°03'10\"");
  EXPECT_EQ(formatDegrees(base + 14.8 / 3600), " 43°03'20\"");
  EXPECT_EQ(formatDegrees(base + 0.1 / 3600), " 43°03'00\"");
  EXPECT_EQ(formatDegrees(base + 44.0 / 3600), " 43°03'40\"");
  EXPECT_EQ(formatDegrees(131 + 7 / 60.0 + 25.0 / 3600), " 131°07'30\"");
}

TEST(FormatDegrees, RoundingUpToAFullMinuteCarries) {
  EXPECT_EQ(formatDegrees(43 + 3 / 60.0 + 56.0 / 3600), " 43°04'00\"");
  EXPECT_EQ(formatDegrees(43 + 59 / 60.0 + 59.9 / 3600), " 44°00'00\"");
}

}  // namespace
}  // namespace tikhomap
