// The truth of a simulated test as the page reads it.
#include "html/Truth.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/TestSupport.h"

namespace {

TEST(TruthTest, ReadsTheShippedExample) {
  const html::Truth truth(testsupport::ReadFile(std::string(COASTDOWN_SOURCE_DIR) + "/examples/light-wind/truth.txt"));
  ASSERT_TRUE(truth.HasRoadLoad());
  EXPECT_DOUBLE_EQ(truth.Value("Cmech"), 0.002);  // "0.002000 ^ 2"
  EXPECT_DOUBLE_EQ(truth.Value("Cd"), 0.32);
  EXPECT_DOUBLE_EQ(truth.Value("K4"), 0.134112);  // written ".134112"
  EXPECT_DOUBLE_EQ(truth.Value("Ka"), 1.02040816326531);
  EXPECT_DOUBLE_EQ(truth.Value("Head"), 4.33);      // the average wind comes before the largest
  EXPECT_TRUE(std::isnan(truth.Value("Made by")));  // comment lines are not read
  // Amech, Bmech and Ctotl ("0.019536 N/MPH ^ 2").
  EXPECT_DOUBLE_EQ(truth.ForceLbf(50.0), 30.0 + 0.25 * 50.0 + 0.019536 * 2500.0);
}

}  // namespace
