// The HTML page of an analysis, read back as XML: every section, every plot
// with one marker per sample of each status, escaping of user text, and the
// page of a run that ended early.
#include "html/Page.h"

#include <gtest/gtest.h>

#include <tuple>

#include "tests/TestSupport.h"
#include "tests/record/HandBuiltRecord.h"
#include "tests/html/XmlTree.h"

namespace {

using record::SampleRecord;
using record::SampleStatus;
using record::SetKind;
using xmltree::Element;
using xmltree::FindAll;
using xmltree::Named;

const std::string kTruth = testsupport::ReadFile(std::string(COASTDOWN_SOURCE_DIR) + "/examples/light-wind/truth.txt");

// The page parsed, after the checks every page of the analysis must pass.
Element Parsed(const std::string& page) {
  return xmltree::ParsedPage(page, "result road-load runs fit wind calibration provenance ");
}

// The markers of a plot that carry all the classes given; -1 without the plot.
long Marks(const Element& root, const char* plot, std::initializer_list<std::string> classes) {
  const Element* svg = xmltree::FindBy(root, "data-plot", plot);
  if (svg == nullptr) return -1;
  return static_cast<long>(FindAll(*svg, [&](const Element& e) {
                             return e.HasClass("pt") &&
                                    std::ranges::all_of(classes, [&](const std::string& c) { return e.HasClass(c); });
                           }).size());
}

long Count(const record::AnalysisRecord& r, const std::function<bool(const SampleRecord&)>& match) {
  return std::ranges::count_if(r.samples, match);
}

// Each plot of samples draws one marker per sample of each status whose
// value is a number, on a whole test and on one that ended early.
TEST(PageTest, SamplePlotsDrawOneMarkerPerSampleOfEachStatus) {
  const std::tuple<const char*, SetKind, double SampleRecord::*> plots[] = {
      {"fit", SetKind::Data, &SampleRecord::deceleration},
      {"residual-speed", SetKind::Data, &SampleRecord::filterResidual},
      {"residual-run", SetKind::Data, &SampleRecord::residual},
      {"cal-yaw", SetKind::Cal, &SampleRecord::yaw},
  };
  for (const auto& r : {handbuilt::Test(5, 60), handbuilt::EndedEarly()}) {
    const Element root = Parsed(html::HtmlPage(r, ""));
    for (const auto& [plot, set, value] : plots) {
      // The calibration's plot only when the calibration ran.
      const bool drawn = set == SetKind::Data || r.calibration.ran;
      long total = 0;
      for (const SampleStatus status :
           {SampleStatus::Used, SampleStatus::NegativeDeceleration, SampleStatus::FilterOutlier,
            SampleStatus::YawOutlier, SampleStatus::OutsideWindow, SampleStatus::NotUsed}) {
        const long expected = drawn ? Count(r,
                                            [&](const SampleRecord& s) {
                                              return s.set == set && s.status == status && std::isfinite(s.*value) &&
                                                     std::isfinite(s.speed);
                                            })
                                    : 0;
        total += expected;
        std::string cls = record::StatusName(status);
        std::ranges::replace(cls, ' ', '-');
        EXPECT_EQ(std::max(Marks(root, plot, {cls}), 0L), expected) << plot << " " << cls;
      }
      // A plot with nothing to draw is left out, with a sentence in its place.
      EXPECT_EQ(xmltree::FindBy(root, "data-plot", plot) != nullptr, total > 0) << plot;
    }
  }
}

TEST(PageTest, WholeTestShowsEveryPlot) {
  const record::AnalysisRecord r = handbuilt::Test(6, 80);
  const std::string page = html::HtmlPage(r, kTruth);
  ASSERT_EQ(page.rfind("<!DOCTYPE html>\n", 0), 0u);
  const Element root = Parsed(page);
  // Speed against time: one line per DATA run, odd and even runs told apart.
  const auto runs = FindAll(root, [](const Element& e) { return e.Attribute("data-run") != nullptr; });
  ASSERT_EQ(runs.size(), 6u);
  for (const Element* line : runs)
    EXPECT_TRUE(line->HasClass(std::stoi(*line->Attribute("data-run")) % 2 ? "odd" : "even"));
  // The wind of every used sample, and the yaw histogram holding each of them once.
  const long used =
      Count(r, [](const SampleRecord& s) { return s.set == SetKind::Data && s.status == SampleStatus::Used; });
  EXPECT_EQ(Marks(root, "wind-polar", {"wind"}), used);
  long binned = 0;
  for (const Element* bar : FindAll(root, [](const Element& e) { return e.HasClass("bar"); })) {
    binned += std::stol(*bar->Attribute("data-count"));
  }
  EXPECT_EQ(binned, used);
  // The road-load points inside the tested speeds, 15 to 70 mph, the band
  // and the truth beside the fit.
  EXPECT_EQ(Marks(root, "roadload", {"rl"}), 5);
  const Element* roadload = xmltree::FindBy(root, "data-plot", "roadload");
  ASSERT_NE(roadload, nullptr);
  const Element& drawn = *FindAll(*roadload, [](const Element& e) { return e.HasClass("data"); }).at(0);
  for (const char* cls : {"band", "fit", "truth"}) EXPECT_EQ(Named(drawn, "path", cls).size(), 1u) << cls;
  // Each CAL run before and after calibration, head and cross.
  EXPECT_EQ(Marks(root, "cal-wind", {"cal", "before"}), 8);
  EXPECT_EQ(Marks(root, "cal-wind", {"cal", "after"}), 8);
  // A row for every run file read.
  EXPECT_EQ(Named(root, "tr", "file").size(), 12u);
}

// Written to a file as it is made, a few figures at a time, the page is
// the same page.
TEST(PageTest, WrittenInPartsItIsTheWholePage) {
  const record::AnalysisRecord r = handbuilt::Test(20, 100);
  std::string parts;
  int count = 0;
  html::WriteHtmlPage(r, kTruth, [&](std::string_view part) {
    parts += part;
    ++count;
  });
  EXPECT_GT(count, 3);
  EXPECT_EQ(parts, html::HtmlPage(r, kTruth));
}

TEST(PageTest, UserTextStaysText) {
  record::AnalysisRecord r = handbuilt::Test(2, 30);
  r.commandText = "</code><script>alert(1)</script>";
  r.fields[0] = "/tmp/a&b <i>x</i> \"q\" 'r' \xFF";
  r.Set(SetKind::Data).files[0].name = "<img src=x>";
  const Element root = Parsed(html::HtmlPage(r, ""));
  for (const char* tag : {"script", "b", "i", "img"}) EXPECT_TRUE(Named(root, tag).empty()) << tag;
  const auto titles = Named(root, "title");
  ASSERT_EQ(titles.size(), 1u);
  EXPECT_NE(titles[0]->text.find("/tmp/a&b <i>x</i> \"q\" 'r' \xEF\xBF\xBD"), std::string::npos);
  EXPECT_NE(root.AllText().find("</code><script>alert(1)</script>"), std::string::npos);
  EXPECT_NE(root.AllText().find("later files not analysed <b>&</b>"), std::string::npos);
}

// A run that an error ended, even before it read anything, still gets a
// whole page.
TEST(PageTest, RunThatEndedEarlySaysWhy) {
  Parsed(html::HtmlPage(record::AnalysisRecord{}, ""));
  const Element root = Parsed(html::HtmlPage(handbuilt::EndedEarly(), ""));
  const auto banners = FindAll(root, [](const Element& e) { return e.HasClass("banner"); });
  ASSERT_EQ(banners.size(), 1u);
  EXPECT_TRUE(banners[0]->HasClass("fail"));
  EXPECT_NE(banners[0]->text.find("run-time error 62: Input past end of file (/tmp/t/DATA.3 line 12)"),
            std::string::npos);
  // The file the error ended the set at, and the set's end, marked.
  const auto failed = Named(root, "tr", "fail");
  ASSERT_EQ(failed.size(), 2u);
  EXPECT_NE(failed[0]->AllText().find("DATA.3"), std::string::npos);
  EXPECT_NE(failed[1]->AllText().find("DATA set ended by run-time error 62"), std::string::npos);
  // Sections with nothing to show say so: results, checks, road load, residuals, wind, yaw, calibration.
  EXPECT_GE(FindAll(root, [](const Element& e) { return e.HasClass("missing"); }).size(), 8u);
  for (const char* plot : {"roadload", "residual-speed", "residual-run", "wind-polar", "yaw-histogram", "cal-wind"}) {
    EXPECT_EQ(xmltree::FindBy(root, "data-plot", plot), nullptr) << plot;
  }
}

}  // namespace
