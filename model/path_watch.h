// Lets the path file be written while the compiler is still computing the
// path: the compiler publishes how many points are final, and a writer on
// another thread encodes them as they come. The path is a serial walk of one
// point per metre and the writing is as long again; on two cores they overlap.
//
// The compiler publishes to the watch of its thread (PathWatch::Scope), and
// publishes nothing when there is none, so a compile without a watch is as it
// was. Points below the published count are never written again by the
// compiler; the writer reads no other part of the model until the watch is
// closed with the final path. Depends on nothing but the standard library.
#pragma once

#include <atomic>
#include <cstdint>

namespace compactor {

struct Path;

class PathWatch {
 public:
  // The compiler: points 0 to next - 1 of x and y are final. The arrays stay
  // where they are for the rest of the compile.
  void publish(const double* x, const double* y, int64_t next);

  // The compile ended: `final` is the path as it will be written, or null
  // when nothing is to be written.
  void close(const Path* final);

  // The writer: waits until at least `want` points are final or the watch is
  // closed. Answers the points final so far, or kClosed.
  int64_t wait_for(int64_t want);
  static constexpr int64_t kClosed = -1;

  // What the writer throws when the watch closes with no path, or with a
  // path that does not continue what was published.
  struct Abandoned {};
  struct Lost {};

  const double* x() const { return x_; }
  const double* y() const { return y_; }
  const Path* final_path() const { return final_; }

  // The watch the compiler of this thread publishes to, or null.
  static PathWatch* current();
  class Scope {
   public:
    explicit Scope(PathWatch* w);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    PathWatch* previous_;
  };

 private:
  // The writer is woken after this many new points (one write's worth of
  // records), not after every curve.
  static constexpr int64_t kWakeEvery = 8192;

  std::atomic<int64_t> next_{0};  // or kClosed
  const double* x_ = nullptr;     // set before the first publication
  const double* y_ = nullptr;
  const Path* final_ = nullptr;   // set before closing
  int64_t wake_at_ = 0;           // the compiler's own
};

}  // namespace compactor
