// The HTML page of one analysis: one self-contained file, readable offline
// and printable, written from the analysis record alone. Every section
// copes with a run that ended early: what the record does not hold is shown
// as a dash, or the section says in a sentence why it has nothing to show.
#include "html/Page.h"

#include <cstddef>
#include <vector>

#include "html/Html.h"
#include "html/PageParts.h"
#include "html/PageStyle.h"

namespace html {
namespace {

std::string Head(const PageContext& c) {
  const std::string folder = c.record.fields.empty() ? std::string() : c.record.fields.front();
  std::string out =
      "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"/>"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\"/>"
      "<meta name=\"generator\" content=\"coastdown " +
      Escape(c.record.programVersion) + "\"/>";
  out += "<title>Coastdown road load \u2013 " + Escape(folder) + "</title><style>" + std::string(kPageStyle) +
         "</style></head>\n<body>";
  out += "<header><h1>Coastdown road load</h1><p class=\"folder\"><code>" + Escape(folder) + "</code>";
  if (!c.record.date.empty()) out += " \u00B7 " + Escape(c.record.date);
  if (c.record.intervals.ran) {
    out +=
        "</p><nav><a href=\"#result\">Result</a> <a href=\"#intervals\">Intervals</a> <a href=\"#runs\">Runs</a> "
        "<a href=\"#provenance\">Provenance</a></nav></header>\n";
    return out;
  }
  out += "</p><nav><a href=\"#result\">Result</a> <a href=\"#road-load\">Road load</a> ";
  // The impulse method's section takes the place of the specified fit's.
  out += c.record.impulse.ran ? "<a href=\"#impulse\">Impulse</a> <a href=\"#runs\">Runs</a> "
                              : "<a href=\"#runs\">Runs</a> <a href=\"#fit\">Fit</a> ";
  out += "<a href=\"#wind\">Wind</a> <a href=\"#calibration\">Calibration</a> "
         "<a href=\"#provenance\">Provenance</a></nav></header>\n";
  return out;
}

// The page into `page`, which the context's writer may empty on the way.
void Page(const PageContext& c, std::string& page) {
  using Section = void (*)(const PageContext&, std::string&);
  // The interval method has a section of its own in place of the fit's.
  const std::vector<Section> sections =
      c.record.intervals.ran
          ? std::vector<Section>{ResultSection, IntervalsSection, RunsSection, ProvenanceSection}
      // The impulse method's section stands in place of the fit's.
      : c.record.impulse.ran
          ? std::vector<Section>{ResultSection, RoadLoadSection, ImpulseSection, RunsSection, WindSection,
                                 CalibrationSection, ProvenanceSection}
          : std::vector<Section>{ResultSection, RoadLoadSection, RunsSection, FitSection, WindSection,
                                 CalibrationSection, ProvenanceSection};
  page += Head(c);
  for (const Section section : sections) {
    section(c, page);
    page += '\n';
    PassOn(c, page);
  }
  page += "</body></html>\n";
}

}  // namespace

void WriteHtmlPage(const record::AnalysisRecord& record, std::string_view truthText, const record::OutputSink& write) {
  constexpr std::size_t kPart = std::size_t{64} * 1024;
  std::string page;
  // A figure of the largest plots is some 150 kB.
  page.reserve(std::size_t{256} * 1024);
  PageContext c = MakePageContext(record, truthText);
  c.passOn = [&](std::string& part) {
    if (part.size() < kPart) return;
    write(part);
    part.clear();
  };
  c.handOn = [&](std::string& page, std::string_view part) {
    if (part.size() < kPart) {
      page.append(part);
      return;
    }
    write(page);
    page.clear();
    write(part);
  };
  Page(c, page);
  write(page);
}

std::string HtmlPage(const record::AnalysisRecord& record, std::string_view truthText) {
  const PageContext c = MakePageContext(record, truthText);
  std::string page;
  // Some 300 bytes a sample over all plots, and the tables besides.
  page.reserve(std::size_t{256} * 1024 + record.samples.size() * 300);
  Page(c, page);
  return page;
}

}  // namespace html
