// The pieces the sections of the HTML page share.
#include "html/PageParts.h"

#include <algorithm>

#include "html/Html.h"

namespace html {

using record::AnalysisRecord;
using record::SampleRecord;
using record::SampleStatus;
using record::SetKind;

namespace {

Units UnitsOf(const AnalysisRecord& record) {
  Units units;
  if (Finite(record.speedFactor) && record.speedFactor > 0.0) units.mph = record.speedFactor;
  if (Finite(record.forceFactor) && record.forceFactor > 0.0) units.lbf = record.forceFactor;
  return units;
}

}  // namespace

std::string StatusClass(SampleStatus status) {
  std::string name = record::StatusName(status);
  std::replace(name.begin(), name.end(), ' ', '-');
  return name;
}

svg::Shape StatusShape(SampleStatus status) {
  switch (status) {
    case SampleStatus::Used: return svg::Shape::Circle;
    case SampleStatus::NegativeDeceleration: return svg::Shape::TriangleDown;
    case SampleStatus::FilterOutlier: return svg::Shape::Cross;
    case SampleStatus::YawOutlier: return svg::Shape::Diamond;
    case SampleStatus::OutsideWindow: return svg::Shape::Square;
    case SampleStatus::NotUsed: return svg::Shape::Plus;
  }
  return svg::Shape::Circle;
}

PageContext MakePageContext(const AnalysisRecord& record, std::string_view truthText) {
  PageContext c{record, Truth(truthText), UnitsOf(record), record::StillAirRoadLoad(record), {}, {}, {}, {}, {}};
  // The samples of a run come together: its figures are looked up once.
  RunStats* run = nullptr;
  std::pair<int, int> runKey;
  for (const SampleRecord& s : record.samples) {
    const std::pair<int, int> key{static_cast<int>(s.set), s.run};
    if (run == nullptr || key != runKey) {
      run = &c.runs[key];
      runKey = key;
    }
    RunStats& r = *run;
    r.byStatus[static_cast<std::size_t>(s.status)] += 1;
    r.samples += 1;
    if (Finite(s.speed)) {
      if (!(s.speed >= r.minSpeed)) r.minSpeed = s.speed;
      if (!(s.speed <= r.maxSpeed)) r.maxSpeed = s.speed;
    }
    if (s.status == SampleStatus::Used && Finite(s.head) && Finite(s.cross)) {
      r.headSum += s.head;
      r.crossSum += s.cross;
      r.windSamples += 1;
    }
    if (s.set == SetKind::Data) c.data.push_back(&s);
    if (s.set == SetKind::Cal) c.cal.push_back(&s);
  }
  return c;
}

std::string Cell(std::string_view escapedContent, std::string_view cssClass) {
  std::string out;
  out.reserve(escapedContent.size() + cssClass.size() + 24);
  AppendCell(out, escapedContent, cssClass);
  return out;
}

void AppendCell(std::string& out, std::string_view escapedContent, std::string_view cssClass) {
  if (cssClass.empty()) {
    out.append("<td>");
  } else {
    out.append("<td class=\"").append(cssClass).append("\">");
  }
  out.append(escapedContent).append("</td>");
}

std::string HeaderRow(std::initializer_list<std::string_view> names) {
  std::string out = "<tr>";
  for (const std::string_view name : names) out.append("<th>").append(name).append("</th>");
  out += "</tr>";
  return out;
}

std::string Missing(std::string_view escapedWhy) { return "<p class=\"missing\">" + std::string(escapedWhy) + "</p>"; }

std::string UnitText(std::string_view unit) {
  std::string out = Escape(unit);
  for (std::size_t at = out.find("^2"); at != std::string::npos; at = out.find("^2")) out.replace(at, 2, "\u00B2");
  for (std::size_t at = out.find("^3"); at != std::string::npos; at = out.find("^3")) out.replace(at, 2, "\u00B3");
  for (std::size_t at = out.find("^4"); at != std::string::npos; at = out.find("^4")) out.replace(at, 2, "\u2074");
  return out;
}

std::string EndedWhy(const AnalysisRecord& record, std::string_view what) {
  std::string why(what);
  if (record.error.number != 0) {
    why += ": the analysis ended with run-time error " + Count(record.error.number) + " before it got there.";
  } else {
    why += ".";
  }
  return Escape(why);
}

std::string ErrorText(const record::ErrorNote& error) {
  std::string text = "run-time error " + Count(error.number) + ": " + error.description;
  if (!error.detail.empty()) text += " (" + error.detail + ")";
  return text;
}

// 1e6 of anything is beyond any test: the window's "no upper wind limit".
std::string RangeText(double lo, double hi, int decimals, std::string_view between) {
  constexpr double kOutOfReach = 1e6;
  if (!Finite(lo) && !Finite(hi)) return std::string(html::kDash);
  if (Finite(lo) && !(std::fabs(hi) < kOutOfReach)) return "from " + Fixed(lo, decimals);
  if (Finite(hi) && !(std::fabs(lo) < kOutOfReach)) return "up to " + Fixed(hi, decimals);
  return Fixed(lo, decimals) + std::string(between) + Fixed(hi, decimals);
}

void AppendFigure(std::string& out, std::string_view id, const svg::Plot& plot, std::string_view description,
                  std::string_view escapedCaption) {
  out.append("<figure id=\"fig-").append(id).append("\">");
  plot.RenderTo(out, description);
  out.append("<figcaption>").append(escapedCaption).append("</figcaption></figure>");
}

void AppendFigure(const PageContext& c, std::string& out, std::string_view id, const svg::Plot& plot,
                  std::string_view description, std::string_view escapedCaption) {
  if (!c.handOn) {
    AppendFigure(out, id, plot, description, escapedCaption);
    return;
  }
  out.append("<figure id=\"fig-").append(id).append("\">");
  plot.RenderTo(out, description, c.handOn);
  out.append("<figcaption>").append(escapedCaption).append("</figcaption></figure>");
}

EstimateText FormatEstimate(const record::Estimate& e) {
  EstimateText out;
  const double half = (e.high - e.low) / 2.0;
  if (Finite(half) && half > 0.0) {
    const int decimals = html::DecimalsFor(half, 2, 3);
    out.value = Fixed(e.value, decimals);
    out.interval = Fixed(e.low, decimals) + " \u2026 " + Fixed(e.high, decimals);
    out.half = "\u00B1" + Fixed(half, decimals);
  } else {
    out.value = Significant(e.value, 5);
    out.interval = std::string(html::kDash);
    out.half = std::string(html::kDash);
  }
  return out;
}

void RunSlots::Add(const record::SampleRecord& sample) {
  if (added_ == nullptr || added_->first != sample.run) {
    added_ = &*times_.try_emplace(sample.run, sample.time, sample.time).first;
  }
  added_->second.first = std::min(added_->second.first, sample.time);
  added_->second.second = std::max(added_->second.second, sample.time);
}

double RunSlots::X(const record::SampleRecord& sample) const {
  if (found_ == nullptr || found_->first != sample.run) {
    const auto it = times_.find(sample.run);
    if (it == times_.end()) return record::kNone;
    found_ = &*it;
  }
  const auto [first, last] = found_->second;
  return sample.run - 0.35 + (last > first ? 0.7 * (sample.time - first) / (last - first) : 0.35);
}

void RunSlots::SetAxis(svg::Plot& plot, std::string label) const {
  if (times_.empty()) return;
  const int first = times_.begin()->first;
  const int last = times_.rbegin()->first;
  plot.SetX(svg::Ticks{first - 0.5, last + 0.5, 1.0, {}}, std::move(label));
  // At most about 20 labels, so that they never run into each other.
  const int every = (last - first) / 20 + 1;
  std::vector<std::pair<double, std::string>> labels;
  for (const auto& [run, span] : times_) {
    if ((run - first) % every == 0) labels.emplace_back(run, Count(run));
  }
  plot.SetXLabels(std::move(labels));
}

void StatusLegend(svg::Plot& plot, const std::array<long, 6>& counts) {
  for (const SampleStatus s : kDrawOrder) {
    const long n = counts[static_cast<std::size_t>(s)];
    if (n == 0) continue;
    plot.AddLegend({svg::LegendEntry::Kind::Mark, StatusClass(s), StatusShape(s),
                    std::string(record::StatusName(s)) + " (" + Count(n) + ")"});
  }
}

}  // namespace html
