// The stylesheet of the HTML page, screen and print, kept in the page
// itself so that the file needs nothing beside it.
#pragma once

#include <string_view>

namespace html {

// The CSS text; it holds no "<" or "&", so it can stand in the page as it is.
std::string_view PageStyle();

}  // namespace html
