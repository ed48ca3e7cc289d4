// Axis ticks over awkward ranges and their labels.
#include "html/Svg.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// The step is 1, 2 or 5 times a power of ten, the axis covers the data
// with a tick at each end, and every tick has a label of its own.
TEST(NiceTicksTest, RoundStepsCoveringTheRange) {
  const struct {
    const char* name;
    double lo, hi;
    double step;            // expected step, 0: any nice step
    double axisLo, axisHi;  // expected axis range, NaN: only that it covers the data
  } cases[] = {
      {"unit", 0.0, 1.0, 0.2, 0.0, 1.0},
      {"speeds", 15.2, 69.4, 10.0, 10.0, 70.0},
      {"tiny", 0.0001234, 0.0001299, 1e-6, 0.000123, 0.00013},
      {"negative", -7.3, -2.1, 1.0, -8.0, -2.0},
      {"across zero", -0.37, 0.52, 0.2, -0.4, 0.6},
      {"reversed", 3.0, 1.0, 0.5, 1.0, 3.0},
      {"one value", 5.0, 5.0, 0.2, 4.4, 5.6},
      {"zero width at zero", 0.0, 0.0, 0.5, -1.0, 1.0},
      {"below resolution", 1e6, 1e6 + 1e-6, 0.0, kNaN, kNaN},
      {"huge", 2e15, 7e15, 1e15, 2e15, 7e15},
      {"beyond double width", -1e308, 1e308, 5e299, -1e300, 1e300},
      {"not a number", kNaN, 3.0, 0.2, 0.0, 1.0},
      {"infinite", 0.0, kInf, 0.2, 0.0, 1.0},
      {"subnormal", 0.0, 1e-320, 0.0, kNaN, kNaN},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const svg::Ticks t = svg::NiceTicks(c.lo, c.hi, 5);
    ASSERT_TRUE(std::isfinite(t.step) && t.step > 0.0);
    const double mantissa = t.step / std::pow(10.0, std::floor(std::log10(t.step) + 1e-9));
    EXPECT_TRUE(std::fabs(mantissa - 1) < 1e-9 || std::fabs(mantissa - 2) < 1e-9 || std::fabs(mantissa - 5) < 1e-9)
        << mantissa;
    EXPECT_TRUE(c.step == 0.0 || t.step == c.step) << t.step;
    if (!std::isnan(c.axisLo)) {
      EXPECT_DOUBLE_EQ(t.lo, c.axisLo);
      EXPECT_DOUBLE_EQ(t.hi, c.axisHi);
    }
    if (std::isfinite(c.lo) && std::isfinite(c.hi) && std::fabs(c.lo) < 1e300 && std::fabs(c.hi) < 1e300) {
      EXPECT_LE(t.lo, std::min(c.lo, c.hi));
      EXPECT_GE(t.hi, std::max(c.lo, c.hi));
    }
    ASSERT_GE(t.values.size(), 2u);
    ASSERT_LE(t.values.size(), 12u);
    EXPECT_DOUBLE_EQ(t.values.front(), t.lo);
    EXPECT_DOUBLE_EQ(t.values.back(), t.hi);
    std::set<std::string> labels;
    for (const double v : t.values) labels.insert(svg::TickLabel(v, t.step));
    EXPECT_EQ(labels.size(), t.values.size());
  }
}

// As many decimals as the step shows.
TEST(TickLabelTest, ShowsAsManyDecimalsAsTheStep) {
  const std::tuple<double, double, const char*> cases[] = {
      {0.30000000000000004, 0.1, "0.3"},
      {-1e-17, 0.1, "0"},  // a zero reached by adding steps
      {-0.25, 0.05, "-0.25"},
      {1500.0, 500.0, "1500"},
      {12.0, 2.0, "12"},
      {2.5e-7, 5e-8, "2.5e-07"},
      {3e8, 1e8, "3e+08"},
      {kNaN, 1.0, "\u2014"},
      {4.0, 0.0, "4"},
  };
  for (const auto& [value, step, label] : cases) EXPECT_EQ(svg::TickLabel(value, step), label) << value << " " << step;
}

// Marks draws the thousands of samples in bulk, some kilobytes at a time;
// it must draw what Mark draws for each point, in every shape, across the
// bulk's boundaries, without the points that are no numbers, and with a
// class of any length.
TEST(PlotTest, MarksDrawWhatMarkDraws) {
  const svg::Shape shapes[] = {svg::Shape::Circle,       svg::Shape::Square, svg::Shape::Diamond, svg::Shape::Triangle,
                               svg::Shape::TriangleDown, svg::Shape::Cross,  svg::Shape::Plus};
  std::vector<svg::Point> points;
  for (int i = 0; i < 700; ++i) points.push_back({i * 0.37 - 40.0, std::sin(i * 0.1) * 1e3});
  points[5].x = kNaN;
  points[6].y = kInf;
  points.push_back({1e12, -1e12});  // far outside the plot
  for (const std::string& cls : {std::string("pt used"), "pt " + std::string(60, 'a'), "pt " + std::string(200, 'b')}) {
    for (const svg::Shape shape : shapes) {
      svg::Plot bulk("p", 640, 320), single("p", 640, 320);
      for (svg::Plot* plot : {&bulk, &single}) {
        plot->SetX(svg::NiceTicks(-40.0, 220.0), "x");
        plot->SetY(svg::NiceTicks(-1e3, 1e3), "y");
      }
      bulk.Marks(points, shape, cls);
      for (const svg::Point& p : points) single.Mark(p.x, p.y, shape, cls);
      EXPECT_EQ(bulk.Render("d"), single.Render("d")) << cls.size() << " " << static_cast<int>(shape);
    }
  }
}

}  // namespace
