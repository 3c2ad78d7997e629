#include "mapdata/grid_projection.h"

#include <cmath>
#include <numbers>

namespace tikhomap {
namespace {

constexpr double kSemiMajor = 6378245.0;  // Krassowsky 1940
constexpr double kFlattening = 1.0 / 298.3;
constexpr double kRadian = std::numbers::pi / 180.0;

struct Series {
  double e = 0;           // first eccentricity
  double rectifying = 0;  // A: radius of the rectifying sphere
  double alpha[6] = {};
  double beta[6] = {};
};

Series makeSeries() {
  Series s;
  const double f = kFlattening;
  const double n = f / (2 - f);
  const double n2 = n * n, n3 = n2 * n, n4 = n3 * n, n5 = n4 * n, n6 = n5 * n;
  s.e = std::sqrt(f * (2 - f));
  s.rectifying = kSemiMajor / (1 + n) * (1 + n2 / 4 + n4 / 64 + n6 / 256);
  s.alpha[0] =
      n / 2 - 2 * n2 / 3 + 5 * n3 / 16 + 41 * n4 / 180 - 127 * n5 / 288 + 7891 * n6 / 37800;
  s.alpha[1] =
      13 * n2 / 48 - 3 * n3 / 5 + 557 * n4 / 1440 + 281 * n5 / 630 - 1983433 * n6 / 1935360;
  s.alpha[2] = 61 * n3 / 240 - 103 * n4 / 140 + 15061 * n5 / 26880 + 167603 * n6 / 181440;
  s.alpha[3] = 49561 * n4 / 161280 - 179 * n5 / 168 + 6601661 * n6 / 7257600;
  s.alpha[4] = 34729 * n5 / 80640 - 3418889 * n6 / 1995840;
  s.alpha[5] = 212378941 * n6 / 319334400;
  s.beta[0] = n / 2 - 2 * n2 / 3 + 37 * n3 / 96 - n4 / 360 - 81 * n5 / 512 + 96199 * n6 / 604800;
  s.beta[1] = n2 / 48 + n3 / 15 - 437 * n4 / 1440 + 46 * n5 / 105 - 1118711 * n6 / 3870720;
  s.beta[2] = 17 * n3 / 480 - 37 * n4 / 840 - 209 * n5 / 4480 + 5569 * n6 / 90720;
  s.beta[3] = 4397 * n4 / 161280 - 11 * n5 / 504 - 830251 * n6 / 7257600;
  s.beta[4] = 4583 * n5 / 161280 - 108847 * n6 / 3991680;
  s.beta[5] = 20648693 * n6 / 638668800;
  return s;
}

const Series& series() {
  static const Series s = makeSeries();
  return s;
}

// Longitude difference in radians, folded into -180°..180°.
double relativeLongitude(double longitude, double centralMeridian) {
  double d = std::fmod(longitude - centralMeridian, 360.0);
  if (d > 180) d -= 360;
  if (d < -180) d += 360;
  return d * kRadian;
}

}  // namespace

GridPoint geoToGrid(const GridProjection& grid, double latitude, double longitude) {
  const Series& s = series();
  const double phi = latitude * kRadian;
  const double lambda = relativeLongitude(longitude, grid.centralMeridian);
  const double sinPhi = std::sin(phi);
  // Conformal latitude as its tangent.
  const double t = std::sinh(std::atanh(sinPhi) - s.e * std::atanh(s.e * sinPhi));
  const double xi = std::atan2(t, std::cos(lambda));
  const double eta = std::atanh(std::sin(lambda) / std::sqrt(1 + t * t));
  double northing = xi, easting = eta;
  for (int j = 1; j <= 6; ++j) {
    const double a = s.alpha[j - 1];
    northing += a * std::sin(2 * j * xi) * std::cosh(2 * j * eta);
    easting += a * std::cos(2 * j * xi) * std::sinh(2 * j * eta);
  }
  return {s.rectifying * northing - grid.northOrigin, s.rectifying * easting - grid.eastOrigin};
}

GeoPoint gridToGeo(const GridProjection& grid, double x, double y) {
  const Series& s = series();
  const double xi = (x + grid.northOrigin) / s.rectifying;
  const double eta = (y + grid.eastOrigin) / s.rectifying;
  double xiP = xi, etaP = eta;
  for (int j = 1; j <= 6; ++j) {
    const double b = s.beta[j - 1];
    xiP -= b * std::sin(2 * j * xi) * std::cosh(2 * j * eta);
    etaP -= b * std::cos(2 * j * xi) * std::sinh(2 * j * eta);
  }
  const double chi = std::asin(std::sin(xiP) / std::cosh(etaP));
  // Geodetic latitude from the conformal one by fixed-point iteration; the
  // eccentricity is small, so a few rounds reach double precision.
  double phi = chi;
  for (int k = 0; k < 8; ++k) {
    const double es = s.e * std::sin(phi);
    phi = 2 * std::atan(std::tan(std::numbers::pi / 4 + chi / 2) *
                        std::pow((1 + es) / (1 - es), s.e / 2)) -
          std::numbers::pi / 2;
  }
  double longitude = grid.centralMeridian + std::atan2(std::sinh(etaP), std::cos(xiP)) / kRadian;
  if (longitude > 180) longitude -= 360;
  if (longitude < -180) longitude += 360;
  return {phi / kRadian, longitude};
}

}  // namespace tikhomap
