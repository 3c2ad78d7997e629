#include "render/style_set.h"

#include <gtest/gtest.h>

#include "render/recording_canvas.h"

namespace tikhomap {
namespace {

constexpr int kAllViewModes[] = {kViewGraphic, kViewFlat,     kViewNight,       kViewClockWindows,
                                 kViewNewYear, kViewPowerCut, kViewWideWindows, kViewFrame};

// 30 pens and 22 brushes make one style set.
constexpr int kStyleObjects = 52;

TEST(StyleSet, ViewModesMapToTheirPalettes) {
  EXPECT_EQ(paletteForViewMode(kViewGraphic), 0);
  EXPECT_EQ(paletteForViewMode(kViewFlat), 0);
  EXPECT_EQ(paletteForViewMode(kViewNight), 1);
  for (int mode : {kViewClockWindows, kViewNewYear, kViewPowerCut, kViewWideWindows, kViewFrame}) {
    EXPECT_EQ(paletteForViewMode(mode), 2) << mode;
    EXPECT_TRUE(isVolumetricView(mode)) << mode;
  }
  EXPECT_FALSE(isVolumetricView(kViewNight));
  EXPECT_EQ(paletteForViewMode(32774), -1);
  EXPECT_EQ(paletteForViewMode(0), -1);
}

TEST(StyleSet, PurposeGroups) {
  for (int16_t p : {411, 658}) EXPECT_EQ(purposeGroup(p), PurposeGroup::Dwelling);
  for (int16_t p : {444, 660}) EXPECT_EQ(purposeGroup(p), PurposeGroup::Education);
  for (int16_t p : {461, 659, 888}) EXPECT_EQ(purposeGroup(p), PurposeGroup::Public);
  for (int16_t p : {555, 661}) EXPECT_EQ(purposeGroup(p), PurposeGroup::Medical);
  for (int16_t p : {413, 657, 777, 464, 0, -1, 662})
    EXPECT_EQ(purposeGroup(p), PurposeGroup::Other);
}

TEST(StyleSet, PlanPaletteValues) {
  StyleSet s;
  ASSERT_TRUE(buildStyleSet(s, kViewFlat));
  EXPECT_EQ(s.palette, 0);
  EXPECT_EQ(s.coastline, (Pen{PenStyle::Solid, 1, {80, 80, 255}, false}));
  EXPECT_EQ(s.waterLine.color, (Rgb{40, 40, 255}));
  EXPECT_EQ(s.hatchedAreaOutline.color, (Rgb{0, 255, 0}));
  EXPECT_EQ(s.markedStreet, (Pen{PenStyle::Solid, 2, {255, 0, 0}, false}));
  const int streetWidths[] = {3, 7, 14, 21};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(s.street[i], (Pen{PenStyle::Solid, streetWidths[i], {255, 255, 190}, false}));
  }
  EXPECT_EQ(s.streetOutline, (Pen{PenStyle::Solid, 3, {200, 150, 120}, false}));
  const int w3011[] = {2, 3, 5, 8};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(s.railway[i].width, w3011[i]);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(s.fence[i].width, i + 2);
  EXPECT_EQ(s.districtBoundary, (Pen{PenStyle::Solid, 3, {255, 255, 0}, false}));
  EXPECT_EQ(s.orchard, (Brush{BrushStyle::HatchDiagCross, {0, 110, 0}}));
  EXPECT_EQ(s.green, (Brush{BrushStyle::Solid, {96, 185, 94}}));
  EXPECT_EQ(s.land.color, (Rgb{208, 217, 186}));
  EXPECT_EQ(s.sea.color, (Rgb{150, 230, 255}));
  EXPECT_EQ(s.dropShadow.color, (Rgb{80, 80, 80}));
  EXPECT_EQ(s.edgePen(444).color, (Rgb{167, 140, 110}));
  EXPECT_EQ(s.edgePen(888).color, (Rgb{187, 160, 120}));
  EXPECT_EQ(s.glowPen(411).color, (Rgb{200, 255, 200}));
  EXPECT_EQ(s.glowPen(413).color, (Rgb{225, 225, 225}));
  EXPECT_EQ(s.bodyBrush(555).color, (Rgb{107, 150, 140}));
  EXPECT_EQ(s.roofBrush(555), s.bodyBrush(555));
  EXPECT_EQ(s.litWindowPen.color, (Rgb{255, 255, 180}));
  EXPECT_EQ(s.darkWindowBrush.color, (Rgb{140, 140, 140}));
}

TEST(StyleSet, NightPaletteValues) {
  StyleSet s;
  ASSERT_TRUE(buildStyleSet(s, kViewNight));
  EXPECT_EQ(s.coastline.color, (Rgb{0, 0, 55}));
  EXPECT_EQ(s.waterLine.color, (Rgb{0, 0, 55}));
  EXPECT_EQ(s.markedStreet.color, (Rgb{155, 0, 0}));
  EXPECT_EQ(s.street[3], (Pen{PenStyle::Solid, 21, {90, 90, 0}, false}));
  EXPECT_EQ(s.railway[2], (Pen{PenStyle::Solid, 5, {50, 50, 50}, false}));
  EXPECT_EQ(s.fence[2].color, (Rgb{80, 80, 80}));
  EXPECT_EQ(s.districtBoundary.color, (Rgb{200, 180, 170}));
  EXPECT_EQ(s.sea.color, (Rgb{0, 0, 100}));
  EXPECT_EQ(s.orchard, (Brush{BrushStyle::HatchDiagCross, {10, 16, 10}}));
  EXPECT_EQ(s.green.color, (Rgb{56, 115, 44}));
  EXPECT_EQ(s.dropShadow.color, (Rgb{0, 0, 0}));
  EXPECT_EQ(s.bodyBrush(461).color, (Rgb{37, 20, 30}));
  EXPECT_EQ(s.edgePen(411).color, (Rgb{22, 46, 40}));
  EXPECT_EQ(s.glowPen(555).color, (Rgb{180, 180, 100}));
  EXPECT_EQ(s.glowPen(777).color, (Rgb{100, 100, 70}));
  EXPECT_EQ(s.roofBrush(777).color, (Rgb{40, 40, 40}));
}

TEST(StyleSet, VolumetricPaletteDiffersOnlyInBuildingFills) {
  StyleSet plan;
  StyleSet volume;
  ASSERT_TRUE(buildStyleSet(plan, kViewFlat));
  ASSERT_TRUE(buildStyleSet(volume, kViewFrame));
  EXPECT_EQ(volume.palette, 2);
  EXPECT_EQ(volume.bodyBrush(411).color, (Rgb{190, 180, 160}));
  EXPECT_EQ(volume.bodyBrush(660).color, (Rgb{200, 200, 160}));
  EXPECT_EQ(volume.roofBrush(661).color, (Rgb{200, 200, 200}));
  EXPECT_EQ(volume.roofBrush(413).color, (Rgb{120, 120, 100}));
  // Put the plan fills in and nothing else may differ.
  for (int g = 0; g < kPurposeGroups; ++g) {
    volume.body[g] = plan.body[g];
    volume.roof[g] = plan.roof[g];
  }
  volume.palette = 0;
  EXPECT_EQ(volume.coastline, plan.coastline);
  for (int g = 0; g < kPurposeGroups; ++g) {
    EXPECT_EQ(volume.edge[g], plan.edge[g]);
    EXPECT_EQ(volume.glow[g], plan.glow[g]);
  }
  EXPECT_EQ(volume.sea, plan.sea);
  EXPECT_EQ(volume.orchard, plan.orchard);
  EXPECT_EQ(volume.street[2], plan.street[2]);
}

TEST(StyleSet, UnknownModeBuildsNothingAndKeepsSlots) {
  StyleSet s;
  EXPECT_FALSE(buildStyleSet(s, 12345));
  EXPECT_EQ(s.liveObjects(), 0);
  ASSERT_TRUE(buildStyleSet(s, kViewNight));
  EXPECT_FALSE(buildStyleSet(s, 12345));
  EXPECT_EQ(s.palette, 1);
  EXPECT_EQ(s.sea.color, (Rgb{0, 0, 100}));
}

TEST(StyleSet, RepeatedModeChangesDoNotAccumulateObjects) {
  StyleSet s;
  RecordingCanvas dc;
  ASSERT_TRUE(buildStyleSet(s, kViewClockWindows));
  const int afterStart = s.liveObjects();
  EXPECT_EQ(afterStart, kStyleObjects);
  for (int round = 0; round < 5; ++round) {
    for (int mode : kAllViewModes) {
      releaseStyleSet(s, &dc);
      EXPECT_EQ(s.liveObjects(), 0);
      ASSERT_TRUE(buildStyleSet(s, mode));
      EXPECT_EQ(s.liveObjects(), afterStart) << mode;
    }
  }
}

TEST(StyleSet, ReleaseDeselectsAndIsHarmlessTwice) {
  StyleSet s;
  RecordingCanvas dc;
  ASSERT_TRUE(buildStyleSet(s, kViewFlat));
  dc.selectPen(s.coastline);
  dc.selectBrush(s.sea);
  releaseStyleSet(s, &dc);
  EXPECT_EQ(dc.state().pen, fixed::nullPen);
  EXPECT_EQ(dc.state().brush, fixed::hollowBrush);
  EXPECT_EQ(s.palette, -1);
  releaseStyleSet(s, nullptr);
  EXPECT_EQ(s.liveObjects(), 0);
}

}  // namespace
}  // namespace tikhomap
