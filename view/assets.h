// The page's script (view/view.js) and style sheet (view/view.css), embedded
// into the program when it is built (view/embed.cmake writes them out as
// byte arrays), so the page needs nothing beside itself.
// Depends on nothing.
#pragma once

namespace compactor::view {

extern const char* const kViewJs;
extern const char* const kViewCss;

}  // namespace compactor::view
