// Reading and checking the options of the analysis methods.
#include "app/MethodOptionsReader.h"

#include <array>
#include <cmath>

#include "common/RuntimeError.h"
#include "common/TextConversion.h"
#include "methods/IntervalConstants.h"
#include "methods/TrackWind.h"

namespace {

// Each option, the value it takes ("" for a switch) and the methods that use it.
struct OptionUse {
  const char* name;
  const char* value;
  bool legacy, impulse, intervals;
};

constexpr std::array<OptionUse, 9> kOptions = {{
    {"--method", "NAME", true, true, true},
    {"--rate", "HZ", true, true, true},  // legacy only at 5
    {"--si", "", true, true, true},
    {"--track-wind", "VALUE", false, true, true},
    {"--yaw-curve", "FILE", false, true, false},
    {"--rotating-mass", "VALUE", false, true, true},
    {"--no-anemometer", "", false, true, false},
    {"--constant", "NAME=VALUE", false, false, true},
    {"--reject-run", "RUN[:REASON]", false, false, true},
}};

const OptionUse* FindOption(const std::string& name) {
  for (const OptionUse& option : kOptions)
    if (name == option.name) return &option;
  return nullptr;
}

bool Uses(const OptionUse& option, AnalysisMethodKind method) {
  switch (method) {
    case AnalysisMethodKind::Legacy: return option.legacy;
    case AnalysisMethodKind::Impulse: return option.impulse;
    case AnalysisMethodKind::Intervals: return option.intervals;
  }
  return false;
}

// "--method impulse or --method intervals": the methods that use the option.
std::string MethodsUsing(const OptionUse& option) {
  std::string methods;
  for (const AnalysisMethodKind method :
       {AnalysisMethodKind::Legacy, AnalysisMethodKind::Impulse, AnalysisMethodKind::Intervals}) {
    if (!Uses(option, method)) continue;
    methods += (methods.empty() ? "--method " : " or --method ") + std::string(MethodName(method));
  }
  return methods;
}

[[noreturn]] void Refuse(const std::string& detail) { Raise(ErrorNumber::InvalidProcedureCall, detail); }

// The value of a number text, or nullopt.
std::optional<double> Number(const std::string& text) {
  double value = 0.0;
  if (text.empty() || TryParseNumber(text, value) != NumberParse::Ok || !std::isfinite(value)) return std::nullopt;
  return value;
}

AnalysisMethodKind ReadMethod(const std::string& name) {
  if (name == "legacy") return AnalysisMethodKind::Legacy;
  if (name == "intervals") return AnalysisMethodKind::Intervals;
  if (name == "impulse") return AnalysisMethodKind::Impulse;
  Refuse("--method " + name + ": unknown method (legacy, the default, impulse or intervals)");
}

double ReadRate(const std::string& text, AnalysisMethodKind method) {
  const std::optional<double> rate = Number(text);
  if (!rate || !(*rate > 0.0) || *rate > 1000.0) {
    Refuse("--rate " + text + ": HZ must be a number of records a second above 0 and at most 1000");
  }
  if (method == AnalysisMethodKind::Legacy && *rate != 5.0) {
    Refuse("--rate " + text + ": the legacy method reads run files of 5 records a second; another rate is for "
           "--method impulse or --method intervals");
  }
  return *rate;
}

TrackWindOption ReadTrackWind(const std::string& text) {
  TrackWindOption wind;
  const std::size_t comma = text.find(',');
  // SPEED,FROM when it starts with a number and a comma; a file otherwise.
  if (comma != std::string::npos && Number(text.substr(0, comma))) {
    const std::optional<double> speed = Number(text.substr(0, comma));
    const std::optional<double> from = Number(text.substr(comma + 1));
    if (!from || !(*speed >= 0.0) || *speed > 200.0) {
      Refuse("--track-wind " + text +
             ": SPEED,FROM needs the mean wind speed (0 to 200, in the run files' speed unit) and the direction it "
             "blows from in degrees, or give a CSV file of RUN,SPEED,FROM lines");
    }
    wind.wholeTest = true;
    wind.speed = *speed;
    wind.fromDeg = *from;
    return wind;
  }
  if (text.empty()) Refuse("--track-wind needs SPEED,FROM or a CSV file");
  wind.file = text;
  return wind;
}

RotatingMassOption ReadRotatingMass(const std::string& text) {
  RotatingMassOption mass;
  mass.text = text;
  const bool percent = text.size() > 1 && text.back() == '%';
  const bool kg = text.size() > 2 && text.compare(text.size() - 2, 2, "kg") == 0;
  const std::optional<double> value =
      percent ? Number(text.substr(0, text.size() - 1)) : kg ? Number(text.substr(0, text.size() - 2)) : std::nullopt;
  if (!value || !(*value >= 0.0) || (percent && *value > 100.0) || (kg && *value > 100000.0)) {
    Refuse("--rotating-mass " + text + ": give NUMBERkg (0 to 100000) or NUMBER% of the test mass (0 to 100)");
  }
  mass.value = *value;
  mass.percentOfTestMass = percent;
  return mass;
}

std::pair<std::string, double> ReadConstant(const std::string& text) {
  const std::size_t equals = text.find('=');
  const std::string name = text.substr(0, equals);
  const IntervalConstant* constant = FindIntervalConstant(name);
  if (equals == std::string::npos || constant == nullptr) {
    Refuse("--constant " + text + ": NAME=VALUE with NAME one of the interval method's constants (" +
           IntervalConstantNames() + ")");
  }
  const std::optional<double> value = Number(text.substr(equals + 1));
  std::string why;
  if (!value || !IntervalConstantAllows(*constant, *value, why)) {
    Refuse("--constant " + text + ": " + name + " takes " + (why.empty() ? "a number" : why));
  }
  return {name, *value};
}

RejectedRunOption ReadRejectedRun(const std::string& text) {
  const std::size_t colon = text.find(':');
  const std::optional<double> run = Number(text.substr(0, colon));
  if (!run || *run < 1.0 || *run > 32767.0 || *run != std::floor(*run)) {
    Refuse("--reject-run " + text + ": RUN is the number n of DATA.n (1 to 32767), optionally followed by :REASON");
  }
  RejectedRunOption rejected;
  rejected.run = static_cast<int>(*run);
  rejected.reason = colon == std::string::npos ? std::string("rejected by the tester") : text.substr(colon + 1);
  return rejected;
}

}  // namespace

bool TakeMethodOption(const std::string& word, const std::vector<std::string>& all, std::size_t& next,
                      MethodOptionWords& words) {
  const OptionUse* option = FindOption(word);
  if (option == nullptr) return false;
  if (*option->value == '\0') {
    words.emplace_back(word, std::string());
    return true;
  }
  if (next == all.size() || all[next].empty()) Refuse("the option " + word + " needs " + option->value);
  words.emplace_back(word, all[next++]);
  return true;
}

MethodOptions ReadMethodOptions(const MethodOptionWords& words) {
  MethodOptions options;
  // The method first: what the others may be depends on it.
  for (const auto& [name, value] : words)
    if (name == "--method") options.method = ReadMethod(value);
  for (const auto& [name, value] : words) {
    const OptionUse& option = *FindOption(name);
    if (!Uses(option, options.method)) {
      Refuse(name + " is not used by --method " + MethodName(options.method) + "; it is for " +
             MethodsUsing(option));
    }
    if (name == "--rate") {
      options.rateHz = ReadRate(value, options.method);
    } else if (name == "--si") {
      options.si = true;
    } else if (name == "--track-wind") {
      options.trackWind = ReadTrackWind(value);
    } else if (name == "--yaw-curve") {
      options.yawCurveFile = value;
    } else if (name == "--rotating-mass") {
      options.rotatingMass = ReadRotatingMass(value);
    } else if (name == "--no-anemometer") {
      options.noAnemometer = true;
    } else if (name == "--constant") {
      options.constants.push_back(ReadConstant(value));
    } else if (name == "--reject-run") {
      options.rejectedRuns.push_back(ReadRejectedRun(value));
    }
  }
  return options;
}

MethodConditions GivenMethodConditions(const MethodOptions& options, double speedFactor) {
  MethodConditions given;
  given.rateHz = options.rateHz;
  given.rotatingMassOption = options.rotatingMass;
  if (options.trackWind) given.trackWindMs = TrackWindReadings(*options.trackWind, speedFactor);
  given.yawCurveFile = options.yawCurveFile;
  given.noAnemometer = options.noAnemometer;
  return given;
}
