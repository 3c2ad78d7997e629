#include "session/render_options.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "render/style_set.h"
#include "tools/solar_position.h"

namespace tikhomap {

namespace {

bool parseInt(const std::string& text, int& out) {
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, out);
  return ec == std::errc() && ptr == end;
}

bool parseFloat(const std::string& text, float& out) {
  if (text.empty()) return false;
  try {
    size_t used = 0;
    out = std::stof(text, &used);
    return used == text.size() && std::isfinite(out);
  } catch (...) {
    return false;
  }
}

std::vector<std::string> split(const std::string& text, char sep) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(text);
  while (std::getline(in, part, sep)) parts.push_back(part);
  if (!text.empty() && text.back() == sep) parts.emplace_back();
  return parts;
}

}  // namespace

std::string renderUsage() {
  return "Usage: tikhomap-render --data DIR [--title | --view XMIN,YMIN,XMAX,YMAX]\n"
         "                       [--size WIDTHxHEIGHT] [--width-mm MM] [--mode VIEWMODEID]\n"
         "                       [--time HH:MM] [--real-sun YYYY-MM-DD] [--repeat N]\n"
         "                       [--threads N] [-o OUT.png]\n"
         "                       [--pdf OUT.pdf [--print-bw] [--paper A4|A3] [--landscape]\n"
         "                        [--dpi N]]\n"
         "       tikhomap-render --data DIR --insolation-report OUT.csv [--year YYYY]\n"
         "                       [--threads N]\n"
         "\n"
         "Loads the map folder DIR and writes one frame, composed as the program's\n"
         "window shows it (map, scale caption and frame edge), to OUT.png; with --pdf\n"
         "it also prints that view on one page into OUT.pdf, as the print command does.\n"
         "\n"
         "  --data DIR        folder holding 1.tkm ... 8.tkm, tema.tkm, user.tkm, sign.tkm,\n"
         "                    or a map container (.gpkg), or a folder holding one\n"
         "  --title           the title sheet (the default)\n"
         "  --view X0,Y0,X1,Y1  the map rectangle asked for, in metres: northing min,\n"
         "                    easting min, northing max, easting max; it is pushed into\n"
         "                    the view history and fitted to the picture\n"
         "  --size WxH        picture size in pixels (default 1920x1080)\n"
         "  --width-mm MM     physical width of the picture (default: 96 dots per inch)\n"
         "  --mode ID         view mode by its menu id (default 32786):\n"
         "                    32812 graphic, 32775 flat, 32781 night, 32786 windows by\n"
         "                    the clock, 32823 New Year's night, 32824 power cut,\n"
         "                    32825 wide windows, 32826 frame\n"
         "  --time HH:MM      clock for shadows and lit windows (default: local time)\n"
         "  --real-sun DATE   shadows by the real sun of DATE at that time\n"
         "  --repeat N        compose N times and print as the last line\n"
         "                    compose_ms median=M min=A max=B\n"
         "  --threads N       threads that draw the frame, each a band of its rows\n"
         "                    (default: one per core of the machine)\n"
         "  -o, --output FILE the PNG file to write (optional with --pdf)\n"
         "  --pdf FILE        the printed page of the view, in colour\n"
         "  --print-bw        print in black and white\n"
         "  --paper A4|A3     paper size (default A4)\n"
         "  --landscape       landscape paper (default portrait)\n"
         "  --dpi N           printer resolution, 72 to 1200 (default 600)\n"
         "  --insolation-report FILE  the insolation screening of every dwelling\n"
         "                    against the sanitary norm, as CSV (UTF-8); the checked\n"
         "                    dates are the norm's period boundaries of --year\n"
         "  --year YYYY       the year checked (default: the current year)\n"
         "  -h, --help        this text\n";
}

std::optional<RenderOptions> parseRenderOptions(const std::vector<std::string>& args,
                                                std::string& error) {
  RenderOptions o;
  bool viewGiven = false;
  bool titleGiven = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= args.size()) {
        error = a + " needs a value";
        return false;
      }
      out = args[++i];
      return true;
    };
    std::string v;
    if (a == "-h" || a == "--help") {
      o.help = true;
      return o;
    } else if (a == "--data") {
      if (!value(o.dataDir)) return std::nullopt;
    } else if (a == "--title") {
      titleGiven = true;
    } else if (a == "--view") {
      if (!value(v)) return std::nullopt;
      const auto parts = split(v, ',');
      float f[4];
      if (parts.size() != 4 || !parseFloat(parts[0], f[0]) || !parseFloat(parts[1], f[1]) ||
          !parseFloat(parts[2], f[2]) || !parseFloat(parts[3], f[3])) {
        error = "--view takes four numbers XMIN,YMIN,XMAX,YMAX";
        return std::nullopt;
      }
      if (f[2] <= f[0] || f[3] <= f[1]) {
        error = "--view: XMAX and YMAX must be larger than XMIN and YMIN";
        return std::nullopt;
      }
      o.view = MapBounds{f[0], f[1], f[2], f[3]};
      viewGiven = true;
    } else if (a == "--size") {
      if (!value(v)) return std::nullopt;
      const auto x = v.find('x');
      if (x == std::string::npos || !parseInt(v.substr(0, x), o.width) ||
          !parseInt(v.substr(x + 1), o.height) || o.width < 16 || o.height < 16 ||
          o.width > 16384 || o.height > 16384) {
        error = "--size takes WIDTHxHEIGHT, each 16 to 16384 pixels";
        return std::nullopt;
      }
    } else if (a == "--width-mm") {
      if (!value(v)) return std::nullopt;
      float mm = 0;
      if (!parseFloat(v, mm) || mm <= 0) {
        error = "--width-mm takes a positive number";
        return std::nullopt;
      }
      o.widthMm = mm;
    } else if (a == "--mode") {
      if (!value(v)) return std::nullopt;
      if (!parseInt(v, o.viewMode) || paletteForViewMode(o.viewMode) < 0) {
        error = "--mode takes a view mode id: 32812, 32775, 32781, 32786, 32823-32826";
        return std::nullopt;
      }
    } else if (a == "--time") {
      if (!value(v)) return std::nullopt;
      const auto colon = v.find(':');
      int h = 0;
      int m = 0;
      if (colon == std::string::npos || !parseInt(v.substr(0, colon), h) ||
          !parseInt(v.substr(colon + 1), m) || h < 0 || h > 23 || m < 0 || m > 59) {
        error = "--time takes HH:MM";
        return std::nullopt;
      }
      o.hour = h;
      o.minute = m;
    } else if (a == "--real-sun") {
      if (!value(v)) return std::nullopt;
      std::array<int, 3> d{};
      if (v.size() != 10 || v[4] != '-' || v[7] != '-' || !parseInt(v.substr(0, 4), d[0]) ||
          !parseInt(v.substr(5, 2), d[1]) || !parseInt(v.substr(8, 2), d[2]) ||
          !validDate({d[0], d[1], d[2]})) {
        error = "--real-sun takes a date YYYY-MM-DD";
        return std::nullopt;
      }
      o.realSunDate = d;
    } else if (a == "--repeat") {
      if (!value(v)) return std::nullopt;
      if (!parseInt(v, o.repeat) || o.repeat < 1) {
        error = "--repeat takes a count of 1 or more";
        return std::nullopt;
      }
    } else if (a == "--threads") {
      if (!value(v)) return std::nullopt;
      if (!parseInt(v, o.threads) || o.threads < 1 || o.threads > kMaxFrameThreads) {
        error = "--threads takes a count from 1 to " + std::to_string(kMaxFrameThreads);
        return std::nullopt;
      }
    } else if (a == "-o" || a == "--output") {
      if (!value(o.output)) return std::nullopt;
    } else if (a == "--pdf") {
      if (!value(o.pdf)) return std::nullopt;
    } else if (a == "--insolation-report") {
      if (!value(o.insolationReport)) return std::nullopt;
    } else if (a == "--year") {
      if (!value(v)) return std::nullopt;
      int year = 0;
      if (!parseInt(v, year) || year < kFirstSunYear || year > kLastSunYear) {
        error = "--year takes a year from " + std::to_string(kFirstSunYear) + " to " +
                std::to_string(kLastSunYear);
        return std::nullopt;
      }
      o.insolationYear = year;
    } else if (a == "--print-bw") {
      o.printBlackWhite = true;
    } else if (a == "--landscape") {
      o.landscape = true;
    } else if (a == "--paper") {
      if (!value(v)) return std::nullopt;
      if (v != "A4" && v != "A3") {
        error = "--paper takes A4 or A3";
        return std::nullopt;
      }
      o.paperA3 = v == "A3";
    } else if (a == "--dpi") {
      if (!value(v)) return std::nullopt;
      if (!parseInt(v, o.dpi) || o.dpi < 72 || o.dpi > 1200) {
        error = "--dpi takes a resolution of 72 to 1200";
        return std::nullopt;
      }
    } else {
      error = "unknown argument: " + a;
      return std::nullopt;
    }
  }
  if (titleGiven && viewGiven) {
    error = "--title and --view exclude each other";
    return std::nullopt;
  }
  o.titleSheet = !viewGiven;
  if (o.dataDir.empty()) {
    error = "--data DIR is required";
    return std::nullopt;
  }
  if (o.output.empty() && o.pdf.empty() && o.insolationReport.empty()) {
    error = "-o OUT.png, --pdf OUT.pdf or --insolation-report OUT.csv is required";
    return std::nullopt;
  }
  return o;
}

}  // namespace tikhomap
