// The language server's framing: each message is a header block
// ("Content-Length: N", other header fields allowed, CR LF after each line
// and an empty line) followed by N bytes of JSON. Pure functions; the stdio
// loop (lsp/stdio.h) reads and writes through them. Depends on nothing else.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace compactor::lsp {

// The largest body taken; a longer one is refused and skipped.
inline constexpr size_t kLargestBody = size_t{64} << 20;

// The body length a header block names (the block without its final empty
// line), or nothing when it names none, names it twice or names a bad value.
std::optional<size_t> content_length(std::string_view header_block);

// One message with its header.
std::string frame(std::string_view body);

}  // namespace compactor::lsp
