// The HTML page of one analysis.
#include "html/Page.h"

std::string HtmlPage(const record::AnalysisRecord& /*record*/, std::string_view /*truthText*/) {
  return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>coastdown</title></head><body></body></html>\n";
}
