// What the sections of the HTML page share: the record seen through the
// page's units with the per-run figures worked out once, the small pieces
// of markup every section writes, and how a sample of each status is drawn.
#pragma once

#include <array>
#include <cmath>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "html/Html.h"
#include "html/Svg.h"
#include "html/Truth.h"
#include "record/AnalysisRecord.h"
#include "record/RoadLoad.h"

namespace html {

inline bool Finite(double v) { return std::isfinite(v); }

// The order samples are drawn in: the common statuses first, the rare ones
// last so that they stay on top where they are seen.
inline constexpr std::array<record::SampleStatus, 6> kDrawOrder = {
    record::SampleStatus::Used,          record::SampleStatus::NotUsed,
    record::SampleStatus::OutsideWindow, record::SampleStatus::NegativeDeceleration,
    record::SampleStatus::FilterOutlier, record::SampleStatus::YawOutlier};

// The class a sample's marker carries: its status name with hyphens,
// "filter-outlier".
std::string StatusClass(record::SampleStatus status);
svg::Shape StatusShape(record::SampleStatus status);

// The conversions of the run's unit factors, so that the page's mph and
// lbf agree with the report's to the last digit.
struct Units {
  double mph = record::kNone;  // m/s per mph
  double lbf = record::kNone;  // N per lbf
};

// What one run file's samples came to.
struct RunStats {
  std::array<long, 6> byStatus{};  // by SampleStatus
  long samples = 0;
  double minSpeed = record::kNone, maxSpeed = record::kNone;
  double headSum = 0.0, crossSum = 0.0;  // over the used samples with a true wind
  long windSamples = 0;
};

struct PageContext {
  const record::AnalysisRecord& record;
  Truth truth;
  Units units;
  record::StillAirRoadLoad roadLoad;
  std::map<std::pair<int, int>, RunStats> runs;        // by (set, run)
  std::vector<const record::SampleRecord*> data, cal;  // the DATA and CAL samples in load order
  // Hands on what the page holds so far, when it has grown large; none
  // when the page is made whole.
  std::function<void(std::string&)> passOn;
  // Appends a part of the page, or when the page is written as it is made
  // and the part is large (a plot's thousands of markers), hands on the
  // page so far and then the part itself, which is not copied; none when
  // the page is made whole.
  svg::Plot::HandOn handOn;
};

PageContext MakePageContext(const record::AnalysisRecord& record, std::string_view truthText);

// `page`, the page so far, to the context's writer, between figures: a page
// of thousands of markers is never held whole.
inline void PassOn(const PageContext& c, std::string& page) {
  if (c.passOn) c.passOn(page);
}

inline double Mph(const PageContext& c, double speed) { return speed / c.units.mph; }

// ---- markup; arguments named "escaped" are put in as they are

std::string Cell(std::string_view escapedContent, std::string_view cssClass = {});
// The same appended to `out`.
void AppendCell(std::string& out, std::string_view escapedContent, std::string_view cssClass = {});
inline std::string NumCell(std::string_view number) { return Cell(number, "num"); }
std::string HeaderRow(std::initializer_list<std::string_view> names);
// A sentence in place of what a section cannot show.
std::string Missing(std::string_view escapedWhy);
// Units as the record writes them ("lbf/mph^2") with a raised exponent, escaped.
std::string UnitText(std::string_view unit);
// `what`, and when an error ended the analysis, that it ended before it got there; escaped.
std::string EndedWhy(const record::AnalysisRecord& record, std::string_view what);
// "run-time error 62: Input past end of file (DATA.3 line 12)".
std::string ErrorText(const record::ErrorNote& error);
// "lo–hi"; a bound the analysis sets out of reach shows as "from lo", and
// a range with no values as a dash.
std::string RangeText(double lo, double hi, int decimals, std::string_view between);
// The plot as a figure with its caption, appended to `out`.
void AppendFigure(std::string& out, std::string_view id, const svg::Plot& plot, std::string_view description,
                  std::string_view escapedCaption);
// The same with the plot's lines and markers handed on by the context's
// handOn, when it has one.
void AppendFigure(const PageContext& c, std::string& out, std::string_view id, const svg::Plot& plot,
                  std::string_view description, std::string_view escapedCaption);

// A fitted quantity with its interval: the value shown to the decimals its
// interval justifies (two significant digits of the half-width).
struct EstimateText {
  std::string value, interval, half;
};
EstimateText FormatEstimate(const record::Estimate& e);

// ---- samples on plots

// A by-run axis: each run a slot one unit wide at its number, its samples
// spread across the slot in time order, so the plot shows how a run went.
class RunSlots {
 public:
  RunSlots() = default;
  // Not copied: it keeps pointers into its own map.
  RunSlots(const RunSlots&) = delete;
  RunSlots& operator=(const RunSlots&) = delete;

  void Add(const record::SampleRecord& sample);
  bool Empty() const { return times_.empty(); }
  // The sample's x; NaN for a run never added.
  double X(const record::SampleRecord& sample) const;
  // The x axis of the slots, labelled with the run numbers.
  void SetAxis(svg::Plot& plot, std::string label) const;
  const std::map<int, std::pair<int, int>>& Runs() const { return times_; }  // run: first and last time

 private:
  std::map<int, std::pair<int, int>> times_;
  // The runs last added and looked up: the samples of a run come together.
  std::pair<const int, std::pair<int, int>>* added_ = nullptr;
  mutable const std::pair<const int, std::pair<int, int>>* found_ = nullptr;
};

// Legend entries for the statuses drawn, with their counts.
void StatusLegend(svg::Plot& plot, const std::array<long, 6>& counts);

// Rings around the DATA samples that are not of a coast (standstill,
// braking, rising speed), with their legend entry; how many.
template <typename XOf, typename YOf>
long MarkNotCoasting(svg::Plot& plot, const std::vector<const record::SampleRecord*>& samples, XOf x, YOf y) {
  long n = 0;
  for (const record::SampleRecord* s : samples) {
    if (s->motion == record::Motion::Coasting || !Finite(x(*s)) || !Finite(y(*s))) continue;
    plot.Mark(x(*s), y(*s), svg::Shape::Circle, "ring not-coasting",
              "data-motion=\"" + std::string(record::MotionName(s->motion)) + "\"");
    ++n;
  }
  if (n > 0) {
    plot.AddLegend({svg::LegendEntry::Kind::Mark, "ring not-coasting", svg::Shape::Circle,
                    "not coasting: standstill, braking, rising or held speed (" + Count(n) + ")"});
  }
  return n;
}

// Draws every sample's (x, y) with the marker of its status, rarer statuses
// last; returns how many of each were drawn.
template <typename XOf, typename YOf>
std::array<long, 6> DrawSamples(svg::Plot& plot, const std::vector<const record::SampleRecord*>& samples, XOf x,
                                YOf y) {
  // Each sample's point once, kept by status in the order the samples come.
  std::array<std::vector<svg::Point>, 6> points;
  for (const record::SampleRecord* s : samples) {
    const double px = x(*s);
    const double py = y(*s);
    if (Finite(px) && Finite(py)) points[static_cast<std::size_t>(s->status)].push_back({px, py});
  }
  std::array<long, 6> counts{};
  for (const record::SampleStatus status : kDrawOrder) {
    const std::vector<svg::Point>& drawn = points[static_cast<std::size_t>(status)];
    plot.ReserveMarks(drawn.size());
    plot.Marks(drawn, StatusShape(status), "pt " + StatusClass(status));
    counts[static_cast<std::size_t>(status)] = static_cast<long>(drawn.size());
  }
  return counts;
}

// ---- the sections, top to bottom

// Each appends its section to the page `out`: a section of thousands of
// markers is written once, in place.
void ResultSection(const PageContext& c, std::string& out);
void RoadLoadSection(const PageContext& c, std::string& out);
void RunsSection(const PageContext& c, std::string& out);
void FitSection(const PageContext& c, std::string& out);
void WindSection(const PageContext& c, std::string& out);
void CalibrationSection(const PageContext& c, std::string& out);
void ProvenanceSection(const PageContext& c, std::string& out);
// The interval method's own section, and the line naming the method that ran.
void IntervalsSection(const PageContext& c, std::string& out);
// The impulse method's own section, with the specified analysis beside it.
void ImpulseSection(const PageContext& c, std::string& out);
std::string MethodSummary(const PageContext& c);

}  // namespace html
