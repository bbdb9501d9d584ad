// The page's files (host/web), built into the program so that it needs
// nothing installed beside it.
#pragma once

#include <string_view>

namespace xeqhost {

// The file's text; empty for a name the page does not have.
std::string_view web_asset(std::string_view name);

} // namespace xeqhost
