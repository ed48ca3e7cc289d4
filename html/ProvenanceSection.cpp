// The last section: what produced the page and from which files.
#include "html/Html.h"
#include "html/PageParts.h"

namespace html {

using record::AnalysisRecord;
using record::SetKind;

void ProvenanceSection(const PageContext& c, std::string& out) {
  const AnalysisRecord& r = c.record;
  out += "<section id=\"provenance\"><h2>Provenance</h2><table class=\"provenance\">";
  const auto row = [&](std::string_view name, const std::string& value) {
    out += "<tr><th>" + std::string(name) + "</th>" + Cell(value) + "</tr>";
  };
  row("Program", "coastdown " + (r.programVersion.empty() ? std::string(html::kDash) : Escape(r.programVersion)));
  row("Date", r.date.empty() ? std::string(html::kDash) : Escape(r.date));
  row("Command text", "<code>" + Escape(r.commandText) + "</code>");
  row("Report", r.reportPath.empty() ? std::string(html::kDash)
                                     : Escape(r.reportPath) + (r.reportWritten ? "" : " (not written)"));
  row("Exit status", Count(r.exitStatus));
  if (r.error.number != 0) row("Error", Escape(ErrorText(r.error)));
  if (r.reportError.number != 0) row("Report error", Escape(ErrorText(r.reportError)));
  out += "</table><table class=\"files\"><caption>Run files</caption>";
  out += HeaderRow({"File", "Path", "State", "Bytes", "SHA-256"});
  long files = 0;
  for (const SetKind kind : record::kSetKinds) {
    for (const record::FileRecord& f : r.Set(kind).files) {
      static constexpr std::array<const char*, 5> kStates = {"missing", "empty", "read", "error", "empty, held open"};
      files += 1;
      out +=
          "<tr>" + Cell(Escape(f.name)) + Cell("<code>" + Escape(f.path) + "</code>") +
          Cell(kStates[static_cast<std::size_t>(f.state)]) +
          NumCell(f.state == record::FileRecord::State::Missing ? std::string(kDash)
                                                                : Count(static_cast<long long>(f.bytes))) +
          Cell(f.sha256.empty() ? std::string(html::kDash) : "<code class=\"hash\">" + Escape(f.sha256) + "</code>") +
          "</tr>";
    }
  }
  if (files == 0) out += "<tr><td colspan=\"5\">" + EndedWhy(r, "No run file was looked for") + "</td></tr>";
  out += "</table></section>";
}

}  // namespace html
