// The texts of one field: numbers under either decimal mark and clock times.
#include "FieldText.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using importer::DecimalMark;
using importer::NumberShape;

TEST(FieldTextTest, NumbersUnderEitherMark) {
  const struct {
    const char* text;
    NumberShape shape;
    double point;  // NAN: not a number under that mark
    double comma;
  } cases[] = {
      {"12", NumberShape::Whole, 12, 12},
      {"-3", NumberShape::Whole, -3, -3},
      {"+7", NumberShape::Whole, 7, 7},
      {"12.5", NumberShape::PointDecimal, 12.5, NAN},
      {"12,5", NumberShape::CommaDecimal, NAN, 12.5},
      {".5", NumberShape::PointDecimal, 0.5, NAN},
      {"5.", NumberShape::PointDecimal, 5, NAN},
      {",25", NumberShape::CommaDecimal, NAN, 0.25},
      {"1.5e3", NumberShape::PointDecimal, 1500, NAN},
      {"1,5E-2", NumberShape::CommaDecimal, NAN, 0.015},
      {"1e400", NumberShape::Whole, NAN, NAN},  // beyond a double
      {"1.234,5", NumberShape::NotNumber, NAN, NAN},  // thousands separators are not read
      {"", NumberShape::NotNumber, NAN, NAN},
      {".", NumberShape::NotNumber, NAN, NAN},
      {"1e", NumberShape::NotNumber, NAN, NAN},
      {"12 5", NumberShape::NotNumber, NAN, NAN},
      {"nan", NumberShape::NotNumber, NAN, NAN},
      {"0x10", NumberShape::NotNumber, NAN, NAN},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(importer::ShapeOf(c.text), c.shape);
    for (const auto& [mark, expected] : {std::pair{DecimalMark::Point, c.point}, std::pair{DecimalMark::Comma, c.comma}}) {
      const std::optional<double> value = importer::ParseDecimal(c.text, mark);
      if (std::isnan(expected)) {
        EXPECT_FALSE(value.has_value());
      } else {
        ASSERT_TRUE(value.has_value());
        EXPECT_DOUBLE_EQ(*value, expected);
      }
    }
  }
}

TEST(FieldTextTest, ClockTimes) {
  const struct {
    const char* text;
    double seconds;  // NAN: not a clock time
  } cases[] = {
      {"10:15:02", 36902},
      {"10:15:02.25", 36902.25},
      {"10:15:02,25", 36902.25},
      {"9:05:00.5", 32700.5},
      {"00:00:00.000", 0},
      {"23:59:59.999", 86399.999},
      {"12:34.5", 754.5},  // minutes and seconds
      {"2024-05-03 10:15:02.200", 36902.2},
      {"2024-05-03T10:15:02.2Z", 36902.2},
      {"03.05.2024 10:15:02", 36902},
      {"05/03/2024 10:15:02", 36902},
      {"10:15", 615},  // read as mm:ss
      {"24:00:00", NAN},
      {"10:60:00", NAN},
      {"10:5:00", NAN},
      {"10:15:02.", NAN},
      {"12.5", NAN},
      {"Mon 10:15:02", NAN},
      {"10:15:02:01", NAN},
      {"", NAN},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const std::optional<double> t = importer::ParseClock(c.text);
    EXPECT_EQ(importer::IsClockText(c.text), !std::isnan(c.seconds));
    if (!std::isnan(c.seconds)) {
      ASSERT_TRUE(t.has_value());
      EXPECT_NEAR(*t, c.seconds, 1e-9);
    }
  }
}

}  // namespace
