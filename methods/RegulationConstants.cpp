// The table and the default rule of the regulation's constants.
#include "methods/RegulationConstants.h"

#include <array>

namespace regulation {

std::optional<double> CoefficientH(int pairs) {
  // n = 3 … 15. The values are Student's t(0.975, n − 1) to one decimal as
  // the table prints them: 2.306 (n = 9) is 2.3, 2.262 (n = 10) 2.3 and
  // 2.145 (n = 15) 2.2.
  static constexpr std::array<double, 13> kTable = {4.3, 3.2, 2.8, 2.6, 2.5, 2.4, 2.3,
                                                    2.3, 2.2, 2.2, 2.2, 2.2, 2.2};
  if (pairs < 3 || pairs > 15) return std::nullopt;
  return kTable[static_cast<std::size_t>(pairs - 3)];
}

double DefaultRotatingMassKg(double massInRunningOrderKg) {
  return kRotatingMassShare * (massInRunningOrderKg + kRotatingMassAddedKg);
}

}  // namespace regulation
