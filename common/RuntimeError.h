// The one run-time error of the program: a number, its standard description
// and an optional detail that tells the user where it happened.
#pragma once

#include <exception>
#include <string>
#include <string_view>

enum class ErrorNumber : int {
  InvalidProcedureCall = 5,
  Overflow = 6,
  SubscriptOutOfRange = 9,
  DivisionByZero = 11,
  TypeMismatch = 13,
  FileNotFound = 53,
  InputPastEndOfFile = 62,
  PermissionDenied = 70,
  PathFileAccessError = 75,
  PathNotFound = 76,
};

class RuntimeError : public std::exception {
 public:
  explicit RuntimeError(ErrorNumber number, std::string detail = {});

  ErrorNumber Number() const { return number_; }
  int Code() const { return static_cast<int>(number_); }
  const std::string& Description() const { return description_; }
  const std::string& Detail() const { return detail_; }

  // "run-time error N: DESCRIPTION" with " (DETAIL)" when there is one.
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  ErrorNumber number_;
  std::string description_;
  std::string detail_;
  std::string message_;
};

// The standard description of an error number ("Overflow" for 6).
std::string_view StandardDescription(ErrorNumber number);

[[noreturn]] void Raise(ErrorNumber number, std::string detail = {});
