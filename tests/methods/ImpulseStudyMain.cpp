// coastdown_impulse_study: the measurements behind the impulse method's
// choices, made again. For each scenario and seeds 1 to N it prints, per
// quantity, the mean error and its seed-to-seed scatter (% of the truth),
// the interval's mean standard error, their ratio and the share of 95 %
// intervals that held the truth.
//
//   coastdown_impulse_study [--days N] [--shape box|welch|hann|hann-squared]
//                           [--window S] [--overlap F] [--independent] [--unweighted]
//                           [--plain-autocovariance]
//                           [--prior-k K] [--prior-sd SD] [--quartic-from DEG] [--show SEED]
//                           [--sim "OPTIONS"] [--grid | --configs SHAPE:S:F,...]
//                           [SCENARIO ...|all]
//
// --grid fits every window shape, length (2 to 40 s) and overlap (0, 0.5,
// 0.75) to the same simulated days.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "tests/methods/ImpulseStudy.h"

namespace {

constexpr WindowShape kShapes[] = {WindowShape::Box, WindowShape::Welch, WindowShape::Hann, WindowShape::HannSquared};

WindowShape ShapeNamed(const std::string& name) {
  for (const WindowShape s : kShapes) {
    if (WindowShapeName(s) == name) return s;
  }
  std::fprintf(stderr, "coastdown_impulse_study: unknown shape %s\n", name.c_str());
  std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace impulsetest;
  int days = 50;
  ImpulseOptions options;
  std::string extra;
  std::vector<Scenario> scenarios;
  bool grid = false;
  int show = 0;
  std::vector<ImpulseOptions> configs;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const auto value = [&]() -> std::string {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "coastdown_impulse_study: %s needs a value\n", a.c_str());
        std::exit(2);
      }
      return argv[++i];
    };
    if (a == "--days") {
      days = std::atoi(value().c_str());
    } else if (a == "--shape") {
      options.shape = ShapeNamed(value());
    } else if (a == "--window") {
      options.windowS = std::atof(value().c_str());
    } else if (a == "--overlap") {
      options.overlap = std::atof(value().c_str());
    } else if (a == "--independent") {
      options.independentWindows = true;
    } else if (a == "--sim") {
      extra = value();
    } else if (a == "--prior-k") {
      options.prior.k = std::atof(value().c_str());
    } else if (a == "--prior-sd") {
      options.prior.kSd = std::atof(value().c_str());
    } else if (a == "--quartic-from") {
      options.prior.quarticFromDeg = std::atof(value().c_str());
    } else if (a == "--plain-autocovariance") {
      options.unbiasedAutocovariance = false;
    } else if (a == "--unweighted") {
      options.weightRows = false;
    } else if (a == "--show") {
      show = std::atoi(value().c_str());
    } else if (a == "--grid") {
      grid = true;
    } else if (a == "--configs") {
      // SHAPE:LENGTH:OVERLAP,…
      std::string list = value() + ",";
      for (std::size_t at; (at = list.find(',')) != std::string::npos; list.erase(0, at + 1)) {
        const std::string item = list.substr(0, at);
        const std::size_t c1 = item.find(':');
        const std::size_t c2 = item.find(':', c1 + 1);
        if (c1 == std::string::npos || c2 == std::string::npos) continue;
        ImpulseOptions o = options;
        o.shape = ShapeNamed(item.substr(0, c1));
        o.windowS = std::atof(item.substr(c1 + 1, c2 - c1 - 1).c_str());
        o.overlap = std::atof(item.substr(c2 + 1).c_str());
        configs.push_back(o);
      }
    } else if (a == "all") {
      scenarios = StudyScenarios();
    } else {
      const Scenario s = FindScenario(a);
      if (s.name.empty()) {
        std::fprintf(stderr, "coastdown_impulse_study: unknown scenario %s\n", a.c_str());
        return 2;
      }
      scenarios.push_back(s);
    }
  }
  if (scenarios.empty()) scenarios = StudyScenarios();
  if (grid) {
    // Every shape, length and overlap, fitted to the same days.
    for (const WindowShape shape : kShapes) {
      for (const double length : {2.0, 5.0, 10.0, 20.0, 40.0}) {
        for (const double overlap : {0.0, 0.5, 0.75}) {
          ImpulseOptions o = options;
          o.shape = shape;
          o.windowS = length;
          o.overlap = overlap;
          configs.push_back(o);
        }
      }
    }
  }
  std::printf("window %s %.3g s, overlap %.2f%s, %d days each%s%s\n", WindowShapeName(options.shape).c_str(),
              options.windowS, options.overlap, options.independentWindows ? ", windows taken as independent" : "",
              days, extra.empty() ? "" : ", sim ", extra.c_str());
  std::printf("%-22s %-4s %9s %9s %9s %6s %7s\n", "scenario", "qty", "bias %", "scatter %", "sigma %", "ratio",
              "cover");
  const auto print = [&](const std::string& label, const StudyResult& r) {
    for (const Tally& t : r.tallies) {
      if (t.count < 2) {
        std::printf("%-22s %-4s %9s\n", label.c_str(), t.name.c_str(), "-");
        continue;
      }
      std::printf("%-22s %-4s %9.3f %9.3f %9.3f %6.2f %6.0f%%\n", label.c_str(), t.name.c_str(),
                  100.0 * t.MeanError(), 100.0 * t.Scatter(), 100.0 * t.MeanSigma(), t.Scatter() / t.MeanSigma(),
                  100.0 * t.Coverage());
    }
    std::printf("%-22s solved %d/%d, m2/a0 inseparable %d, a2 prior share %.2f, lag-1 correlation %.2f, tapered %d\n",
                label.c_str(), r.solved, r.days, r.inseparable,
                r.priorShares > 0 ? r.sumPriorShare / r.priorShares : 0.0,
                r.solved > 0 ? r.sumLagCorrelation / r.solved : 0.0, r.tapered);
  };
  for (const Scenario& s : scenarios) {
    if (show > 0) {
      // One day in full: every coefficient beside the truth, and the notes.
      const SimulatedDay day = Simulate(s.options + " " + extra, static_cast<std::uint64_t>(show), s.day);
      const ImpulseResult r = FitImpulse(day.runs, day.conditions, options);
      std::printf("%s seed %d: %s, %zu windows of %zu records, lag %zu, yaw P95 %.1f deg, spread %.4g + %.4g*Vr^2, "
                  "reading noise %.3g mph %.3g deg\n",
                  s.name.c_str(), show, r.solved ? "solved" : r.whyNot.c_str(), r.windowsUsed, r.layout.samples + 1,
                  r.layout.CorrelationLag(), r.yawP95Deg, r.spreadConstant, r.spreadPerSquareSpeed,
                  r.windNoiseSd / kMph, r.yawNoiseSd);
      const std::map<std::string, double> truth = {{"m0", day.m0}, {"m1", day.m1}, {"m2", day.m2},
                                                   {"a0", day.a0}, {"a2", day.a2}, {"a4", 0.0},
                                                   {"f0", day.m0}, {"f1", day.m1}, {"f2", day.m2 + day.a0}};
      for (const ImpulseCoefficient& c : r.coefficients) {
        const auto t = truth.find(c.name);
        std::printf("  %-3s %14.6g  se %12.4g  truth %14.6g%s\n", c.name.c_str(), c.value, c.standardError,
                    t == truth.end() ? NAN : t->second,
                    c.priorShare ? (" prior share " + std::to_string(*c.priorShare)).c_str() : "");
      }
      for (const double mph : {20.0, 40.0, 60.0}) {
        const ImpulseRoadLoad load = r.RoadLoadAt(mph * kMph);
        std::printf("  F(%g mph) %.3f N  se %.3f  truth %.3f\n", mph, load.force, load.standardError,
                    day.RoadLoad(mph * kMph));
      }
      std::printf("  correlation m2/a0 %.4f; residual sd %.4g N*s; autocorrelation", r.correlationM2A0, r.residualSd);
      for (const double g : r.residualAutocovariance.gamma) std::printf(" %.3f", g / r.residualAutocovariance.gamma[0]);
      std::printf("\n");
      for (const std::string& note : r.notes) std::printf("  note: %s\n", note.c_str());
      continue;
    }
    const std::vector<SimulatedDay> simulated = SimulateDays(s, days, extra);
    if (configs.empty()) print(s.name, Study(simulated, options));
    for (const ImpulseOptions& o : configs) {
      char label[64];
      std::snprintf(label, sizeof label, "%s %s %g/%g", s.name.c_str(), WindowShapeName(o.shape).c_str(), o.windowS,
                    o.overlap);
      print(label, Study(simulated, o));
    }
  }
  return 0;
}
