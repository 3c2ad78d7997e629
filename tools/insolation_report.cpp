#include "tools/insolation_report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <thread>

#include "tools/building_info.h"
#include "tools/sun_place.h"

namespace tikhomap {
namespace {

std::string hoursText(int seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", seconds / 3600.0);
  std::string s = text;
  std::replace(s.begin(), s.end(), '.', ',');
  return s;
}

}  // namespace

CityScreening screenCity(const MapData& map, int year, const NormSettings& settings, int threads,
                         const std::function<void(int, int)>& progress,
                         const std::atomic<bool>* cancel) {
  CityScreening out;
  out.year = year;
  for (std::size_t i = 0; i < map.buildings.size(); ++i) {
    if (isDwelling(map.buildings[i].purpose)) {
      out.buildings.push_back({static_cast<int32_t>(i), {}});
    }
  }
  if (threads <= 0) threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  threads = std::clamp(threads, 1, 64);
  // The zone is read once: the place of each building differs only in its
  // latitude, longitude and grid convergence.
  const float cx = (map.cityExtent.xMin + map.cityExtent.xMax) / 2;
  const float cy = (map.cityExtent.yMin + map.cityExtent.yMax) / 2;
  const TimeZone zone = sunPlaceAt(map, cx, cy).zone;
  std::atomic<std::size_t> next{0};
  std::atomic<int> done{0};
  const int total = static_cast<int>(out.buildings.size());
  const auto work = [&] {
    const BuildingBlocks blocks(map);
    for (;;) {
      if (cancel && cancel->load()) return;
      const std::size_t i = next.fetch_add(1);
      if (i >= out.buildings.size()) return;
      ScreenedBuilding& s = out.buildings[i];
      const Building& b = map.buildings[static_cast<std::size_t>(s.row)];
      s.check = checkInsolationNorm(blocks, s.row, year, sunPlaceAt(map, b.x, b.y, zone), settings);
      const int n = done.fetch_add(1) + 1;
      if (progress) progress(n, total);
    }
  };
  std::vector<std::thread> pool;
  for (int t = 1; t < threads; ++t) pool.emplace_back(work);
  work();
  for (std::thread& t : pool) t.join();
  out.cancelled = cancel && cancel->load();
  for (const ScreenedBuilding& s : out.buildings) out.skipped += s.check.skip != NormSkip::None;
  return out;
}

std::string failingText(const DateCheck& date) {
  std::string out;
  std::size_t i = 0;
  while (i < date.rows.size()) {
    const int32_t edge = date.rows[i].edge;
    std::string storeys;
    for (; i < date.rows.size() && date.rows[i].edge == edge;) {
      if (date.rows[i].best.verdict != NormVerdict::Fails) {
        ++i;
        continue;
      }
      const int first = date.rows[i].storey;
      int last = first;
      ++i;
      while (i < date.rows.size() && date.rows[i].edge == edge &&
             date.rows[i].best.verdict == NormVerdict::Fails) {
        last = date.rows[i].storey;
        ++i;
      }
      if (!storeys.empty()) storeys += ", ";
      storeys += std::to_string(first);
      if (last != first) storeys += "–" + std::to_string(last);
    }
    if (storeys.empty()) continue;
    const FacadeStorey* row = nullptr;
    for (const FacadeStorey& r : date.rows) {
      if (r.edge == edge) row = &r;
    }
    if (!out.empty()) out += "; ";
    // A facing can recur on one outline: the wall's length tells them apart.
    out += formatFacing(row->facing) + " " + std::to_string(std::lround(row->length)) + " м: эт. " +
           storeys;
  }
  return out;
}

std::string csvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::string insolationCsv(const MapData& map, const CityScreening& screening,
                          const NormSettings& settings) {
  static const char* const kColumns[] = {
      "Адрес",
      "Этажей",
      "Фасадо-этажей",
      "Соответствуют норме",
      "из них при прерывистой инсоляции",
      "Не соответствуют",
      "Не соответствуют (фасад: этажи)",
      "Худший фасад",
      "Его этаж",
      "Непрерывно, ч",
      "Всего, ч",
      "Худшая дата",
      "Не проверено, причина",
  };
  constexpr std::size_t kCount = std::size(kColumns);
  std::string out;
  const auto line = [&out](const std::vector<std::string>& fields) {
    for (std::size_t i = 0; i < kCount; ++i) {
      if (i > 0) out += ',';
      if (i < fields.size()) out += csvField(fields[i]);
    }
    out += "\r\n";
  };
  line(std::vector<std::string>(std::begin(kColumns), std::end(kColumns)));
  int zone = -1;
  CivilDate dates[2];
  for (const ScreenedBuilding& s : screening.buildings) {
    const Building& b = map.buildings[static_cast<std::size_t>(s.row)];
    std::string address = buildingInfoTexts(map, b).address;
    if (address.empty()) address = "без адреса (здание " + std::to_string(s.row) + ")";
    const BuildingNormCheck& c = s.check;
    if (c.skip != NormSkip::None) {
      line({address, std::to_string(b.floors), "", "", "", "", "", "", "", "", "", "",
            std::string(skipText(c.skip))});
      continue;
    }
    zone = c.zone;
    dates[0] = c.dates[0].date;
    dates[1] = c.dates[1].date;
    const DateCheck& w = c.dates[c.worse];
    const int rows = static_cast<int>(w.rows.size());
    std::vector<std::string> f = {address,
                                  std::to_string(b.floors),
                                  std::to_string(rows),
                                  std::to_string(w.meeting),
                                  std::to_string(w.interrupted),
                                  std::to_string(rows - w.meeting),
                                  failingText(w)};
    if (c.worstRow >= 0) {
      const FacadeStorey& r = w.rows[static_cast<std::size_t>(c.worstRow)];
      f.push_back(formatFacing(r.facing));
      f.push_back(std::to_string(r.storey));
      f.push_back(hoursText(r.best.longestSeconds));
      f.push_back(hoursText(r.best.totalSeconds));
    } else {
      f.insert(f.end(), 4, "");
    }
    f.push_back(formatDate(w.date));
    f.push_back("");
    line(f);
  }
  line({});
  char counts[160];
  std::snprintf(counts, sizeof counts, "Жилых зданий: %zu, проверено: %zu, не проверено: %d.",
                screening.buildings.size(), screening.buildings.size() - screening.skipped,
                screening.skipped);
  line({counts});
  for (const std::string& s : screeningStatements(settings, zone, zone < 0 ? nullptr : dates)) {
    line({s});
  }
  line(
      {"Худшая дата — та из двух границ периода, в которую норме соответствует меньше "
       "фасадо-этажей. Худший фасад — фасадо-этаж худшей даты с самой короткой непрерывной "
       "инсоляцией."});
  return out;
}

}  // namespace tikhomap
