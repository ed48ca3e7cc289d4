// The HTML page of an analysis.
#include "html/Page.h"

#include <gtest/gtest.h>

namespace {

TEST(PageTest, IsAnHtmlDocument) {
  const record::AnalysisRecord record;
  EXPECT_EQ(HtmlPage(record, "").rfind("<!DOCTYPE html>", 0), 0u);
}

}  // namespace
