// The commands inspect and diff.
#include "driver/inspect_command.h"

#include <cstdio>
#include <filesystem>
#include <memory>

#include "check/competition_codes.h"
#include "driver/cli.h"
#include "driver/files.h"
#include "driver/json_text.h"
#include "driver/path_json_writer.h"
#include "driver/platform.h"
#include "driver/run.h"
#include "inspect/diff.h"
#include "model/decoder.h"
#include "model/file_names.h"

namespace compactor {
namespace {

namespace fs = std::filesystem;

bool ends_with(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

const char* kind_word(FileKind k) {
  switch (k) {
    case FileKind::kTrack: return "track";
    case FileKind::kTable: return "table";
    case FileKind::kPath: return "path";
  }
  return "";
}

void print_out(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stdout); }

// Standard output for writers that hand over large chunks.
class StdoutSink : public ByteSink {
 public:
  void write(const char* data, size_t size) override { std::fwrite(data, 1, size, stdout); }
};

void not_compiled(const std::string& file, FileKind kind, const std::string& what, size_t offset) {
  std::fprintf(stderr, "%s: not a compiled %s file: %s at byte %zu\n", file.c_str(), kind_word(kind),
               what.c_str(), offset);
}

// The file's bytes, or nothing after saying why they cannot be had.
std::optional<FileBytes> read_compiled(const std::string& file, FileKind kind) {
  try {
    return read_file_bytes(file);
  } catch (const FileError& e) {
    std::string why = e.reason();
    if (why == "is a directory") why = "a directory";
    not_compiled(file, kind, why, 0);
    return std::nullopt;
  }
}

// One decoded file of any kind.
struct DecodedFile {
  FileKind kind = FileKind::kTrack;
  std::optional<TrackCells> track;
  std::optional<Table> table;
  std::optional<Path> path;
};

template <class T>
bool take(const std::string& file, FileKind kind, Decoded<T>&& d, std::optional<T>& into) {
  if (!d.ok()) {
    not_compiled(file, kind, d.error.what, d.error.offset);
    return false;
  }
  into = std::move(*d.value);
  return true;
}

std::optional<DecodedFile> load(const std::string& file, FileKind kind) {
  const std::optional<FileBytes> file_bytes = read_compiled(file, kind);
  if (!file_bytes) return std::nullopt;
  const std::string_view bytes = file_bytes->view();
  DecodedFile f;
  f.kind = kind;
  bool ok = false;
  switch (kind) {
    case FileKind::kTrack: ok = take(file, kind, decode_track_file(bytes), f.track); break;
    case FileKind::kTable: ok = take(file, kind, decode_table_file(bytes), f.table); break;
    case FileKind::kPath: ok = take(file, kind, decode_path_file(bytes), f.path); break;
  }
  if (!ok) return std::nullopt;
  return f;
}

}  // namespace

std::optional<Scenario> load_compiled_scenario(const std::string& dir, const Names& names) {
  std::optional<DecodedFile> path = load(platform::join(dir, file_names::path_file(names)), FileKind::kPath);
  const std::optional<DecodedFile> table = load(platform::join(dir, file_names::table_file(names)), FileKind::kTable);
  std::optional<DecodedFile> track = load(platform::join(dir, file_names::track_file(names)), FileKind::kTrack);
  if (!path || !table || !track) return std::nullopt;
  Scenario s;
  s.names = names;
  s.keep_path = 1;
  s.track = std::move(*track->track);
  s.track_allocated = !s.track.empty();
  s.last_cell = static_cast<int32_t>(s.track.size()) - 1;
  s.table = *table->table;
  s.path = std::move(*path->path);
  s.path_end = s.path.end;
  return s;
}

namespace {

inspect::ExpectedCodes expected_codes(const Table& table) {
  Scenario s;
  s.table = table;
  return {codice_gara_st(s), static_cast<int16_t>(codice_gara_og(s))};
}

void unknown_kind(const std::string& file) {
  std::fprintf(stderr,
               "compactor: %s: its name tells no kind of compiled file (_linea.dat, .sim, .dat); "
               "give --as path|table|track\n",
               file.c_str());
}

}  // namespace

std::optional<FileKind> kind_from_name(const std::string& path) {
  if (ends_with(path, "_linea.dat")) return FileKind::kPath;
  if (ends_with(path, ".sim")) return FileKind::kTable;
  if (ends_with(path, ".dat")) return FileKind::kTrack;
  return std::nullopt;
}

int run_inspect(const InspectOptions& o) {
  std::vector<std::pair<std::string, FileKind>> files;
  for (const std::string& f : o.files) {
    const std::optional<FileKind> kind = o.as ? o.as : kind_from_name(f);
    if (!kind) {
      unknown_kind(f);
      return kExitUsage;
    }
    files.emplace_back(f, *kind);
  }
  std::vector<std::optional<DecodedFile>> decoded;
  bool trouble = false;
  const TrackCells* track = nullptr;  // the first track file given, for the table's stamps
  for (const auto& [file, kind] : files) {
    decoded.push_back(load(file, kind));
    if (!decoded.back()) trouble = true;
  }
  for (const auto& d : decoded) {
    if (d && d->track && track == nullptr) track = &*d->track;
  }
  bool first = true;
  StdoutSink out;
  for (size_t i = 0; i < files.size(); ++i) {
    if (!decoded[i]) continue;
    const std::string& file = files[i].first;
    const DecodedFile& d = *decoded[i];
    if (o.json) {
      switch (d.kind) {
        case FileKind::kTrack: inspect::write_track_json(file, *d.track, o.all, out); break;
        case FileKind::kTable: print_out(dump_spaced(inspect::table_json(file, *d.table))); break;
        case FileKind::kPath:
          write_path_json_threaded(file, *d.path, o.points, out, path_json_threads());
          break;
      }
      print_out("\n");
      continue;
    }
    if (!first) print_out("\n");
    first = false;
    switch (d.kind) {
      case FileKind::kTrack: print_out(inspect::track_text(file, *d.track, o.all)); break;
      case FileKind::kTable:
        print_out(inspect::table_text(file, *d.table, expected_codes(*d.table), track));
        break;
      case FileKind::kPath:
        print_out(inspect::path_text(file, *d.path));
        if (o.points) print_out(inspect::points_text(*d.path, *o.points));
        break;
    }
  }
  std::fflush(stdout);
  return trouble ? kExitStopped : kExitClean;
}

int run_diff(const DiffOptions& o) {
  std::error_code ec;
  for (const std::string* side : {&o.a, &o.b}) {
    if (!fs::exists(*side, ec)) {
      std::fprintf(stderr, "compactor: %s: no such file or directory\n", side->c_str());
      return kExitStopped;
    }
  }
  const bool dir_a = fs::is_directory(o.a, ec);
  const bool dir_b = fs::is_directory(o.b, ec);
  inspect::ScenarioFiles sides[2];
  bool trouble = false;

  // Loads `file` into side `s` when it exists; a missing file is no trouble.
  const auto load_into = [&](inspect::ScenarioFiles& s, const std::string& file, FileKind kind,
                             bool missing_is_absent) {
    if (missing_is_absent && !fs::exists(file, ec)) return;
    std::optional<DecodedFile> d = load(file, kind);
    if (!d) {
      trouble = true;
      return;
    }
    if (d->track) s.track = std::move(d->track);
    if (d->table) s.table = std::move(d->table);
    if (d->path) s.path = std::move(d->path);
  };

  if (dir_a && dir_b) {
    Names names_b = o.names;
    if (o.scenario_b) names_b.scenario = *o.scenario_b;
    if (o.train_b) names_b.train = *o.train_b;
    const Names* names[2] = {&o.names, &names_b};
    const std::string* dirs[2] = {&o.a, &o.b};
    bool any = false;
    for (int i = 0; i < 2; ++i) {
      const Names& n = *names[i];
      const std::string& dir = *dirs[i];
      for (const auto& [name, kind] : {std::pair{file_names::track_file(n), FileKind::kTrack},
                                       std::pair{file_names::table_file(n), FileKind::kTable},
                                       std::pair{file_names::path_file(n), FileKind::kPath}}) {
        const std::string file = platform::join(dir, name);
        if (fs::exists(file, ec)) any = true;
        load_into(sides[i], file, kind, true);
      }
    }
    if (!any) {
      std::fprintf(stderr, "compactor: no compiled file of %s in %s or %s\n",
                   file_names::track_file(o.names).c_str(), o.a.c_str(), o.b.c_str());
      return kExitStopped;
    }
  } else if (!dir_a && !dir_b) {
    const std::optional<FileKind> ka = kind_from_name(o.a), kb = kind_from_name(o.b);
    if (!ka || !kb) {
      unknown_kind(!ka ? o.a : o.b);
      return kExitUsage;
    }
    if (*ka != *kb) {
      std::fprintf(stderr, "compactor: %s is a %s file, %s a %s file: diff compares files of one kind\n",
                   o.a.c_str(), kind_word(*ka), o.b.c_str(), kind_word(*kb));
      return kExitUsage;
    }
    load_into(sides[0], o.a, *ka, false);
    load_into(sides[1], o.b, *kb, false);
  } else {
    std::fprintf(stderr, "compactor: %s is a directory and %s is not: diff compares two directories or two files\n",
                 (dir_a ? o.a : o.b).c_str(), (dir_a ? o.b : o.a).c_str());
    return kExitUsage;
  }
  if (trouble) return kExitStopped;

  const std::vector<inspect::Difference> differences = inspect::diff_scenarios(sides[0], sides[1]);
  if (o.json) print_out(dump_spaced(inspect::diff_json(differences)) + "\n");
  else print_out(inspect::diff_text(differences));
  std::fflush(stdout);
  return differences.empty() ? kExitClean : kExitFaults;
}

void add_inspect_command(CLI::App& app, Action& action) {
  auto o = std::make_shared<InspectOptions>();
  auto points = std::make_shared<std::string>();
  CLI::App* c = add_command(
      app, "inspect",
      {"compactor inspect FILE... [--as path|table|track] [--all] [--points A:B] [--json]",
       "Prints what compiled files hold.\n"
       "A file's kind comes from its name (SCENARIO_linea.dat a path file, .sim a table file,\n"
       "any other .dat a track file) or from --as. A track file shows its cells with a\n"
       "feature or a change of speed, gradient, adhesion or tunnel; a table file its\n"
       "entries by role, with the stamps and competition codes checked; a path file its\n"
       "tags, bounding box, length and curved stretches. A file that is no compiled file\n"
       "of its kind is reported with the byte where it stops making sense (status 2).",
       "  compactor inspect \"Lavena_Codrano2_ES 2718.dat\" \"Lavena_Codrano2_ES 2718.sim\"\n"
       "  compactor inspect Lavena_Codrano2_linea.dat --points 900:905\n"
       "  compactor inspect *.dat *.sim --json --all    # one JSON object per file"});
  c->add_option("FILE", o->files, "the compiled files")->required()->type_name("");
  c->add_option_function<std::string>(
       "--as",
       [o](const std::string& k) {
         o->as = k == "path" ? FileKind::kPath : k == "table" ? FileKind::kTable : FileKind::kTrack;
       },
       "read every FILE as this kind of file")
      ->type_name("KIND")
      ->check(CLI::IsMember({"path", "table", "track"}));
  c->add_flag("--all", o->all, "every cell of a track file");
  c->add_option("--points", *points, "the points A to B of a path file")
      ->type_name("A:B")
      ->check([](const std::string& v) {
        const size_t colon = v.find(':');
        const auto digits = [](const std::string& s) {
          return !s.empty() && s.size() < 10 && s.find_first_not_of("0123456789") == std::string::npos;
        };
        if (colon == std::string::npos || !digits(v.substr(0, colon)) || !digits(v.substr(colon + 1)) ||
            std::stoll(v.substr(0, colon)) > std::stoll(v.substr(colon + 1))) {
          return std::string("--points needs A:B, two point numbers with A not above B");
        }
        return std::string();
      });
  c->add_flag("--json", o->json, "one JSON object per file, one a line, instead of text");
  c->callback([o, points, &action] {
    if (!points->empty()) {
      const size_t colon = points->find(':');
      o->points = inspect::PointRange{std::stoll(points->substr(0, colon)), std::stoll(points->substr(colon + 1))};
    }
    action = [o] { return run_inspect(*o); };
  });
}

void add_diff_command(CLI::App& app, Action& action) {
  auto o = std::make_shared<DiffOptions>();
  CLI::App* c = add_command(
      app, "diff",
      {"compactor diff A B [--scenario NAME] [--train NAME] [--scenario-b NAME] [--train-b NAME]\n"
       "                    [--json]",
       "Compares two compiled scenarios field by field and prints every difference.\n"
       "A and B are two directories holding compiled files, named by --scenario and --train\n"
       "(B's by --scenario-b and --train-b where they differ), or two files of one kind.\n"
       "Each changed track cell field, table entry field, and a summary of the path are\n"
       "listed; a file on one side only is a difference. The exit status is that of\n"
       "cmp(1): 0 the same, 1 different, 2 a file that cannot be read or decoded.",
       "  compactor diff before after                 # two compiled directories\n"
       "  compactor diff old.sim new.sim --json\n"
       "  compactor diff a b --scenario Alfa --train-b \"R 102\""});
  c->add_option("A", o->a, "a directory of compiled files, or a compiled file")->required()->type_name("");
  c->add_option("B", o->b, "the same for the other side")->required()->type_name("");
  add_name_options(c, o->names);
  const auto name_check = [](const std::string& option) {
    return [option](const std::string& name) {
      return is_valid_name(name) ? std::string() : option + " \"" + name + "\" cannot name a file";
    };
  };
  c->add_option_function<std::string>("--scenario-b", [o](const std::string& v) { o->scenario_b = v; },
                                      "B's scenario name, where it differs from A's")
      ->type_name("NAME")
      ->check(name_check("--scenario-b"));
  c->add_option_function<std::string>("--train-b", [o](const std::string& v) { o->train_b = v; },
                                      "B's train name, where it differs from A's")
      ->type_name("NAME")
      ->check(name_check("--train-b"));
  c->add_flag("--json", o->json, "the differences as one JSON object");
  c->callback([o, &action] { action = [o] { return run_diff(*o); }; });
}

}  // namespace compactor
