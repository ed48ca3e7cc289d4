// The page of the interval method, as the program writes it for the shipped
// speed-only example: well-formed, its own sections, the accuracy at each
// reference speed against its limit, and the forces with the fitted curve,
// its band and the simulator's truth.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "tests/TestSupport.h"
#include "tests/html/XmlTree.h"

namespace {

using xmltree::Element;
using xmltree::FindAll;
using xmltree::Named;

TEST(IntervalsPageTest, ShippedSpeedOnlyExample) {
  testsupport::ScratchDir dir;
  std::filesystem::copy(std::string(COASTDOWN_SOURCE_DIR) + "/examples/speed-only", dir.path());
  const std::string command = testsupport::ReadFile(dir / "COMMAND");
  const std::string fields = dir.path() + command.substr(command.find(','), command.find('\n') - command.find(','));
  const auto run = testsupport::Run(COASTDOWN_EXE, {"--method", "intervals", "--rate", "10", "--track-wind",
                                                    dir / "trackwind.csv", "--html", dir / "page.html", fields});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string page = testsupport::ReadFile(dir / "page.html");
  const Element root = xmltree::ParsedPage(page, "result intervals runs provenance ");
  EXPECT_NE(page.find("Method: reference-speed intervals"), std::string::npos);
  // p at each of the 11 reference speeds, 20 to 120 km/h, and the limit.
  const Element* accuracy = xmltree::FindBy(root, "data-plot", "accuracy");
  ASSERT_NE(accuracy, nullptr);
  EXPECT_EQ(FindAll(*accuracy, [](const Element& e) { return e.HasClass("pt"); }).size(), 11u);
  EXPECT_FALSE(Named(*accuracy, "line", "limit").empty() && Named(*accuracy, "path", "limit").empty());
  // A force at each reference speed, the fitted curve, its band and the truth.
  const Element* forces = xmltree::FindBy(root, "data-plot", "forces");
  ASSERT_NE(forces, nullptr);
  EXPECT_EQ(FindAll(*forces, [](const Element& e) { return e.HasClass("pt") && e.HasClass("rl"); }).size(), 11u);
  const Element& drawn = *FindAll(*forces, [](const Element& e) { return e.HasClass("data"); }).at(0);
  for (const char* cls : {"band", "fit", "truth"}) EXPECT_EQ(Named(drawn, "path", cls).size(), 1u) << cls;
  // The interval table: a row per run and per pair.
  EXPECT_EQ(Named(root, "tr", "pairrow").size(), 3u);
}

}  // namespace
