// Lines and areas cut at the page instead of clamped: pieces crossing the
// page between far vertices, the same pixels as the screen conversion inside
// the page, and areas that fill the same pixels after the cut.
#include "print/page_geometry.h"

#include <gtest/gtest.h>

#include <vector>

#include "print/page_layout.h"
#include "view/geometry.h"

namespace tikhomap {
namespace {

// A4 at 1200 dpi, 1:2000: the page is 420 m north-south.
ViewState finePage() {
  ViewState page;
  EXPECT_TRUE(layoutPage(metricsAt(9921, 14031, 1200), {5000, 5000, 5420, 5300}, page));
  return page;
}

struct Cut {
  std::vector<ScreenPoint> points;
  std::vector<size_t> starts;
  CutScratch scratch;
};

TEST(PageGeometryTest, InsideThePageThePixelsAreThoseOfTheScreenConversion) {
  const ViewState page = finePage();
  const std::vector<MapPoint> line{{5010, 5010}, {5200.3f, 5100.7f}, {5400, 5290}};
  Cut c;
  cutLineToPage(page, std::span<const MapPoint>(line), cuttingBox(page), c.scratch, c.points,
                c.starts);
  std::vector<ScreenPoint> screen(line.size());
  screen.resize(static_cast<size_t>(projectPoints(page, line, screen.data())));
  EXPECT_EQ(c.points, screen);
  EXPECT_EQ(c.starts, (std::vector<size_t>{0}));
}

TEST(PageGeometryTest, ASegmentCrossingThePageBetweenFarVerticesKeepsItsMiddle) {
  const ViewState page = finePage();
  const PageBox box = cuttingBox(page);
  // Both ends kilometres off the page, north and south.
  const std::vector<MapPoint> street{{9000, 5150}, {1000, 5150}};
  Cut c;
  cutLineToPage(page, std::span<const MapPoint>(street), box, c.scratch, c.points, c.starts);
  ASSERT_EQ(c.points.size(), 2u);
  const int32_t x = pagePixel(page, 5200, 5150).x;
  EXPECT_EQ(c.points[0].x, x);
  EXPECT_EQ(c.points[1].x, x);
  EXPECT_EQ(c.points[0].y, static_cast<int32_t>(box.top));
  EXPECT_EQ(c.points[1].y, static_cast<int32_t>(box.bottom));
  EXPECT_LT(c.points[0].y, 0);
  EXPECT_GT(c.points[1].y, page.viewBottom);
}

TEST(PageGeometryTest, ALineLeavingAndComingBackGivesTwoPieces) {
  const ViewState page = finePage();
  const std::vector<MapPoint> line{
      {5100, 5100}, {5100, 9000}, {5300, 9000}, {5300, 5100}, {5300, 5050}};
  Cut c;
  cutLineToPage(page, std::span<const MapPoint>(line), cuttingBox(page), c.scratch, c.points,
                c.starts);
  const auto pieces = linePieces(c.points, c.starts);
  ASSERT_EQ(pieces.size(), 2u);
  EXPECT_EQ(pieces[0].size(), 2u);
  EXPECT_EQ(pieces[1].size(), 3u);
  EXPECT_EQ(pieces[0].front(), pagePixel(page, 5100, 5100));
  EXPECT_EQ(pieces[1].back(), pagePixel(page, 5300, 5050));
  // A line wholly off the page gives nothing.
  const std::vector<MapPoint> far{{100, 100}, {200, 9000}};
  cutLineToPage(page, std::span<const MapPoint>(far), cuttingBox(page), c.scratch, c.points,
                c.starts);
  EXPECT_TRUE(c.points.empty());
  EXPECT_TRUE(c.starts.empty());
}

TEST(PageGeometryTest, AFarReachingAreaFillsTheSamePixelsAfterTheCut) {
  const ViewState page = finePage();
  const PageBox box = cuttingBox(page);
  // A triangle whose long side crosses the page between corners kilometres
  // away, with a hole (one even-odd outline through a bridge edge). Clamped
  // to ±32000 pixels the far corners would move and the long side with them.
  const std::vector<MetrePoint> area{{0, 0},       {10350, 0},   {0, 10350},   {0, 0},
                                     {5050, 5050}, {5120, 5050}, {5120, 5150}, {5050, 5150},
                                     {5050, 5050}, {0, 0}};
  Cut c;
  cutAreaToPage(page, std::span<const MetrePoint>(area), box, c.scratch, c.points);
  ASSERT_GE(c.points.size(), 3u);
  for (const ScreenPoint& p : c.points) {
    EXPECT_GE(p.x, static_cast<int32_t>(box.left));
    EXPECT_LE(p.x, static_cast<int32_t>(box.right));
    EXPECT_GE(p.y, static_cast<int32_t>(box.top));
    EXPECT_LE(p.y, static_cast<int32_t>(box.bottom));
  }
  // Unclamped conversion of the whole area, for reference.
  std::vector<ScreenPoint> whole;
  projectOnPage(page, std::span<const MetrePoint>(area), whole);
  int inside = 0;
  int samples = 0;
  for (int32_t y = 50; y < page.viewBottom; y += 700) {
    for (int32_t x = 50; x < page.viewRight; x += 500) {
      const bool expected = pointInPolygonPx(whole, x, y);
      EXPECT_EQ(pointInPolygonPx(c.points, x, y), expected) << x << "," << y;
      inside += expected ? 1 : 0;
      ++samples;
    }
  }
  // The long side crosses the page: some of it is land, some not.
  EXPECT_GT(inside, 0);
  EXPECT_LT(inside, samples);
}

}  // namespace
}  // namespace tikhomap
