#include "app/program_settings.h"

#include <QVariantList>
#include <cmath>

#include "render/style_set.h"

namespace tikhomap {
namespace {

const QString kGeometry = QStringLiteral("window/geometry");
const QString kState = QStringLiteral("window/state");
const QString kViewMode = QStringLiteral("view/mode");
const QString kLayers = QStringLiteral("view/layers");
const QString kPalette = QStringLiteral("view/paletteOpen");
const QString kMaps = QStringLiteral("maps");
const QString kFolder = QStringLiteral("folder");
const QString kView = QStringLiteral("view");

// A whole number in [lo, hi] stored as a value, or nothing.
std::optional<int> intIn(const QVariant& value, int lo, int hi) {
  bool ok = false;
  const int n = value.toInt(&ok);
  if (!ok || n < lo || n > hi) return std::nullopt;
  return n;
}

std::optional<LayerChoices> layersFrom(const QVariant& value) {
  const QStringList parts = value.toString().split(QLatin1Char(' '));
  if (parts.size() != 6) return std::nullopt;
  int v[6];
  for (int i = 0; i < 6; ++i) {
    const auto n = intIn(parts[i], 0, i < 3 ? 2 : 1);
    if (!n) return std::nullopt;
    v[i] = *n;
  }
  LayerChoices c;
  c.buildingChoice = static_cast<int16_t>(v[0]);
  c.houseNumberChoice = static_cast<int16_t>(v[1]);
  c.streetLabelChoice = static_cast<int16_t>(v[2]);
  c.colouredHouses = static_cast<int16_t>(v[3]);
  c.showShadows = static_cast<int16_t>(v[4]);
  c.showDistrictBorders = static_cast<int16_t>(v[5]);
  return c;
}

QString layersText(const LayerChoices& c) {
  return QStringLiteral("%1 %2 %3 %4 %5 %6")
      .arg(c.buildingChoice)
      .arg(c.houseNumberChoice)
      .arg(c.streetLabelChoice)
      .arg(c.colouredHouses)
      .arg(c.showShadows)
      .arg(c.showDistrictBorders);
}

std::optional<MapBounds> viewFrom(const QVariant& value) {
  const QStringList parts = value.toString().split(QLatin1Char(' '));
  if (parts.size() != 4) return std::nullopt;
  float v[4];
  for (int i = 0; i < 4; ++i) {
    bool ok = false;
    v[i] = parts[i].toFloat(&ok);
    if (!ok || !std::isfinite(v[i])) return std::nullopt;
  }
  if (!(v[2] > v[0]) || !(v[3] > v[1])) return std::nullopt;
  return MapBounds{v[0], v[1], v[2], v[3]};
}

QString viewText(const MapBounds& b) {
  return QStringLiteral("%1 %2 %3 %4")
      .arg(double{b.xMin}, 0, 'g', 9)
      .arg(double{b.yMin}, 0, 'g', 9)
      .arg(double{b.xMax}, 0, 'g', 9)
      .arg(double{b.yMax}, 0, 'g', 9);
}

}  // namespace

QSettings programSettings() {
  return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("tikhomap"),
                   QStringLiteral("tikhomap"));
}

Remembered readRemembered(QSettings& settings) {
  Remembered r;
  if (settings.status() != QSettings::NoError) return r;
  r.geometry = settings.value(kGeometry).toByteArray();
  r.state = settings.value(kState).toByteArray();
  if (const auto mode = intIn(settings.value(kViewMode), 0, 1 << 30);
      mode && paletteForViewMode(*mode) >= 0) {
    r.viewMode = mode;
  }
  r.layers = layersFrom(settings.value(kLayers));
  if (const auto open = intIn(settings.value(kPalette), 0, 1)) r.paletteOpen = *open == 1;
  const int size = settings.beginReadArray(kMaps);
  for (int i = 0; i < std::min(size, kRememberedMaps); ++i) {
    settings.setArrayIndex(i);
    const QString folder = settings.value(kFolder).toString();
    if (folder.isEmpty() || findRememberedMap(r, folder) != nullptr) continue;
    r.maps.push_back({folder, viewFrom(settings.value(kView))});
  }
  settings.endArray();
  return r;
}

void writeRemembered(QSettings& settings, const Remembered& r) {
  if (!r.geometry.isEmpty()) settings.setValue(kGeometry, r.geometry);
  if (!r.state.isEmpty()) settings.setValue(kState, r.state);
  if (r.viewMode) settings.setValue(kViewMode, *r.viewMode);
  if (r.layers) settings.setValue(kLayers, layersText(*r.layers));
  if (r.paletteOpen) settings.setValue(kPalette, *r.paletteOpen ? 1 : 0);
  settings.remove(kMaps);
  settings.beginWriteArray(kMaps, static_cast<int>(r.maps.size()));
  for (int i = 0; i < static_cast<int>(r.maps.size()); ++i) {
    settings.setArrayIndex(i);
    settings.setValue(kFolder, r.maps[static_cast<size_t>(i)].folder);
    if (const auto& view = r.maps[static_cast<size_t>(i)].view) {
      settings.setValue(kView, viewText(*view));
    }
  }
  settings.endArray();
  settings.sync();
}

void rememberMap(Remembered& r, const QString& folder, std::optional<MapBounds> view) {
  std::optional<MapBounds> kept = view;
  for (auto it = r.maps.begin(); it != r.maps.end(); ++it) {
    if (it->folder == folder) {
      if (!kept) kept = it->view;
      r.maps.erase(it);
      break;
    }
  }
  r.maps.insert(r.maps.begin(), {folder, kept});
  if (r.maps.size() > kRememberedMaps) r.maps.resize(kRememberedMaps);
}

const RememberedMap* findRememberedMap(const Remembered& r, const QString& folder) {
  for (const RememberedMap& m : r.maps) {
    if (m.folder == folder) return &m;
  }
  return nullptr;
}

}  // namespace tikhomap
