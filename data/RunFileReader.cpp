// The conversion of one run-file field.
#include "data/RunFileReader.h"

bool ReadRunFileField(std::string_view field, const std::string& fileName, long line, double& value) {
  switch (TryParseNumber(field, value)) {
    case NumberParse::Ok:
      return true;
    case NumberParse::TooLarge:
      // A number can be a megabyte of digits; its start tells the user enough.
      Raise(ErrorNumber::Overflow, fileName + ", line " + std::to_string(line) + ": the number " +
                                       std::string(field.substr(0, 24)) + (field.size() > 24 ? "..." : "") +
                                       " is too large for a double");
    case NumberParse::NotANumber:
      break;
  }
  value = 0.0;
  return false;
}
