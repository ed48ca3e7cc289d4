// The trimming over sixty seeds of every trace of known coast: the figures
// the README gives.
#include <gtest/gtest.h>

#include "CoastCases.h"

namespace {

TEST(CoastSeedsTest, FindsEveryCoastWithinOneRecordOverSixtySeeds) { importtest::ExpectEveryCoastFound(60); }

}  // namespace
