// The three palettes of the map styles and the building and release of the
// style set of one view mode.
#include "render/style_set.h"

#include <array>

#include "mapdata/codes.h"

namespace tikhomap {

namespace {

constexpr Pen solidPen(int width, Rgb color) {
  return Pen{PenStyle::Solid, width, color, false};
}
constexpr Brush solidBrush(Rgb color) {
  return Brush{BrushStyle::Solid, color};
}

// Index of a palette column: 0 plan views, 1 night, 2 volumetric views.
template <typename T>
using Column = std::array<T, 3>;

// Building colours by purpose group, per palette.
using GroupColours = std::array<Rgb, kPurposeGroups>;

constexpr GroupColours kPlanBuildings{
    {{137, 154, 125}, {167, 140, 110}, {187, 160, 120}, {107, 150, 140}, {150, 150, 150}}};
constexpr GroupColours kNightBuildings{
    {{22, 46, 40}, {37, 20, 30}, {37, 20, 30}, {37, 20, 30}, {40, 40, 40}}};
constexpr GroupColours kPlanGlow{
    {{200, 255, 200}, {255, 255, 200}, {255, 255, 200}, {255, 255, 200}, {225, 225, 225}}};
constexpr GroupColours kNightGlow{
    {{190, 150, 40}, {180, 180, 100}, {180, 180, 100}, {180, 180, 100}, {100, 100, 70}}};
constexpr GroupColours kVolumeWalls{
    {{190, 180, 160}, {200, 200, 160}, {180, 180, 160}, {210, 210, 210}, {160, 160, 140}}};
constexpr GroupColours kVolumeRoofs{
    {{170, 160, 130}, {180, 180, 140}, {160, 160, 140}, {200, 200, 200}, {120, 120, 100}}};

constexpr Column<GroupColours> kEdgeColours{kPlanBuildings, kNightBuildings, kPlanBuildings};
constexpr Column<GroupColours> kGlowColours{kPlanGlow, kNightGlow, kPlanGlow};
constexpr Column<GroupColours> kBodyColours{kPlanBuildings, kNightBuildings, kVolumeWalls};
constexpr Column<GroupColours> kRoofColours{kPlanBuildings, kNightBuildings, kVolumeRoofs};

constexpr Column<Rgb> kCoastline{{{80, 80, 255}, {0, 0, 55}, {80, 80, 255}}};
constexpr Column<Rgb> kWaterLine{{{40, 40, 255}, {0, 0, 55}, {40, 40, 255}}};
constexpr Column<Rgb> kMarkedStreet{{{255, 0, 0}, {155, 0, 0}, {255, 0, 0}}};
constexpr Column<Rgb> kStreet{{{255, 255, 190}, {90, 90, 0}, {255, 255, 190}}};
constexpr Column<Rgb> kRailway{{{80, 80, 80}, {50, 50, 50}, {80, 80, 80}}};
constexpr Column<Rgb> kDistrictBoundary{{{255, 255, 0}, {200, 180, 170}, {255, 255, 0}}};

constexpr Column<Rgb> kLand{{{208, 217, 186}, {30, 30, 30}, {208, 217, 186}}};
constexpr Column<Rgb> kSea{{{150, 230, 255}, {0, 0, 100}, {150, 230, 255}}};
constexpr Column<Rgb> kForest{{{60, 120, 60}, {15, 20, 12}, {60, 120, 60}}};
constexpr Column<Rgb> kOrchard{{{0, 110, 0}, {10, 16, 10}, {0, 110, 0}}};
constexpr Column<Rgb> kBeach{{{218, 200, 156}, {30, 30, 30}, {218, 200, 156}}};
constexpr Column<Rgb> kIndustry{{{206, 212, 200}, {10, 16, 10}, {206, 212, 200}}};
constexpr Column<Rgb> kGreen{{{96, 185, 94}, {56, 115, 44}, {96, 185, 94}}};
constexpr Column<Rgb> kPrintGreen{{{170, 255, 170}, {10, 16, 10}, {170, 255, 170}}};
constexpr Column<Rgb> kDropShadow{{{80, 80, 80}, {0, 0, 0}, {80, 80, 80}}};

constexpr int kStreetWidths[4] = {3, 7, 14, 21};
constexpr int kRailwayWidths[4] = {2, 3, 5, 8};
constexpr int kFenceWidths[3] = {2, 3, 4};

constexpr Rgb kLitWindow{255, 255, 180};
constexpr Rgb kDarkWindow{140, 140, 140};

bool isStyled(const Pen& pen) {
  return pen.style != PenStyle::Null;
}
bool isStyled(const Brush& brush) {
  return brush.style != BrushStyle::Null;
}

}  // namespace

int paletteForViewMode(int viewMode) {
  switch (viewMode) {
    case kViewGraphic:
    case kViewFlat:
      return 0;
    case kViewNight:
      return 1;
    case kViewClockWindows:
    case kViewNewYear:
    case kViewPowerCut:
    case kViewWideWindows:
    case kViewFrame:
      return 2;
    default:
      return -1;
  }
}

bool isVolumetricView(int viewMode) {
  return paletteForViewMode(viewMode) == 2;
}

PurposeGroup purposeGroup(int32_t purpose) {
  switch (purpose) {
    case kPurposeDwelling:
    case kPurposeOpenGroundDwelling:
      return PurposeGroup::Dwelling;
    case kPurposeSchool:
    case kPurposeKindergarten:
      return PurposeGroup::Education;
    case kPurposePublic:
    case kPurposeOpenGroundPublic:
    case kPurposePublicBand:
      return PurposeGroup::Public;
    case kPurposeMedical:
    case kPurposeClinic:
      return PurposeGroup::Medical;
    default:
      return PurposeGroup::Other;
  }
}

int StyleSet::liveObjects() const {
  int live = 0;
  const auto countPen = [&live](const Pen& pen) { live += isStyled(pen) ? 1 : 0; };
  const auto countBrush = [&live](const Brush& brush) { live += isStyled(brush) ? 1 : 0; };
  for (const Pen* pen : {&coastline, &waterLine, &hatchedAreaOutline, &marker, &markedStreet,
                         &streetOutline, &districtBoundary, &litWindowPen, &darkWindowPen}) {
    countPen(*pen);
  }
  for (const Pen& pen : street) countPen(pen);
  for (const Pen& pen : railway) countPen(pen);
  for (const Pen& pen : fence) countPen(pen);
  for (const Pen& pen : glow) countPen(pen);
  for (const Pen& pen : edge) countPen(pen);
  for (const Brush* brush : {&land, &sea, &forest, &orchard, &beach, &industry, &green, &printGreen,
                             &markerBrush, &dropShadow, &litWindowBrush, &darkWindowBrush}) {
    countBrush(*brush);
  }
  for (const Brush& brush : body) countBrush(brush);
  for (const Brush& brush : roof) countBrush(brush);
  return live;
}

bool buildStyleSet(StyleSet& styles, int viewMode) {
  const int p = paletteForViewMode(viewMode);
  if (p < 0) return false;

  styles.palette = p;
  styles.coastline = solidPen(1, kCoastline[p]);
  styles.waterLine = solidPen(1, kWaterLine[p]);
  styles.hatchedAreaOutline = solidPen(1, {0, 255, 0});
  styles.marker = solidPen(1, {255, 0, 0});
  styles.markedStreet = solidPen(2, kMarkedStreet[p]);
  for (int i = 0; i < 4; ++i) styles.street[i] = solidPen(kStreetWidths[i], kStreet[p]);
  styles.streetOutline = solidPen(3, {200, 150, 120});
  for (int i = 0; i < 4; ++i) styles.railway[i] = solidPen(kRailwayWidths[i], kRailway[p]);
  for (int i = 0; i < 3; ++i) styles.fence[i] = solidPen(kFenceWidths[i], {80, 80, 80});
  styles.districtBoundary = solidPen(3, kDistrictBoundary[p]);
  for (int g = 0; g < kPurposeGroups; ++g) {
    styles.glow[g] = solidPen(1, kGlowColours[p][g]);
    styles.edge[g] = solidPen(1, kEdgeColours[p][g]);
    styles.body[g] = solidBrush(kBodyColours[p][g]);
    styles.roof[g] = solidBrush(kRoofColours[p][g]);
  }
  styles.litWindowPen = solidPen(1, kLitWindow);
  styles.darkWindowPen = solidPen(1, kDarkWindow);

  styles.land = solidBrush(kLand[p]);
  styles.sea = solidBrush(kSea[p]);
  styles.forest = solidBrush(kForest[p]);
  styles.orchard = Brush{BrushStyle::HatchDiagCross, kOrchard[p]};
  styles.beach = solidBrush(kBeach[p]);
  styles.industry = solidBrush(kIndustry[p]);
  styles.green = solidBrush(kGreen[p]);
  styles.printGreen = solidBrush(kPrintGreen[p]);
  styles.markerBrush = solidBrush({255, 255, 0});
  styles.dropShadow = solidBrush(kDropShadow[p]);
  styles.litWindowBrush = solidBrush(kLitWindow);
  styles.darkWindowBrush = solidBrush(kDarkWindow);
  return true;
}

void releaseStyleSet(StyleSet& styles, Canvas* drawDC) {
  if (drawDC != nullptr) {
    drawDC->selectPen(fixed::nullPen);
    drawDC->selectBrush(fixed::hollowBrush);
  }
  styles = StyleSet{};
}

}  // namespace tikhomap
