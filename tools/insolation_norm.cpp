#include "tools/insolation_norm.h"

#include <algorithm>

namespace tikhomap {

int normZoneAt(double latitude, const NormEdition& norm) {
  for (std::size_t i = 0; i < norm.zones.size(); ++i) {
    const NormZone& z = norm.zones[i];
    const bool above = z.southIncluded ? latitude >= z.southBound : latitude > z.southBound;
    const bool below = z.northIncluded ? latitude <= z.northBound : latitude < z.northBound;
    if (above && below) return static_cast<int>(i);
  }
  return -1;
}

int requiredMinutes(int zone, const NormSettings& settings, const NormEdition& norm) {
  const NormZone& z = norm.zones[static_cast<std::size_t>(zone)];
  return z.continuousMinutes - (settings.historicCentre ? z.historicReductionMinutes : 0);
}

std::array<CivilDate, 2> periodDates(int zone, int year, const NormEdition& norm) {
  const NormZone& z = norm.zones[static_cast<std::size_t>(zone)];
  return {CivilDate{year, z.periodFrom.month, z.periodFrom.day},
          CivilDate{year, z.periodTo.month, z.periodTo.day}};
}

bool withinEdition(const CivilDate& date, const NormEdition& norm) {
  const int64_t d = daysFromCivil(date);
  return d >= daysFromCivil(norm.validFrom) && d <= daysFromCivil(norm.validTo);
}

NormVerdict normVerdict(int longestSeconds, int totalSeconds, int requiredMinutesValue,
                        const NormEdition& norm) {
  if (longestSeconds >= requiredMinutesValue * 60) return NormVerdict::Continuous;
  if (longestSeconds >= norm.interruptedLongestMinutes * 60 &&
      totalSeconds >= (requiredMinutesValue + norm.interruptedExtraMinutes) * 60) {
    return NormVerdict::Interrupted;
  }
  return NormVerdict::Fails;
}

std::string_view verdictText(NormVerdict verdict) {
  switch (verdict) {
    case NormVerdict::Continuous:
      return "соответствует";
    case NormVerdict::Interrupted:
      return "соответствует при прерывистой инсоляции";
    case NormVerdict::Fails:
      break;
  }
  return "не соответствует";
}

}  // namespace tikhomap
