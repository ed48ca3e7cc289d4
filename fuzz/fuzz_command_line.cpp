// Fuzzes the command line and the conversions of its fields: splitting
// never loses a character but the quotes, SetParams stores or raises one of
// the decided errors, and a number text is accepted only in the decided
// syntax, with the value the C library reads from it.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "app/CommandLine.h"
#include "app/SAEAppWrapper.h"
#include "common/RuntimeError.h"
#include "common/TextConversion.h"

namespace {

bool InDecidedSyntax(std::string_view t) {
  while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
  while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.remove_suffix(1);
  bool digit = false;
  for (char c : t) {
    if (c >= '0' && c <= '9') {
      digit = true;
    } else if (std::strchr("+-.eE", c) == nullptr) {
      return false;
    }
  }
  return digit;
}

void CheckNumber(const std::string& text) {
  try {
    const auto value = ParseNumber(text);
    if (!value) return;
    if (!InDecidedSyntax(text)) std::abort();
    const double expected = std::strtod(text.c_str(), nullptr);
    if (expected != value->value() && !(std::abs(expected) < 1e-300)) std::abort();
  } catch (const RuntimeError& e) {
    if (e.Number() != ErrorNumber::Overflow) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const auto fields = SplitCommandLine(text);
  std::size_t kept = 0;
  for (const auto& f : fields) kept += f.size();
  std::size_t expected = 0;
  for (char c : text) expected += (c != '"' && c != ',') ? 1 : 0;
  if (kept != expected) std::abort();

  for (const auto& f : fields) CheckNumber(f);
  try {
    SAEAppWrapper app;
    app.SetParams(fields);
  } catch (const RuntimeError& e) {
    const ErrorNumber n = e.Number();
    if (n != ErrorNumber::SubscriptOutOfRange && n != ErrorNumber::TypeMismatch && n != ErrorNumber::Overflow) {
      std::abort();
    }
  }
  return 0;
}
