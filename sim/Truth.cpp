// Truth in report units and the text of truth.txt.
#include "Truth.h"

#include <cmath>

#include "NumberFormat.h"
#include "Units.h"

namespace sim {

namespace {

constexpr const char* kEol = "\r\n";

class Lines {
 public:
  void Add(const std::string& line) { text_ += line + kEol; }
  void Param(const std::string& name, double value, const std::string& unit) {
    Add("#   " + name + " = " + FormatShortest(value) + (unit.empty() ? "" : " " + unit));
  }
  void Param(const std::string& name, const std::string& value) { Add("#   " + name + " = " + value); }
  // A value computed from the parameters, to 12 significant digits.
  void Derived(const std::string& name, double value, const std::string& unit) {
    Param(name, FormatSignificant(value, 12) + (unit.empty() ? "" : " " + unit));
  }
  std::string Text() const { return text_; }

 private:
  std::string text_;
};

std::string JoinSpeeds(const std::vector<double>& speeds) {
  std::string out;
  for (double s : speeds) out += (out.empty() ? "" : ",") + FormatShortest(s);
  return out;
}

}  // namespace

Truth ComputeTruth(const SimConfig& config) {
  Truth t{};
  const VehicleConfig& v = config.vehicle;
  const double speed = kMetresPerSecondPerMph;
  t.testTemperatureC = FahrenheitToCelsius(config.conditions.temperatureF);
  t.testPressureKpa = config.conditions.pressureInHg * kKilopascalPerInchHg;
  t.testDensity = AirDensity(t.testTemperatureC, t.testPressureKpa);
  t.standardDensity = AirDensity(kStandardTemperatureC, kStandardPressureKpa);
  const double area = v.areaFt2 * kSquareMetresPerSquareFoot;

  t.m0 = v.mechA * kNewtonPerPound;
  t.m1 = v.mechB * kNewtonPerPound / speed;
  t.m2 = v.mechC * kNewtonPerPound / (speed * speed);
  t.a0 = 0.5 * t.testDensity * v.cd0 * area;
  t.a2 = t.a0 * v.cdYawPerDeg2;

  // The analysis' corrections to 20 °C and 98.21 kPa; its Kelvin offset in
  // the aero factor is 273, not 273.15.
  t.mechFactor = (t.testTemperatureC - 20.0) * 0.0081 + 1.0;
  t.aeroFactor = ((t.testTemperatureC + 273.0) / 293.0) * (kStandardPressureKpa / t.testPressureKpa);

  const double speed2 = std::pow(speed, 2.0);
  t.amech = t.m0 * t.mechFactor / kNewtonPerPound;
  t.bmech = t.m1 * t.mechFactor / kNewtonPerPound * speed;
  t.cmech = t.m2 * t.mechFactor / kNewtonPerPound * speed2;
  t.caero = t.a0 * t.aeroFactor / kNewtonPerPound * speed2;
  t.ctotl = (t.m2 * t.mechFactor + t.a0 * t.aeroFactor) / kNewtonPerPound * speed2;
  t.cd = t.a0 / (t.standardDensity * 0.5 * area) * t.aeroFactor;
  t.areaFt2 = area / kSquareMetresPerSquareFoot;
  return t;
}

std::string TruthResultLines(const Truth& t) {
  Lines out;
  out.Add("Amech: " + FormatReportFixed(t.amech, 2));
  out.Add("Bmech: " + FormatReportFixed(t.bmech, 4));
  out.Add("Cmech: " + FormatReportFixed(t.cmech, 6) + " ^ 2");
  out.Add("");
  out.Add("Caero: " + FormatReportFixed(t.caero, 6) + " N/MPH ^ 2");
  out.Add("Ctotl: " + FormatReportFixed(t.ctotl, 6) + " N/MPH ^ 2");
  out.Add("");
  out.Add("Area: " + FormatReportNumber(t.areaFt2) + "ft ^2 ");
  out.Add("Cd:    " + FormatReportFixed(t.cd, 3));
  return out.Text();
}

std::string TruthFileText(const SimConfig& c, const Truth& t, const TestFacts& facts) {
  const AnemometerConfig& a = c.anemometer;
  // The yaw offset the calibration should find is what the ZERO runs'
  // offset, already subtracted, left of the misalignment.
  const double yawOffset = a.misalignDeg - facts.zeroMeanYawDeg.value_or(0.0);

  Lines out;
  out.Add("# Truth of this simulated test: lines 2 to 10 are laid out as lines 2 to 10 of the report");
  std::string text = out.Text() + TruthResultLines(t);

  Lines r;
  r.Add("");
  r.Add("Average Wind");
  r.Add("Head: " + FormatReportFixed(facts.meanHeadMph, 2) + " Cross: " + FormatReportFixed(facts.meanCrossMph, 2));
  r.Add("Max Wind");
  r.Add("Head: " + FormatReportFixed(facts.maxHeadMph, 2) + " Cross: " + FormatReportFixed(facts.maxCrossMph, 2));
  r.Add("");
  r.Add("CALIBRATION COEFFICIENTS");
  r.Add("True anemometer");
  r.Add("");
  r.Add("Ka = " + FormatReportNumber(1.0 / a.gain) + " ");
  r.Add("k3 = " + FormatReportFixed(a.EffectiveLoss(), 6));
  r.Add("K4 = " + FormatReportNumber(-a.offsetMph * kMetresPerSecondPerMph) + " ");
  r.Add("");
  r.Add("Ky = " + FormatReportFixed(1.0 / a.EffectiveYawGain(), 6));
  r.Add("Yaw Offset = " + FormatReportFixed(yawOffset, 6));
  r.Add("");
  r.Add("# Caero and Ctotl are in lbf/mph^2 whatever their label says; all results are corrected");
  r.Add("# to 20 C and 98.21 kPa as the report's are. The wind is the true wind over the one-second");
  r.Add("# samples of all DATA runs in mph, head positive against the odd runs and cross positive");
  r.Add("# from their right. Ka = 1/anemo-gain, k3 = anemo-loss, K4 = -anemo-offset in m/s,");
  if (facts.zeroMeanYawDeg) {
    r.Add("# Ky = 1/anemo-yaw-gain, Yaw Offset = anemo-misalign minus the ZERO runs' mean yaw");
    r.Add("# reading (" + FormatFixed(*facts.zeroMeanYawDeg, 6) + " deg), which coastdown subtracts first.");
  } else {
    r.Add("# Ky = 1/anemo-yaw-gain, Yaw Offset = anemo-misalign.");
  }
  r.Add("# coastdown holds K4 at .134112 and ties Ky and k3 to Ka: only the default offset of");
  r.Add("# -0.3 mph with the coupled yaw gain and loss can be calibrated out completely. Without");
  r.Add("# CAL runs it does not calibrate and its report shows Ka = 1.");
  text += r.Text();

  Lines p;
  p.Add("#");
  p.Add("# Model at test conditions (SI):");
  p.Derived("m0", t.m0, "N");
  p.Derived("m1", t.m1, "N/(m/s)");
  p.Derived("m2", t.m2, "N/(m/s)^2");
  p.Derived("a0 = 0.5*rho*Cd0*A", t.a0, "N/(m/s)^2");
  p.Derived("a2 = a0*k (yaw in degrees)", t.a2, "N/(m/s)^2/deg^2");
  p.Param("a1 = a3 = a4", "0");
  p.Derived("test temperature", t.testTemperatureC, "C");
  p.Derived("test pressure", t.testPressureKpa, "kPa");
  p.Derived("test air density", t.testDensity, "kg/m^3");
  p.Derived("standard air density", t.standardDensity, "kg/m^3");
  p.Derived("MechFactor", t.mechFactor, "");
  p.Derived("AeroFactor", t.aeroFactor, "");
  p.Add("#");
  // The folder changes nothing but COMMAND, so these options remake every
  // other byte of the folder anywhere.
  p.Add("# Made by: coastdown-sim --out FOLDER" + (c.optionText.empty() ? "" : " " + c.optionText));
  p.Add("#");
  p.Add("# Parameters:");
  p.Param("scenario", c.scenario);
  p.Param("seed", std::to_string(c.seed));
  p.Param("weight", c.vehicle.weightLb, "lb");
  p.Param("area", c.vehicle.areaFt2, "ft^2");
  p.Param("cd", c.vehicle.cd0, "");
  p.Param("cd-yaw", c.vehicle.cdYawPerDeg2, "per deg^2");
  p.Param("mech-a", c.vehicle.mechA, "lbf");
  p.Param("mech-b", c.vehicle.mechB, "lbf/mph");
  p.Param("mech-c", c.vehicle.mechC, "lbf/mph^2");
  p.Param("temperature", c.conditions.temperatureF, "F");
  p.Param("pressure", c.conditions.pressureInHg, "inHg");
  p.Param("wind-speed", c.wind.speedMph, "mph");
  p.Param("wind-direction", c.wind.directionDeg, "deg from the odd-run heading, clockwise");
  p.Param("wind-drift", c.wind.driftMph, "mph");
  p.Param("wind-veer", c.wind.veerDeg, "deg");
  p.Param("drift-period", c.wind.driftPeriodS, "s");
  p.Param("gust", c.wind.gustMph, "mph RMS per component");
  p.Param("gust-time", c.wind.gustTimeS, "s");
  p.Param("anemo-gain", a.gain, "");
  p.Param("anemo-offset", a.offsetMph, "mph");
  p.Param("anemo-misalign", a.misalignDeg, "deg");
  if (a.yawGain) {
    p.Param("anemo-yaw-gain", *a.yawGain, "");
  } else {
    p.Derived("anemo-yaw-gain", a.EffectiveYawGain(), "(coupled to the gain)");
  }
  if (a.lossPerDeg2) {
    p.Param("anemo-loss", *a.lossPerDeg2, "per deg^2");
  } else {
    p.Derived("anemo-loss", a.EffectiveLoss(), "per deg^2 (coupled to the gain)");
  }
  p.Param("anemo-noise", a.speedNoiseMph, "mph");
  p.Param("yaw-noise", a.yawNoiseDeg, "deg");
  p.Param("speed-noise", c.speedNoiseMph, "mph");
  p.Param("zero-runs", std::to_string(c.runs.zeroRuns));
  p.Param("zero-speed", c.runs.zeroSpeedMph, "mph");
  p.Param("zero-duration", c.runs.zeroDurationS, "s");
  p.Param("cal-runs", std::to_string(c.runs.calRuns));
  p.Param("cal-speeds", JoinSpeeds(c.runs.calSpeedsMph) + " mph");
  p.Param("cal-duration", c.runs.calDurationS, "s");
  p.Param("data-runs", std::to_string(c.runs.dataRuns));
  p.Param("coast-high", c.runs.coastHighMph, "mph");
  p.Param("coast-low", c.runs.coastLowMph, "mph");
  p.Param("turn-time", c.runs.turnTimeS, "s");
  p.Param("step", c.runs.stepS, "s");
  p.Param("known-cd", c.knownCd ? FormatShortest(*c.knownCd) : std::string("(none: free fit)"));
  return text + p.Text();
}

}  // namespace sim
