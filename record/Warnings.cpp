// The warnings of a run and the explanation of the error that ended one.
#include "record/Warnings.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <utility>

#include "common/RuntimeError.h"
#include "common/TextConversion.h"
#include "common/VisibleText.h"
#include "record/Checks.h"
#include "record/RoadLoad.h"

namespace record {

namespace {

// A field's text as a warning quotes it, nothing hidden.
std::string Quoted(const std::string& text) { return "\"" + VisibleText(text) + "\""; }

// What the analysis made of a file in another form than 8-bit text with a
// decimal point, which it read as such, and the option that reads it as
// written: `subject` names the file, or with `several` the files of the
// same form that `f` is the first of. Empty for a file read as written.
std::string FormCause(const FileRecord& f, const std::string& subject, bool several = false) {
  const auto verb = [&](const char* one, const char* many) { return std::string(several ? many : one); };
  const std::string its = verb("its", "their");
  if (f.encoding.form != TextForm::EightBit && !f.encodingRead) {
    if (f.encoding.form == TextForm::Utf8Bom) {
      return subject + verb(" is ", " are ") + TextFormName(f.encoding.form) + ": the mark makes " + its +
             " first field read as 0 (--unicode reads " + verb("it", "them") + " as written)";
    }
    return subject + verb(" is ", " are ") + TextFormName(f.encoding.form) + ", not 8-bit text: " + its +
           " fields read as 0, or end " + its + " set with an error (--unicode reads " + verb("it", "them") +
           " as written)";
  }
  if (f.layout.form != TextForm::EightBit && !f.layoutRead) {
    const std::string where = " (" + (several ? f.name + ", " : std::string()) + "line " +
                              std::to_string(f.layout.line) + ": " + Quoted(f.layout.sample) + ")";
    if (f.layout.form == TextForm::DecimalComma) {
      return subject + verb(" has", " have") + " numbers with decimal commas" + where +
             ": run files take a decimal point, so each number reads as two fields (--decimal-comma reads them "
             "as written)";
    }
    return subject + verb(" separates ", " separate ") + its + " fields with semicolons" + where +
           ": run files separate them with commas or blanks, so " + its + " fields read as 0 (--decimal-comma "
           "reads " + verb("it", "them") + " as written)";
  }
  return {};
}

// The files of a list as a warning names them: all of a few, the first
// ones of many.
std::string Names(const std::vector<const FileRecord*>& files) {
  constexpr std::size_t kShown = 6;
  std::string names;
  for (std::size_t i = 0; i < files.size() && i < kShown; ++i) {
    names += (i == 0 ? "" : i + 1 == files.size() ? " and " : ", ") + files[i]->name;
  }
  if (files.size() > kShown) names += " and " + std::to_string(files.size() - kShown) + " more";
  return names;
}

// One warning for all files of one form: those the analysis read as 8-bit
// text with a decimal point, and those read as written.
void WarnTextForms(const AnalysisRecord& record, std::vector<std::string>& warnings) {
  std::vector<std::pair<std::string, std::vector<const FileRecord*>>> groups;  // by what is told
  for (const SetRecord& set : record.sets) {
    if (!set.loaded) continue;
    for (const FileRecord& f : set.files) {
      std::string key;
      if (f.MisRead()) {
        key = FormCause(f, "");
      } else if (f.encodingRead || f.layoutRead) {
        key = std::string(f.encodingRead ? TextFormName(f.encoding.form) + std::string(" decoded") : "") +
              (f.encodingRead && f.layoutRead ? ", " : "") +
              (f.layoutRead ? std::string(TextFormName(f.layout.form)) + " read with a decimal point" +
                                  (f.layout.form == TextForm::Semicolon ? " and commas" : "")
                            : std::string());
      } else {
        continue;
      }
      // Files of one form differ in their quoted line; the form decides.
      if (const std::size_t line = key.find(" (line"); line != std::string::npos) key.resize(line);
      auto group = std::find_if(groups.begin(), groups.end(), [&](const auto& g) { return g.first == key; });
      if (group == groups.end()) group = groups.insert(groups.end(), {key, {}});
      group->second.push_back(&f);
    }
  }
  for (const auto& [key, files] : groups) {
    const FileRecord& first = *files.front();
    if (first.MisRead()) {
      warnings.push_back(FormCause(first, Names(files), files.size() > 1));
    } else {
      warnings.push_back(Names(files) + (files.size() > 1 ? " were" : " was") + " read as written: " + key);
    }
  }
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
                       "; " + f.name + " and the runs after it are not analysed");
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

// What the text of a file held besides its records. A file in another form
// than the analysis reads is told as such (WarnTextForms), which explains
// its fields read as 0 and its lines.
void WarnFileText(const FileRecord& f, std::vector<std::string>& warnings) {
  if (f.MisRead()) return;
  if (f.zeroFields > 0) {
    const std::string what = f.zeroFieldText.empty() ? "an empty field" : Quoted(f.zeroFieldText);
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

// What the fit could not judge at all (what it could not tell apart is the
// check aero_determined).
void WarnFit(const AnalysisRecord& record, std::vector<std::string>& warnings) {
  if (ResultFit(record).completed && !record.uncertainty.available) {
    warnings.push_back("no uncertainty for the final fit: " + record.uncertainty.why);
  }
  if (record.uncertainty.available && !record.uncertainty.inputsWhyNot.empty()) {
    warnings.push_back("the uncertainty of the calibration is not known: " + record.uncertainty.inputsWhyNot +
                       ", so the intervals of the results that depend on it are left open");
  }
}

// How many of the test conditions among `fields` are plausible as typed:
// TEMPERATURE, PRESSURE, AREA, a WEIGHT above 0, and CD empty or a drag
// coefficient.
int PlausibleConditions(const std::vector<std::string>& fields) {
  const auto number = [&](CommandField field) {
    double value = std::nan("");
    const std::size_t i = FieldIndex(field);
    if (i < fields.size() && TryParseNumber(fields[i], value) != NumberParse::Ok) value = std::nan("");
    return value;
  };
  const auto within = [](double v, double lo, double hi) { return v >= lo && v <= hi; };
  const std::size_t cd = FieldIndex(CommandField::Cd);
  return (number(CommandField::Weight) > 0.0 ? 1 : 0) + (within(number(CommandField::Temperature), -40, 130) ? 1 : 0) +
         (within(number(CommandField::Pressure), 20, 32) ? 1 : 0) + (within(number(CommandField::Area), 5, 150) ? 1 : 0) +
         (cd < fields.size() && (fields[cd].empty() || within(number(CommandField::Cd), 0.15, 1.5)) ? 1 : 0);
}

// More than ten fields: those after the tenth are ignored. A decimal comma
// in a number is the usual cause, and it moves every field after it: the
// two fields that joined by a point give the most plausible conditions are
// named.
void WarnFieldCount(const AnalysisRecord& record, std::vector<std::string>& warnings) {
  const std::vector<std::string>& fields = record.fields;
  if (fields.size() <= std::size(kCommandFieldNames)) return;
  std::string ignored;
  for (std::size_t i = std::size(kCommandFieldNames); i < fields.size(); ++i) {
    ignored += (ignored.empty() ? "" : ", ") + Quoted(fields[i]);
  }
  std::string text = "the command line has " + std::to_string(fields.size()) +
                     " fields; those after the tenth (CD) are ignored: " + ignored;
  const auto digits = [](const std::string& t, bool sign) {
    const std::size_t start = t.find_first_not_of(sign ? " \t+-" : "");
    return start != std::string::npos && t.find_first_not_of("0123456789", start) == std::string::npos;
  };
  int best = PlausibleConditions(fields);
  std::size_t joined = 0;
  for (std::size_t i = FieldIndex(CommandField::MinSpeed); i + 1 < std::size(kCommandFieldNames); ++i) {
    if (!digits(fields[i], true) || !digits(fields[i + 1], false)) continue;
    std::vector<std::string> merged = fields;
    merged[i] += "." + merged[i + 1];
    merged.erase(merged.begin() + static_cast<std::ptrdiff_t>(i) + 1);
    if (const int score = PlausibleConditions(merged); score > best) {
      best = score;
      joined = i;
    }
  }
  if (joined != 0) {
    text += ". A decimal comma splits a number in two and moves every field after it: " +
            std::string(kCommandFieldNames[joined]) + " " + Quoted(fields[joined]) + " and " +
            kCommandFieldNames[joined + 1] + " " + Quoted(fields[joined + 1]) + " are likely " +
            fields[joined] + "." + fields[joined + 1] + " (type a decimal point)";
  }
  warnings.push_back(text);
}

// Why a set gave nothing usable, from what its files held; empty when the
// set does not explain it.
std::string EmptyBecause(const AnalysisRecord& record, SetKind kind) {
  const SetRecord& set = record.Set(kind);
  if (set.files.empty()) return {};
  for (const FileRecord& f : set.files) {
    if (f.MisRead()) return FormCause(f, f.path);
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
  WarnFieldCount(record, warnings);
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
  WarnTextForms(record, warnings);
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
      if (cal.end == SetRecord::End::Error && !cal.files.empty()) {
        const FileRecord& f = cal.files.back();
        return error.Detail() + (f.MisRead() ? "; " + FormCause(f, f.path) : "");
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
      // The aerodynamic terms are the relative wind squared times a yaw
      // polynomial: without an anemometer's readings they are all 0.
      const bool windless = std::none_of(record.samples.begin(), record.samples.end(), [](const SampleRecord& s) {
        return s.set == SetKind::Data && s.wind != 0.0;
      });
      if (windless && record.Set(SetKind::Data).samples > 0) {
        return "the relative wind of every DATA sample is 0: the DATA files hold no anemometer readings, and the "
               "aerodynamic terms, which the relative wind squared multiplies, cannot be fitted (this analysis "
               "needs the anemometer's wind speed and yaw in every run file)";
      }
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
