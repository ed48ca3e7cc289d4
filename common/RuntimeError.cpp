// The run-time error type and the table of standard descriptions.
#include "common/RuntimeError.h"

#include <utility>

std::string_view StandardDescription(ErrorNumber number) {
  switch (number) {
    case ErrorNumber::InvalidProcedureCall: return "Invalid procedure call or argument";
    case ErrorNumber::Overflow: return "Overflow";
    case ErrorNumber::SubscriptOutOfRange: return "Subscript out of range";
    case ErrorNumber::DivisionByZero: return "Division by zero";
    case ErrorNumber::TypeMismatch: return "Type mismatch";
    case ErrorNumber::FileNotFound: return "File not found";
    case ErrorNumber::InputPastEndOfFile: return "Input past end of file";
    case ErrorNumber::PermissionDenied: return "Permission denied";
    case ErrorNumber::PathFileAccessError: return "Path/File access error";
    case ErrorNumber::PathNotFound: return "Path not found";
  }
  return "Application-defined or object-defined error";
}

RuntimeError::RuntimeError(ErrorNumber number, std::string detail)
    : number_(number), description_(StandardDescription(number)), detail_(std::move(detail)) {
  message_ = "run-time error " + std::to_string(static_cast<int>(number_)) + ": " + description_;
  if (!detail_.empty()) message_ += " (" + detail_ + ")";
}

void Raise(ErrorNumber number, std::string detail) { throw RuntimeError(number, std::move(detail)); }
