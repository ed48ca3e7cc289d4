// The warnings of a run and the explanation of the error that ended one.
#include "record/Warnings.h"

#include <cmath>
#include <utility>

#include "common/RuntimeError.h"
#include "record/Checks.h"

namespace record {

namespace {

// A field's text as a warning quotes it: bytes that do not print shown as \xNN.
std::string Printable(const std::string& text) {
  std::string shown;
  for (unsigned char c : text) {
    if (c >= 0x20 && c < 0x7f && c != '"') {
      shown.push_back(static_cast<char>(c));
    } else {
      static constexpr char kHex[] = "0123456789ABCDEF";
      shown += "\\x";
      shown.push_back(kHex[c >> 4]);
      shown.push_back(kHex[c & 15]);
    }
  }
  return shown;
}

// A byte-order mark of UTF-16, or NUL bytes: text of two bytes a character.
bool LooksUtf16(const std::string& text) {
  return text.rfind("\xFF\xFE", 0) == 0 || text.rfind("\xFE\xFF", 0) == 0 || text.find('\0') != std::string::npos;
}

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// How the set ended, when that left files of it unread.
void WarnSetEnd(const SetRecord& set, std::vector<std::string>& warnings) {
  if (set.files.empty()) return;
  const FileRecord& f = set.files.back();
  if (set.end == SetRecord::End::Error) {
    warnings.push_back(f.name + ": run-time error " + std::to_string(set.error.number) + ": " +
                       set.error.description + (set.error.detail.empty() ? "" : " (" + set.error.detail + ")") +
                       (LooksUtf16(f.zeroFieldText) ? ", it is UTF-16 text, not 8-bit text" : "") + "; " + f.name +
                       " and the runs after it are not analysed");
  } else if (set.end == SetRecord::End::HeldOpen) {
    // Told whether or not later files are there: the user is likely to
    // expect this run in the analysis.
    warnings.push_back("the " + std::string(SetName(set.kind)) + " set ends at " + f.name +
                       ", which is empty and held open by another program (a logger still writing it?): it is left "
                       "in place, and it" +
                       (set.laterFiles.empty() ? "" : " and " + set.laterFiles) + " are not analysed");
  } else if ((set.end == SetRecord::End::Missing || set.end == SetRecord::End::Empty) && !set.laterFiles.empty()) {
    const std::string lost = set.kind == SetKind::Zero  ? "the yaw offset is taken without them"
                             : set.kind == SetKind::Cal ? "the calibration is made without them"
                                                        : "they are not analysed";
    std::string text = "the " + std::string(SetName(set.kind)) + " set ends at " + f.name + ", which ";
    text += set.end == SetRecord::End::Empty ? "was empty and has been deleted: " : "is missing: ";
    text += set.laterFiles;
    text += set.laterFiles.find(',') == std::string::npos ? " is in the folder, but " : " are in the folder, but ";
    text += lost;
    warnings.push_back(text);
  }
}

// What the text of a file held besides its records.
void WarnFileText(const FileRecord& f, std::vector<std::string>& warnings) {
  if (LooksUtf16(f.zeroFieldText)) {
    // A file that an error ended says so in the set's warning.
    if (f.state != FileRecord::State::Error) {
      warnings.push_back(f.name + " is UTF-16 text, not 8-bit text: its fields read as 0");
    }
    return;
  }
  if (f.zeroFields > 0) {
    const std::string what = f.zeroFieldText.empty() ? "an empty field" : "\"" + Printable(f.zeroFieldText) + "\"";
    warnings.push_back(f.name + ": " + std::to_string(f.zeroFields) +
                       (f.zeroFields == 1 ? " field was" : " fields were") +
                       " not a number and read as 0 (the first at line " + std::to_string(f.zeroFieldLine) +
                       ", field " + std::to_string(f.zeroFieldPosition) + ": " + what + ")");
  }
  if (f.linesNotOneRecord > 0) {
    warnings.push_back(f.name + ": " + std::to_string(f.linesNotOneRecord) +
                       (f.linesNotOneRecord == 1 ? " line does" : " lines do") +
                       " not hold one record of three numbers (the first, line " +
                       std::to_string(f.notOneRecordLine) + ", holds " + std::to_string(f.notOneRecordFields) +
                       "); records were read across lines");
  }
}

// What the fit could not tell apart, or could not judge at all.
void WarnFit(const AnalysisRecord& record, std::vector<std::string>& warnings) {
  const double r = record.uncertainty.correlationM2A0;
  if (std::isfinite(r) && std::fabs(r) > 0.99) {
    warnings.push_back("the fit cannot tell the mechanical V^2 term from the aerodynamic term (their correlation is " +
                       ShortNumber(r) +
                       "): the wind did not vary enough between the samples, so Cmech, Caero and Cd are not "
                       "determined, only their sum Ctotl. Give the drag coefficient in the CD field to hold the "
                       "aerodynamic term");
  } else if (record.results.available && record.uncertainty.available && !record.AeroHeld()) {
    // Other terms than the mechanical V² one can stand in for the
    // aerodynamic term too, as a yaw polynomial does when the yaw hardly
    // changes.
    const Estimate& caero = record.results.report[3];
    if (caero.low <= 0.0 && 0.0 <= caero.high) {
      warnings.push_back("the data do not determine the aerodynamic term: the 95 % interval of Caero, " +
                         ShortNumber(caero.low) + " to " + ShortNumber(caero.high) +
                         " lbf/mph^2, holds 0, so Cmech, Caero and Cd are not determined. Give the drag "
                         "coefficient in the CD field to hold the aerodynamic term");
    }
  }
  if (record.finalFit.completed && !record.uncertainty.available) {
    warnings.push_back("no uncertainty for the final fit: " + record.uncertainty.why);
  }
  if (record.uncertainty.available && !record.uncertainty.inputsWhyNot.empty()) {
    warnings.push_back("the uncertainty of the calibration is not known: " + record.uncertainty.inputsWhyNot +
                       ", so the intervals of the results that depend on it are left open");
  }
}

// Why a set gave nothing usable, from what its files held; empty when the
// set does not explain it.
std::string EmptyBecause(const AnalysisRecord& record, SetKind kind) {
  const SetRecord& set = record.Set(kind);
  if (set.files.empty()) return {};
  for (const FileRecord& f : set.files) {
    if (LooksUtf16(f.zeroFieldText)) {
      return f.path + " is UTF-16 text; run files are 8-bit text (save it as ANSI or UTF-8)";
    }
  }
  long fields = 0;
  long zeros = 0;
  for (const FileRecord& f : set.files) {
    fields += 3 * f.records;
    zeros += f.zeroFields;
  }
  if (set.samples > 0) {
    return fields > 0 && zeros >= fields ? "no field of " + std::string(SetName(kind)) + " files is a number" : "";
  }
  const FileRecord& first = set.files.front();
  std::string why;
  if (set.end == SetRecord::End::Error && set.files.size() == 1) {
    why = first.path + " could not be read (run-time error " + std::to_string(set.error.number) + ": " +
          set.error.description + ")";
  } else if (first.state == FileRecord::State::Missing) {
    why = first.path + " not found";
  } else if (first.state == FileRecord::State::Empty) {
    why = first.path + " was empty";
  } else if (first.state == FileRecord::State::HeldOpen) {
    why = first.path + " is empty and held open by another program";
  } else {
    why = "its runs are too short to give a one-second sample (a run needs 11 records)";
  }
  // A file named nearly like the first one is most likely the user's.
  const std::string wanted = Lower(first.name);
  const std::string base = Lower(SetName(kind));
  for (const std::string& name : record.folderEntries) {
    const std::string lower = Lower(name);
    if (name != first.name &&
        (lower == wanted || lower.rfind(wanted + ".", 0) == 0 || lower == base + ".01" || lower == base + "1")) {
      why += "; the folder holds " + name + " (run files are named " + SetName(kind) +
             ".1, .2, … in upper case, without leading zeros or an extension)";
      break;
    }
  }
  return why;
}

}  // namespace

std::vector<std::string> Warnings(const AnalysisRecord& record) {
  std::vector<std::string> warnings;
  // Without the test folder there is nothing to say of its files: the error says it.
  if (!record.folderFound) return warnings;
  // What the data silently changed, set by set.
  for (const SetRecord& set : record.sets) {
    if (!set.loaded) continue;
    WarnSetEnd(set, warnings);
    for (const FileRecord& f : set.files) {
      WarnFileText(f, warnings);
      if (record.hashed && f.sha256.empty() &&
          (f.state == FileRecord::State::Read || f.state == FileRecord::State::Error)) {
        warnings.push_back("the SHA-256 of " + f.name + " could not be taken: it could not be read to its end");
      }
    }
  }
  if (record.reportError.number != 0) {
    const ErrorNote& e = record.reportError;
    warnings.push_back("the report could not be written: run-time error " + std::to_string(e.number) + ": " +
                       e.description + (e.detail.empty() ? "" : " (" + e.detail + ")"));
  }
  WarnFit(record, warnings);
  for (const CheckRecord& check : record.checks) {
    if (check.applicable && !check.pass) {
      warnings.push_back("check failed: " + check.title + ": " + check.finding + " (limit: " + check.limit + ")");
    }
  }
  return warnings;
}

std::string Explanation(const AnalysisRecord& record, const RuntimeError& error) {
  // A test folder that is not there explains every file of it that is not.
  const std::string folder = record.Folder();
  if (error.Number() == ErrorNumber::PathNotFound && !folder.empty() && !record.folderFound) {
    return "FOLDER " + folder + " does not exist";
  }
  switch (record.stage) {
    case Stage::Calibrating: {
      // A CAL file that could not be read ended the run: its own cause
      // tells, not what the set then lacked.
      const SetRecord& cal = record.Set(SetKind::Cal);
      if (cal.end == SetRecord::End::Error && !cal.files.empty() && !LooksUtf16(cal.files.back().zeroFieldText)) {
        return error.Detail();
      }
      const std::string why = EmptyBecause(record, SetKind::Cal);
      if (!why.empty()) return "the CAL set is empty: " + why;
      break;
    }
    case Stage::FirstFit:
    case Stage::Filter:
    case Stage::FinalFit: {
      const std::string why = EmptyBecause(record, SetKind::Data);
      if (!why.empty()) return "no usable sample in the DATA set: " + why;
      if (record.weightN == 0.0) return "WEIGHT is 0, so every force is 0 and there is nothing to fit";
      if (record.stage == Stage::FinalFit && record.finalFit.samplesOffered == 0) {
        return "no sample is left for the final fit: the outlier filter" +
               std::string(record.window.applied ? " and the speed window" : "") + " excluded all " +
               std::to_string(record.firstFit.used) + " samples of the first fit";
      }
      break;
    }
    default:
      break;
  }
  return error.Detail();
}

std::string ReportExplanation(const AnalysisRecord& record) {
  const ErrorNote& error = record.reportError;
  const std::string kept = "; " + record.reportPath + " holds what was written before";
  switch (error.number) {
    case static_cast<int>(ErrorNumber::PermissionDenied):
    case static_cast<int>(ErrorNumber::PathFileAccessError):
    case static_cast<int>(ErrorNumber::PathNotFound):
      // The file layer names the temporary the report was written under.
      return record.reportPath + " could not be written" + kept;
    case static_cast<int>(ErrorNumber::DivisionByZero):
      if (record.areaM2 == 0.0) {
        return "AREA is 0, so Cd, the aerodynamic term over half the air density times AREA, divides by 0" + kept;
      }
      break;
    default:
      break;
  }
  return error.detail + kept;
}

}  // namespace record
