// The HTML page of an analysis, read back as XML: every section, every plot
// with one marker per sample of each status, escaping of user text, and
// pages of runs that ended early or hold values that are not numbers.
#include "html/Page.h"

#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#include "tests/html/HandBuiltRecord.h"
#include "tests/html/XmlTree.h"

namespace {

using record::SampleRecord;
using record::SampleStatus;
using record::SetKind;
using xmltree::Element;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr std::array<const char*, 7> kSections = {"result", "road-load",   "runs",      "fit",
                                                  "wind",   "calibration", "provenance"};
constexpr std::array<SampleStatus, 6> kStatuses = {SampleStatus::Used,          SampleStatus::NegativeDeceleration,
                                                   SampleStatus::FilterOutlier, SampleStatus::YawOutlier,
                                                   SampleStatus::OutsideWindow, SampleStatus::NotUsed};

std::string ExampleTruth() {
  std::ifstream in(std::string(COASTDOWN_SOURCE_DIR) + "/examples/light-wind/truth.txt");
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The page parsed; a page that is not well-formed fails the test here.
Element Parsed(const std::string& page) {
  try {
    return xmltree::Parse(page);
  } catch (const std::exception& error) {
    ADD_FAILURE() << "not well-formed: " << error.what();
    return {};
  }
}

std::string StatusClass(SampleStatus status) {
  std::string name = record::StatusName(status);
  for (char& c : name) c = c == ' ' ? '-' : c;
  return name;
}

// The markers of a plot that carry all the classes given.
long Marks(const Element& root, const char* plot, std::initializer_list<std::string_view> classes) {
  const Element* svg = xmltree::FindBy(root, "data-plot", plot);
  if (svg == nullptr) return -1;
  return static_cast<long>(xmltree::FindAll(*svg, [&](const Element& e) {
                             if (!e.HasClass("pt")) return false;
                             for (const auto cls : classes) {
                               if (!e.HasClass(cls)) return false;
                             }
                             return true;
                           }).size());
}

long Count(const record::AnalysisRecord& r, const std::function<bool(const SampleRecord&)>& match) {
  return std::count_if(r.samples.begin(), r.samples.end(), match);
}

// "nan", "inf" or "infinity" in any case standing as a word anywhere in the page.
bool ShowsNotANumber(const std::string& page) {
  const auto letter = [](char ch) { return std::isalpha(static_cast<unsigned char>(ch)) != 0; };
  std::size_t start = 0;
  while (start < page.size()) {
    while (start < page.size() && !letter(page[start])) ++start;
    std::size_t end = start;
    while (end < page.size() && letter(page[end])) ++end;
    std::string word = page.substr(start, end - start);
    for (char& ch : word) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    if (word == "nan" || word == "inf" || word == "infinity") return true;
    start = end;
  }
  return false;
}

void ExpectEverySection(const Element& root) {
  const auto sections = xmltree::FindAll(root, [](const Element& e) { return e.name == "section"; });
  ASSERT_EQ(sections.size(), kSections.size());
  for (std::size_t i = 0; i < kSections.size(); ++i) EXPECT_EQ(*sections[i]->Attribute("id"), kSections[i]);
}

// Which samples each sample plot draws, one marker per sample.
struct PlotCase {
  const char* plot;
  SetKind set;
  double SampleRecord::*value;  // the sample is drawn when this is a number
  bool needsCalibration;        // drawn only when the calibration ran
};

class SamplePlotTest : public ::testing::TestWithParam<PlotCase> {};

TEST_P(SamplePlotTest, OneMarkerPerSampleOfEachStatus) {
  const PlotCase& c = GetParam();
  for (const auto& r : {handbuilt::Test(5, 60), handbuilt::EndedEarly()}) {
    const Element root = Parsed(HtmlPage(r, ""));
    long total = 0;
    for (const SampleStatus status : kStatuses) {
      const long expected = Count(r, [&](const SampleRecord& s) {
        return s.set == c.set && s.status == status && std::isfinite(s.*c.value) && std::isfinite(s.speed);
      });
      total += expected;
      const long drawn = Marks(root, c.plot, {StatusClass(status)});
      if (!c.needsCalibration || r.calibration.ran) {
        EXPECT_EQ(std::max(drawn, 0L), expected) << c.plot << " " << record::StatusName(status);
      }
    }
    if (c.needsCalibration && !r.calibration.ran) total = 0;
    // A plot with nothing to draw is left out, with a sentence in its place.
    EXPECT_EQ(xmltree::FindBy(root, "data-plot", c.plot) != nullptr, total > 0) << c.plot;
  }
}

INSTANTIATE_TEST_SUITE_P(Plots, SamplePlotTest,
                         ::testing::Values(PlotCase{"fit", SetKind::Data, &SampleRecord::deceleration, false},
                                           PlotCase{"residual-speed", SetKind::Data, &SampleRecord::filterResidual,
                                                    false},
                                           PlotCase{"residual-run", SetKind::Data, &SampleRecord::residual, false},
                                           PlotCase{"cal-yaw", SetKind::Cal, &SampleRecord::yaw, true}),
                         [](const auto& info) {
                           std::string name = info.param.plot;
                           for (char& ch : name) ch = ch == '-' ? '_' : ch;
                           return name;
                         });

TEST(PageTest, WholeTestShowsEverySectionAndPlot) {
  const record::AnalysisRecord r = handbuilt::Test(6, 80);
  const std::string page = HtmlPage(r, ExampleTruth());
  ASSERT_EQ(page.rfind("<!DOCTYPE html>\n", 0), 0u);
  const Element root = Parsed(page);
  ExpectEverySection(root);
  EXPECT_FALSE(ShowsNotANumber(page));

  // Speed against time: one line per DATA run, odd and even runs told apart.
  const auto runs = xmltree::FindAll(root, [](const Element& e) { return e.Attribute("data-run") != nullptr; });
  ASSERT_EQ(runs.size(), 6u);
  for (const Element* line : runs) {
    const bool odd = std::stoi(*line->Attribute("data-run")) % 2 != 0;
    EXPECT_TRUE(line->HasClass(odd ? "odd" : "even"));
  }
  // The wind of every used sample, and the yaw histogram holding each of them once.
  const long used =
      Count(r, [](const SampleRecord& s) { return s.set == SetKind::Data && s.status == SampleStatus::Used; });
  EXPECT_EQ(Marks(root, "wind-polar", {"wind"}), used);
  long binned = 0;
  for (const Element* bar : xmltree::FindAll(root, [](const Element& e) { return e.HasClass("bar"); })) {
    binned += std::stol(*bar->Attribute("data-count"));
  }
  EXPECT_EQ(binned, used);
  // The reported road-load points over the tested speeds (the first
  // sample of each run, at 70 mph, gained speed and was not used), the
  // band and the truth beside the fit.
  long tested = 0;
  for (const auto& p : r.uncertainty.roadLoad) tested += p.speedMph > 15.0 && p.speedMph < 70.0 ? 1 : 0;
  EXPECT_EQ(Marks(root, "roadload", {"rl"}), tested);
  const Element* roadload = xmltree::FindBy(root, "data-plot", "roadload");
  ASSERT_NE(roadload, nullptr);
  const Element* data = xmltree::FindAll(*roadload, [](const Element& e) { return e.HasClass("data"); }).at(0);
  for (const char* cls : {"band", "fit", "truth"}) {
    EXPECT_EQ(xmltree::FindAll(*data, [&](const Element& e) { return e.name == "path" && e.HasClass(cls); }).size(), 1u)
        << cls;
  }
  // Each CAL run before and after calibration, head and cross.
  EXPECT_EQ(Marks(root, "cal-wind", {"cal", "before"}), 8);
  EXPECT_EQ(Marks(root, "cal-wind", {"cal", "after"}), 8);
  // A row for every run file read.
  EXPECT_EQ(xmltree::FindAll(root, [](const Element& e) { return e.name == "tr" && e.HasClass("file"); }).size(), 12u);
}

TEST(PageTest, FailedChecksComeFirstAndMarked) {
  const Element root = Parsed(HtmlPage(handbuilt::Test(2, 30), ""));
  const auto rows = xmltree::FindAll(root, [](const Element& e) { return e.Attribute("data-check") != nullptr; });
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(*rows[0]->Attribute("data-check"), "gusts");
  EXPECT_TRUE(rows[0]->HasClass("fail"));
  EXPECT_NE(rows[0]->AllText().find("FAIL"), std::string::npos);
  EXPECT_EQ(*rows[3]->Attribute("data-check"), "cal_pairs");  // not applicable: last
  EXPECT_TRUE(rows[3]->HasClass("na"));
}

TEST(PageTest, TruthOutsideAnIntervalIsMarked) {
  record::AnalysisRecord r = handbuilt::Test(2, 30);
  auto& caero = r.results.report[3];
  caero.low = caero.high = caero.value;  // held at the known Cd: no interval
  const Element root = Parsed(HtmlPage(r, "Amech: 40\nBmech: 0.25\nCaero: 0.0176\nCtotl: 0.01953\n"));
  const auto rows = xmltree::FindAll(root, [](const Element& e) { return e.name == "tr"; });
  std::map<std::string, bool> marked;
  for (const Element* row : rows) {
    if (row->children.size() < 7) continue;
    marked[row->children[0].text] = row->children[6].HasClass("outside");
  }
  EXPECT_TRUE(marked.at("Amech"));   // 40 against 27.4 ... 32.6
  EXPECT_FALSE(marked.at("Bmech"));  // inside
  EXPECT_FALSE(marked.at("Caero"));  // held, however far
  EXPECT_FALSE(marked.at("Cd"));     // no truth given
}

TEST(PageTest, UserTextStaysText) {
  record::AnalysisRecord r = handbuilt::Test(2, 30);
  r.commandText = "</code><script>alert(1)</script>";
  r.fields[0] = "/tmp/a&b <i>x</i> \"q\" 'r' \xFF";
  r.Set(SetKind::Data).files[0].name = "<img src=x>";
  const std::string page = HtmlPage(r, "");
  const Element root = Parsed(page);
  for (const char* tag : {"script", "b", "i", "img"}) {
    EXPECT_TRUE(xmltree::FindAll(root, [&](const Element& e) { return e.name == tag; }).empty()) << tag;
  }
  const auto titles = xmltree::FindAll(root, [](const Element& e) { return e.name == "title"; });
  ASSERT_EQ(titles.size(), 1u);
  EXPECT_NE(titles[0]->text.find("/tmp/a&b <i>x</i> \"q\" 'r' \xEF\xBF\xBD"), std::string::npos);
  EXPECT_NE(root.AllText().find("</code><script>alert(1)</script>"), std::string::npos);
  EXPECT_NE(root.AllText().find("later files not analysed <b>&</b>"), std::string::npos);
}

TEST(PageTest, RunThatEndedEarlySaysWhy) {
  const record::AnalysisRecord r = handbuilt::EndedEarly();
  const std::string page = HtmlPage(r, "");
  const Element root = Parsed(page);
  ExpectEverySection(root);
  EXPECT_FALSE(ShowsNotANumber(page));
  const auto banners = xmltree::FindAll(root, [](const Element& e) { return e.HasClass("banner"); });
  ASSERT_EQ(banners.size(), 1u);
  EXPECT_TRUE(banners[0]->HasClass("fail"));
  EXPECT_NE(banners[0]->text.find("run-time error 62: Input past end of file (/tmp/t/DATA.3 line 12)"),
            std::string::npos);
  // The file the error ended the set at, and the set's end, marked.
  const auto failed = xmltree::FindAll(root, [](const Element& e) { return e.name == "tr" && e.HasClass("fail"); });
  ASSERT_EQ(failed.size(), 2u);
  EXPECT_NE(failed[0]->AllText().find("DATA.3"), std::string::npos);
  EXPECT_NE(failed[1]->AllText().find("DATA set ended by run-time error 62"), std::string::npos);
  // Sections with nothing to show say so: results, checks, road load, residuals, wind, yaw, calibration.
  EXPECT_GE(xmltree::FindAll(root, [](const Element& e) { return e.HasClass("missing"); }).size(), 8u);
  for (const char* plot : {"roadload", "residual-speed", "residual-run", "wind-polar", "yaw-histogram", "cal-wind"}) {
    EXPECT_EQ(xmltree::FindBy(root, "data-plot", plot), nullptr) << plot;
  }
}

// A record with one thing missing or not a number, as a run may leave it.
struct DamageCase {
  const char* name;
  void (*damage)(record::AnalysisRecord&);
};

class DamagedRecordTest : public ::testing::TestWithParam<DamageCase> {};

TEST_P(DamagedRecordTest, PageStaysWholeAndShowsNoNan) {
  record::AnalysisRecord r = handbuilt::Test(3, 40);
  GetParam().damage(r);
  const std::string page = HtmlPage(r, GetParam().name == std::string("truth") ? "Amech: 1\nBmech: 0\nCtotl: 0\n" : "");
  ExpectEverySection(Parsed(page));
  EXPECT_FALSE(ShowsNotANumber(page));
}

INSTANTIATE_TEST_SUITE_P(
    Damage, DamagedRecordTest,
    ::testing::Values(
        DamageCase{"empty_record", [](record::AnalysisRecord& r) { r = record::AnalysisRecord{}; }},
        DamageCase{"no_final_fit", [](record::AnalysisRecord& r) { r.finalFit.completed = false; }},
        DamageCase{"no_uncertainty", [](record::AnalysisRecord& r) { r.uncertainty = {}; }},
        DamageCase{"short_correlation", [](record::AnalysisRecord& r) { r.uncertainty.correlation.resize(1); }},
        DamageCase{"factors_not_numbers",
                   [](record::AnalysisRecord& r) { r.mechFactor = r.aeroFactor = r.speedFactor = kNaN; }},
        DamageCase{"sample_values_not_numbers",
                   [](record::AnalysisRecord& r) {
                     for (auto& s : r.samples) s.speed = s.force = s.head = s.yaw = s.residual = kNaN;
                   }},
        DamageCase{"one_infinite_sample",
                   [](record::AnalysisRecord& r) { r.samples.back().force = r.samples.back().speed = 1.0 / 0.0; }},
        DamageCase{"limits_infinite",
                   [](record::AnalysisRecord& r) { r.filter.limit = r.calibration.yawLimit = 1.0 / 0.0; }},
        DamageCase{"interval_missing", [](record::AnalysisRecord& r) { r.results.report[0].low = kNaN; }},
        DamageCase{"estimates_not_numbers",
                   [](record::AnalysisRecord& r) {
                     for (auto& e : r.results.si) e = {"m0", "N", kNaN, kNaN, kNaN, kNaN};
                   }},
        DamageCase{"no_fields_or_files",
                   [](record::AnalysisRecord& r) {
                     r.fields.clear();
                     for (auto& set : r.sets) set.files.clear();
                   }},
        DamageCase{"calibration_without_runs", [](record::AnalysisRecord& r) { r.calibration.runs.clear(); }},
        DamageCase{"one_sample_per_run",
                   [](record::AnalysisRecord& r) {
                     std::erase_if(r.samples, [](const SampleRecord& s) { return s.time != 3; });
                   }},
        DamageCase{"all_same_yaw",
                   [](record::AnalysisRecord& r) {
                     for (auto& s : r.samples) s.yaw = 0.0;
                   }},
        DamageCase{"window_without_bounds",
                   [](record::AnalysisRecord& r) { r.window = {true, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, 0}; }},
        DamageCase{"truth", [](record::AnalysisRecord&) {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PageTest, TwentyRunsStayUnderTwoMegabytes) {
  EXPECT_LT(HtmlPage(handbuilt::Test(20, 100), ExampleTruth()).size(), 2'000'000u);
}

}  // namespace
