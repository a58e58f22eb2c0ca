// Watches a few files for changes: inotify on the directories that hold them
// on Linux, ReadDirectoryChangesW on Windows, and polling of each file's
// size, time and identity where neither can be had (or when asked for, as
// for network drives, which report no changes). Watching the directories
// rather than the files follows editors that save by writing a new file and
// renaming it over the old one, and files that vanish and come back.
// Depends on nothing but the standard library and the operating system.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace compactor::serve {

class Watcher {
 public:
  virtual ~Watcher() = default;

  // Waits until one of the files may have changed (true), or until `timeout`
  // passes or stop() is called (false). A change seen before the call counts.
  virtual bool wait(std::chrono::milliseconds timeout) = 0;

  // Ends every wait, now and later. Safe from any thread.
  virtual void stop() = 0;

  // "inotify", "ReadDirectoryChangesW" or "polling".
  virtual std::string method() const = 0;
};

// A watcher of `paths` (files that need not exist yet). Falls back to
// polling when the platform's notification cannot watch a directory.
std::unique_ptr<Watcher> make_watcher(const std::vector<std::string>& paths, bool polling_only);

// What polling compares: existence, size, modification time and the file's
// identity (so that a same-size file renamed over another within the
// clock's resolution still counts).
struct FileSignature {
  bool exists = false;
  unsigned long long size = 0;
  long long mtime_ns = 0;
  unsigned long long identity = 0;
  bool operator==(const FileSignature&) const = default;
};
FileSignature file_signature(const std::string& path);

// The directory part of a path ("." for a bare name) and the name part, cut
// at '/' (and '\' on Windows) as text.
std::string directory_of(const std::string& path);
std::string name_of(const std::string& path);

}  // namespace compactor::serve
