// The page's own small plotting code: "nice" axis ticks, and a plot that
// draws axes, markers, lines, bands, bars and a legend as one inline SVG
// element. Colours come from the page's stylesheet through class names;
// every series also differs in marker shape or dash pattern, so a plot
// still reads when printed in grey.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace svg {

// The ticks of an axis: values 1, 2 or 5 × 10^k apart, and the axis range,
// which is the data range widened to whole steps.
struct Ticks {
  double lo = 0.0;
  double hi = 1.0;
  double step = 0.2;
  std::vector<double> values;
};

// About `target` ticks over [lo, hi]. A range of zero width is widened
// around its value; a range that is not finite becomes 0 to 1; ends beyond
// ±1e300 are clamped there so that the width stays finite.
Ticks NiceTicks(double lo, double hi, int target = 6);

// The label of a tick at `value` on an axis of ticks `step` apart: as many
// decimals as the step needs, E notation for very large or very small values.
std::string TickLabel(double value, double step);

// The smallest and largest finite value, NaN for both when there is none.
std::pair<double, double> FiniteRange(const std::vector<double>& values);

enum class Shape { Circle, Square, Diamond, Triangle, TriangleDown, Cross, Plus };

// A point in data coordinates.
struct Point {
  double x, y;
};

struct LegendEntry {
  enum class Kind { Mark, Line, Band } kind = Kind::Mark;
  // The class that gives the sample its look; for a mark, leave out the
  // class that counts markers ("pt"), so the legend's sample is not counted.
  std::string cssClass;
  Shape shape = Shape::Circle;
  std::string label;
};

class Plot {
 public:
  // `name` is the plot's data-plot attribute and the prefix of its ids, so
  // it must be unique on the page; the plotting area is width × height px.
  Plot(std::string name, double width, double height);

  void SetX(const Ticks& ticks, std::string label);
  void SetY(const Ticks& ticks, std::string label);
  // Replaces the x tick labels, e.g. run numbers on a by-run axis.
  void SetXLabels(std::vector<std::pair<double, std::string>> labels);
  // A right-hand axis showing the left one's values in another unit, of
  // which one is `leftPerUnit` of the left's (N per lbf).
  void SetSecondY(double leftPerUnit, std::string label);
  // Polar axes instead of the rectangular ones: rings at the ticks of the
  // radius, spokes every 30°, and the names of the four directions.
  void SetPolar(const Ticks& radius, std::string unit, std::string up, std::string right, std::string down,
                std::string left);

  // Data to pixel coordinates.
  double X(double x) const;
  double Y(double y) const;

  // One marker element. `attributes` is added verbatim (already escaped).
  void Mark(double x, double y, Shape shape, std::string_view cssClass, std::string_view attributes = {});
  // A marker of one shape and class at each point, in order; what Mark
  // would draw for each, put together in bulk for the thousands of samples.
  void Marks(const std::vector<Point>& points, Shape shape, std::string_view cssClass);
  // Room for `count` more markers, so that thousands are written without
  // the markup being copied as it grows.
  void ReserveMarks(std::size_t count) { marks_.reserve(marks_.size() + count * 64); }
  // A line through the points in order; a non-finite point breaks it.
  void Line(const std::vector<double>& xs, const std::vector<double>& ys, std::string_view cssClass,
            std::string_view attributes = {});
  // The area between two curves over the same xs; non-finite points are left out.
  void Band(const std::vector<double>& xs, const std::vector<double>& lows, const std::vector<double>& highs,
            std::string_view cssClass);
  void HorizontalLine(double y, std::string_view cssClass);
  void VerticalLine(double x, std::string_view cssClass);
  // A vertical interval with end caps.
  void ErrorBar(double x, double low, double high, std::string_view cssClass);
  // A histogram bar from 0 up to `height` between x0 and x1.
  void Bar(double x0, double x1, double height, std::string_view cssClass, std::string_view attributes = {});
  void AddLegend(LegendEntry entry);

  // The whole SVG element; `description` is its accessible name.
  std::string Render(std::string_view description) const;
  // The same, appended to `out`: a plot of thousands of markers is copied once.
  void RenderTo(std::string& out, std::string_view description) const;
  // The same, with its lines and markers given to `handOn` with `out`, to
  // append them or to write them where they go without copying them.
  using HandOn = std::function<void(std::string& out, std::string_view part)>;
  void RenderTo(std::string& out, std::string_view description, const HandOn& handOn) const;

 private:
  // The axes (or the polar grid) appended to `out`.
  void AxesTo(std::string& out) const;
  void PolarTo(std::string& out) const;
  std::string LegendSvg(double top, double& height) const;

  std::string name_;
  double width_, height_;
  double left_ = 64.0, right_ = 16.0, top_ = 12.0, bottom_ = 44.0;
  Ticks x_, y_;
  std::string xLabel_, yLabel_;
  std::vector<std::pair<double, std::string>> xLabels_;
  bool customXLabels_ = false;
  double leftPerUnit_ = 0.0;
  std::string secondLabel_;
  bool polar_ = false;
  std::string polarUnit_;
  std::vector<std::string> polarNames_;
  std::string clipped_;  // lines, bands and bars, cut at the plotting area
  std::string marks_;    // markers, drawn whole above them
  std::vector<LegendEntry> legend_;
};

}  // namespace svg
