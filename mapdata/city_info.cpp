#include "mapdata/city_info.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "mapdata/load_result.h"
#include "mapdata/utf8_text.h"

namespace tikhomap {
namespace {

constexpr std::string_view kGridName = "transverse-mercator krassowsky-1940";
// No plane grid of a city reaches this far from its origin.
constexpr double kMaxOrigin = 2.1e7;

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

std::optional<double> number(std::string_view text, double limit) {
  if (text.empty() || text.size() > 40) return std::nullopt;
  const std::string s(text);
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(s.c_str(), &end);
  if (end != s.c_str() + s.size() || errno != 0 || !std::isfinite(v) || std::fabs(v) > limit)
    return std::nullopt;
  return v;
}

// A text of the description: well-formed UTF-8 without control characters,
// at most 60 characters. Blanks around it are trimmed after the control
// characters are gone, so that the text reads back the same once written.
std::string descriptionText(std::string_view utf8) {
  std::string out = sanitizedUtf8(utf8);
  size_t end = 0;
  for (int n = 0; n < 60 && end < out.size(); ++n) end = nextCodePoint(out, end);
  out.resize(end);
  return std::string(trimmed(out));
}

bool validZoneName(std::string_view s) {
  if (s.empty() || s.size() > 64 || s.front() == '/' || s.find("..") != std::string_view::npos)
    return false;
  for (char c : s) {
    const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                    c == '/' || c == '_' || c == '-' || c == '+';
    if (!ok) return false;
  }
  return true;
}

// A value on one line: control characters become spaces.
std::string oneLine(std::string out) {
  for (char& c : out)
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  return out;
}

std::string formatNumber(double v) {
  char text[64];
  std::snprintf(text, sizeof text, "%.6f", v);
  return text;
}

}  // namespace

CityInfo parseCityInfo(std::span<const uint8_t> bytes, std::vector<LoadProblem>* problems) {
  CityInfo info;
  info.present = true;
  bool gridKnown = false;
  std::optional<double> meridian, north, east;
  std::array<std::string, 2> credit;
  bool creditGiven = false;
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = trimmed(text.substr(start, end - start));
    const uint64_t offset = start;
    start = end + 1;
    if (line.empty() || line.front() == '#') continue;
    const size_t eq = line.find('=');
    auto bad = [&](const char* what) {
      if (problems) problems->push_back({kCityInfoFile, offset, what});
    };
    if (eq == std::string_view::npos) {
      bad("line without '='");
      continue;
    }
    const std::string_view key = trimmed(line.substr(0, eq));
    const std::string_view value = trimmed(line.substr(eq + 1));
    if (key == "grid") {
      gridKnown = value == kGridName;
      if (!gridKnown) bad("unknown grid");
    } else if (key == "grid.central-meridian") {
      meridian = number(value, 180);
      if (!meridian) bad("bad central meridian");
    } else if (key == "grid.north-origin") {
      north = number(value, kMaxOrigin);
      if (!north) bad("bad north origin");
    } else if (key == "grid.east-origin") {
      east = number(value, kMaxOrigin);
      if (!east) bad("bad east origin");
    } else if (key == "time-zone") {
      if (validZoneName(value))
        info.timeZone = std::string(value);
      else
        bad("bad time zone name");
    } else if (key == "coast") {
      if (value == "yes" || value == "no")
        info.coast = value == "yes";
      else
        bad("coast is neither yes nor no");
    } else if (key.size() == 10 && key.substr(0, 9) == "district." && key[9] >= '1' &&
               key[9] <= '5') {
      info.districtNames[static_cast<size_t>(key[9] - '1')] = descriptionText(value);
    } else if (key == "title.captions") {
      if (value == "none" || value == "built-in")
        info.builtInCaptions = value == "built-in";
      else
        bad("title.captions is neither none nor built-in");
    } else if (key == "title.regional-outline") {
      if (value == "yes" || value == "no")
        info.regionalOutline = value == "yes";
      else
        bad("title.regional-outline is neither yes nor no");
    } else if (key == "name") {
      info.name = descriptionText(value);
    } else if (key == "title.credit.1" || key == "title.credit.2") {
      credit[key.back() == '1' ? 0 : 1] = descriptionText(value);
      creditGiven = true;
    } else {
      bad("unknown key");
    }
  }
  // A grid is used only when it is named and complete: half a georeference
  // would show positions that look right and are not.
  if (gridKnown && meridian && north && east) {
    info.grid = GridProjection{*meridian, *north, *east};
  } else if (gridKnown || meridian || north || east) {
    if (problems) problems->push_back({kCityInfoFile, 0, "incomplete grid, built-in grid used"});
  }
  if (creditGiven) info.credit = credit;
  return info;
}

std::string cityName(const CityInfo& info) {
  return info.name.empty() ? std::string("Тихоморск") : info.name;
}

std::string cityTitle(const CityInfo& info) {
  return cityName(info) + ". Адресный план города";
}

std::string writeCityInfo(const CityInfo& info) {
  std::string out = "# Tikhomap city description: what the eleven map files cannot say.\n";
  if (info.grid) {
    out += "grid = " + std::string(kGridName) + "\n";
    out += "grid.central-meridian = " + formatNumber(info.grid->centralMeridian) + "\n";
    out += "grid.north-origin = " + formatNumber(info.grid->northOrigin) + "\n";
    out += "grid.east-origin = " + formatNumber(info.grid->eastOrigin) + "\n";
  }
  if (!info.name.empty()) out += "name = " + oneLine(info.name) + "\n";
  if (validZoneName(info.timeZone)) out += "time-zone = " + info.timeZone + "\n";
  out += std::string("coast = ") + (info.coast ? "yes" : "no") + "\n";
  for (size_t i = 0; i < info.districtNames.size(); ++i) {
    if (!info.districtNames[i].empty())
      out += "district." + std::to_string(i + 1) + " = " + oneLine(info.districtNames[i]) + "\n";
  }
  out += std::string("title.captions = ") + (info.builtInCaptions ? "built-in" : "none") + "\n";
  if (info.regionalOutline) out += "title.regional-outline = yes\n";
  if (info.credit) {
    out += "title.credit.1 = " + oneLine((*info.credit)[0]) + "\n";
    out += "title.credit.2 = " + oneLine((*info.credit)[1]) + "\n";
  }
  return out;
}

}  // namespace tikhomap
