// The watcher on Windows: ReadDirectoryChangesW on the directory of each
// file, overlapped, with an event that stop() sets. Polling goes on beside
// it, seldom, and often once a directory can no longer be read (its handle
// failed, or it lies on a drive that reports nothing).
#include <windows.h>

#include <algorithm>
#include <map>
#include <mutex>

#include "serve/watcher_polling.h"

namespace compactor::serve {

FileSignature file_signature(const std::string& path) {
  FileSignature sig;
  // Narrow names are in the ANSI code page, as the C run-time library takes them.
  const HANDLE h = CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    // Held open without sharing by an editor: still there, unchanged as far
    // as can be told; the next look decides.
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return sig;
    sig.exists = true;
    sig.size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    sig.mtime_ns = static_cast<long long>((static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                                          data.ftLastWriteTime.dwLowDateTime);
    return sig;
  }
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileInformationByHandle(h, &info)) {
    sig.exists = true;
    sig.size = (static_cast<unsigned long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    sig.mtime_ns = static_cast<long long>((static_cast<unsigned long long>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                                          info.ftLastWriteTime.dwLowDateTime);
    sig.identity = (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    sig.identity ^= static_cast<unsigned long long>(info.dwVolumeSerialNumber) << 16;
  }
  CloseHandle(h);
  return sig;
}

namespace {

std::wstring widen(const std::string& text) {
  if (text.empty()) return {};
  const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

bool same_name(const wchar_t* a, size_t a_len, const std::wstring& b) {
  return CompareStringOrdinal(a, static_cast<int>(a_len), b.data(), static_cast<int>(b.size()),
                              TRUE) == CSTR_EQUAL;
}

class DirectoryWatcher : public Watcher {
 public:
  static std::unique_ptr<DirectoryWatcher> open(const std::vector<std::string>& paths) {
    std::unique_ptr<DirectoryWatcher> w(new DirectoryWatcher(paths));
    if (w->stop_event_ == nullptr) return nullptr;
    std::map<std::string, size_t> by_dir;
    for (const std::string& p : paths) {
      const std::string dir = directory_of(p);
      auto it = by_dir.find(dir);
      if (it == by_dir.end()) {
        auto d = std::make_unique<Directory>();
        d->handle = CreateFileA(dir.c_str(), FILE_LIST_DIRECTORY,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED,
                                nullptr);
        if (d->handle == INVALID_HANDLE_VALUE) return nullptr;
        d->overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (d->overlapped.hEvent == nullptr) return nullptr;
        w->dirs_.push_back(std::move(d));
        it = by_dir.emplace(dir, w->dirs_.size() - 1).first;
      }
      w->dirs_[it->second]->names.push_back(widen(name_of(p)));
    }
    for (auto& d : w->dirs_) {
      if (!d->arm()) return nullptr;
    }
    return w;
  }

  ~DirectoryWatcher() override {
    for (auto& d : dirs_) {
      if (d->handle != INVALID_HANDLE_VALUE) {
        CancelIoEx(d->handle, &d->overlapped);
        DWORD ignored;
        if (d->armed) GetOverlappedResult(d->handle, &d->overlapped, &ignored, TRUE);
        CloseHandle(d->handle);
      }
      if (d->overlapped.hEvent != nullptr) CloseHandle(d->overlapped.hEvent);
    }
    if (stop_event_ != nullptr) CloseHandle(stop_event_);
  }

  bool wait(std::chrono::milliseconds timeout) override {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
      if (WaitForSingleObject(stop_event_, 0) == WAIT_OBJECT_0) return false;
      bool relevant = false;
      for (auto& d : dirs_) relevant = d->collect() || relevant;
      if (relevant) {
        poll_.refresh();
        return true;
      }
      auto now = std::chrono::steady_clock::now();
      const bool lost = std::any_of(dirs_.begin(), dirs_.end(), [](const auto& d) { return !d->armed; });
      if (now >= next_poll_) {
        next_poll_ = now + (lost ? kPollInterval : kSafetyPollInterval);
        if (poll_.changed()) return true;
      }
      if (now >= deadline) return false;
      const auto until = std::min(deadline, next_poll_);
      const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(until - now).count();
      std::vector<HANDLE> handles{stop_event_};
      for (auto& d : dirs_) {
        if (d->armed) handles.push_back(d->overlapped.hEvent);
      }
      WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE,
                             static_cast<DWORD>(std::max<long long>(1, ms)));
    }
  }

  void stop() override { SetEvent(stop_event_); }

  std::string method() const override { return "ReadDirectoryChangesW"; }

 private:
  struct Directory {
    HANDLE handle = INVALID_HANDLE_VALUE;
    OVERLAPPED overlapped{};
    alignas(DWORD) char buffer[16384];
    bool armed = false;
    std::vector<std::wstring> names;

    bool arm() {
      ResetEvent(overlapped.hEvent);
      armed = ReadDirectoryChangesW(handle, buffer, sizeof buffer, FALSE,
                                    FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE |
                                        FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_CREATION,
                                    nullptr, &overlapped, nullptr) != 0;
      return armed;
    }

    // True when a finished read names a watched file, or lost some names
    // (an overflowing buffer); then reads again.
    bool collect() {
      if (!armed) return false;
      DWORD bytes = 0;
      if (!GetOverlappedResult(handle, &overlapped, &bytes, FALSE)) {
        if (GetLastError() == ERROR_IO_INCOMPLETE) return false;
        armed = false;  // the directory went away: polling follows it
        return true;
      }
      bool relevant = bytes == 0;
      for (DWORD at = 0; !relevant && bytes > 0;) {
        const auto* info = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(buffer + at);
        const size_t len = info->FileNameLength / sizeof(wchar_t);
        for (const std::wstring& n : names) {
          if (same_name(info->FileName, len, n)) relevant = true;
        }
        if (info->NextEntryOffset == 0) break;
        at += info->NextEntryOffset;
      }
      arm();
      return relevant;
    }
  };

  explicit DirectoryWatcher(const std::vector<std::string>& paths)
      : stop_event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)), poll_(paths) {
    next_poll_ = std::chrono::steady_clock::now() + kSafetyPollInterval;
  }

  HANDLE stop_event_;
  std::vector<std::unique_ptr<Directory>> dirs_;
  SignaturePoll poll_;
  std::chrono::steady_clock::time_point next_poll_;
};

}  // namespace

std::unique_ptr<Watcher> make_watcher(const std::vector<std::string>& paths, bool polling_only) {
  if (!polling_only) {
    if (auto w = DirectoryWatcher::open(paths)) return w;
  }
  return std::make_unique<PollingWatcher>(paths, kPollInterval);
}

}  // namespace compactor::serve
