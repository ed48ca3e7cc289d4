// The truth of a simulated test as the page reads it from the truth.txt
// that coastdown-sim writes beside the run files, to set beside the results.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace html {

// The values of a simulator's truth.txt, as "Name: value" or "Name = value"
// lines; comment lines (#) are skipped. Units as the file has them: lbf,
// lbf/mph and lbf/mph² at standard conditions for the road-load terms.
class Truth {
 public:
  explicit Truth(std::string_view text);
  // The file gave Amech, Bmech and Ctotl, which the road load needs.
  bool HasRoadLoad() const;
  // The value named, NaN when the file has none.
  double Value(std::string_view name) const;
  // Amech + Bmech·v + Ctotl·v², lbf at v mph.
  double ForceLbf(double speedMph) const;

 private:
  std::vector<std::pair<std::string, double>> values_;
};

}  // namespace html
