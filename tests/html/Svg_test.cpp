// Axis ticks over awkward ranges, tick labels, and the markup of a plot.
#include "html/Svg.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>

#include "tests/html/XmlTree.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct TicksCase {
  const char* name;
  double lo, hi;
  double step;            // expected step, 0: any nice step
  double axisLo, axisHi;  // expected axis range, NaN: only that it covers the data
};

class NiceTicksTest : public ::testing::TestWithParam<TicksCase> {};

TEST_P(NiceTicksTest, RoundStepsCoveringTheRange) {
  const TicksCase& c = GetParam();
  const svg::Ticks t = svg::NiceTicks(c.lo, c.hi, 5);
  ASSERT_TRUE(std::isfinite(t.step) && t.step > 0.0);
  // The step is 1, 2 or 5 times a power of ten.
  const double mantissa = t.step / std::pow(10.0, std::floor(std::log10(t.step) + 1e-9));
  EXPECT_TRUE(std::fabs(mantissa - 1) < 1e-9 || std::fabs(mantissa - 2) < 1e-9 || std::fabs(mantissa - 5) < 1e-9)
      << mantissa;
  if (c.step != 0.0) {
    EXPECT_DOUBLE_EQ(t.step, c.step);
  }
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
  // Every tick has a label of its own.
  std::set<std::string> labels;
  for (const double v : t.values) {
    EXPECT_TRUE(std::isfinite(v));
    labels.insert(svg::TickLabel(v, t.step));
  }
  EXPECT_EQ(labels.size(), t.values.size());
}

INSTANTIATE_TEST_SUITE_P(Ranges, NiceTicksTest,
                         ::testing::Values(TicksCase{"unit", 0.0, 1.0, 0.2, 0.0, 1.0},
                                           TicksCase{"speeds", 15.2, 69.4, 10.0, 10.0, 70.0},
                                           TicksCase{"tiny", 0.0001234, 0.0001299, 1e-6, 0.000123, 0.00013},
                                           TicksCase{"negative", -7.3, -2.1, 1.0, -8.0, -2.0},
                                           TicksCase{"across_zero", -0.37, 0.52, 0.2, -0.4, 0.6},
                                           TicksCase{"reversed", 3.0, 1.0, 0.5, 1.0, 3.0},
                                           TicksCase{"one_value", 5.0, 5.0, 0.2, 4.4, 5.6},
                                           TicksCase{"zero_width_at_zero", 0.0, 0.0, 0.5, -1.0, 1.0},
                                           TicksCase{"below_resolution", 1e6, 1e6 + 1e-6, 0.0, kNaN, kNaN},
                                           TicksCase{"huge", 2e15, 7e15, 1e15, 2e15, 7e15},
                                           TicksCase{"beyond_double_width", -1e308, 1e308, 5e299, -1e300, 1e300},
                                           TicksCase{"not_a_number", kNaN, 3.0, 0.2, 0.0, 1.0},
                                           TicksCase{"infinite", 0.0, kInf, 0.2, 0.0, 1.0},
                                           TicksCase{"subnormal", 0.0, 1e-320, 0.0, kNaN, kNaN}),
                         [](const auto& info) { return std::string(info.param.name); });

struct LabelCase {
  double value, step;
  const char* label;
};

class TickLabelTest : public ::testing::TestWithParam<LabelCase> {};

TEST_P(TickLabelTest, ShowsAsManyDecimalsAsTheStep) {
  EXPECT_EQ(svg::TickLabel(GetParam().value, GetParam().step), GetParam().label);
}

INSTANTIATE_TEST_SUITE_P(Labels, TickLabelTest,
                         ::testing::Values(LabelCase{0.30000000000000004, 0.1, "0.3"},
                                           LabelCase{-1e-17, 0.1, "0"},  // a zero reached by adding steps
                                           LabelCase{-0.25, 0.05, "-0.25"}, LabelCase{1500.0, 500.0, "1500"},
                                           LabelCase{12.0, 2.0, "12"}, LabelCase{2.5e-7, 5e-8, "2.5e-07"},
                                           LabelCase{3e8, 1e8, "3e+08"}, LabelCase{kNaN, 1.0, "\u2014"},
                                           LabelCase{4.0, 0.0, "4"}));

TEST(PlotTest, DrawsOneElementPerMarkAndSkipsWhatIsNotFinite) {
  svg::Plot plot("p<1>", 200, 100);
  plot.SetX(svg::NiceTicks(0, 10), "speed & \"x\" (mph)");
  plot.SetY(svg::NiceTicks(0, 10), "force (N)");
  plot.SetSecondY(4.448, "force (lbf)");
  const std::array<svg::Shape, 7> shapes{svg::Shape::Circle,   svg::Shape::Square,       svg::Shape::Diamond,
                                         svg::Shape::Triangle, svg::Shape::TriangleDown, svg::Shape::Cross,
                                         svg::Shape::Plus};
  for (std::size_t i = 0; i < shapes.size(); ++i) plot.Mark(i, i, shapes[i], "pt a");
  plot.Mark(kNaN, 1, svg::Shape::Circle, "pt a");
  plot.Mark(1, kInf, svg::Shape::Circle, "pt a");
  plot.Line({0, 1, kNaN, 3, 4}, {0, 1, 2, 3, 4}, "curve");
  plot.Band({0, 5, 10}, {1, 2, 3}, {2, 3, 4}, "band");
  plot.AddLegend({svg::LegendEntry::Kind::Mark, "a", svg::Shape::Diamond, "used <5>"});
  const xmltree::Element svg = xmltree::Parse(plot.Render("a plot & more"));
  EXPECT_EQ(*svg.Attribute("data-plot"), "p<1>");
  EXPECT_EQ(*svg.Attribute("aria-label"), "a plot & more");
  const auto marks = xmltree::FindAll(svg, [](const auto& e) { return e.HasClass("pt") && e.HasClass("a"); });
  EXPECT_EQ(marks.size(), shapes.size());
  const auto curves = xmltree::FindAll(svg, [](const auto& e) { return e.HasClass("curve"); });
  ASSERT_EQ(curves.size(), 1u);
  // The gap at the point that is not a number starts a new stroke.
  const std::string d = *curves.front()->Attribute("d");
  EXPECT_EQ(std::count(d.begin(), d.end(), 'M'), 2);
  EXPECT_NE(svg.AllText().find("speed & \"x\" (mph)"), std::string::npos);
  EXPECT_NE(svg.AllText().find("used <5>"), std::string::npos);
}

}  // namespace
