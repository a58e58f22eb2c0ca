// Where a compiled file's bytes go: a file being replaced, or a string in a
// test. Writers hand over bytes in chunks; the sink keeps their order.
#pragma once

#include <cstddef>
#include <string>

namespace compactor {

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual void write(const char* data, size_t size) = 0;
};

class StringSink : public ByteSink {
 public:
  void write(const char* data, size_t size) override { bytes.append(data, size); }
  std::string bytes;
};

}  // namespace compactor
