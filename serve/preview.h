// The preview's state: what one look at the sources gave (the diagnostics,
// the faults that kept it from a picture, the picture when it got one), and
// the state the page is sent, which keeps the last picture that compiled,
// marked as earlier, beside the faults of a look that gave none.
// Pure: takes data, returns data. Depends on model/ (and nlohmann-json).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "compiler/warnings.h"
#include "model/diagnostic.h"

namespace compactor::serve {

struct Look {
  std::string time;  // when it was taken, as the page shows it ("12:00:01.234")
  std::vector<Diagnostic> diagnostics;
  std::vector<Warning> warnings;
  // The two sources' names, which order the terminal's text.
  std::string line_source, service_source;
  // What kept this look from a picture or from writing, each one line as the
  // terminal shows it: a source that could not be read, a fatal error of the
  // compiled model, a compiled file that could not be written.
  std::vector<std::string> faults;
  // The page's parts of the compiled scenario, when the compile reached the
  // step that writes the compiled files.
  std::optional<nlohmann::json> picture;
  std::vector<std::string> written;  // compiled files written after this look
};

class Preview {
 public:
  // The state after `look`, as sent to the page:
  //   generation        counts the looks, from 1
  //   time              of this look
  //   current           the picture is this look's own
  //   picture           the parts of the last look that had one (null before)
  //   picture_time, picture_generation   of that look
  //   diagnostics       this look's: code, position, file, line, column,
  //                     message and text (as the terminal shows it)
  //   warnings          this look's: name, file, line, column, message, text
  //   faults, written   this look's
  nlohmann::json next(Look look);

 private:
  uint64_t generation_ = 0;
  std::optional<nlohmann::json> picture_;
  std::string picture_time_;
  uint64_t picture_generation_ = 0;
};

// A text held in the ANSI code page (Windows-1252), as UTF-8 for the page.
std::string utf8_of_windows1252(const std::string& text);

// The terminal's text of a look: its diagnostics and warnings as `compile`
// prints them, in the order of their files (the line description first) and
// lines, then each fault on a line of its own.
std::string terminal_text(const Look& look);

}  // namespace compactor::serve
