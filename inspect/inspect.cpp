#include "inspect/inspect.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "documents/windows1252.h"
#include "model/path_storage.h"

namespace compactor::inspect {
namespace {

using Json = nlohmann::ordered_json;

std::string n(int64_t v) { return std::to_string(v); }

std::string fixed(double v, int decimals = 3) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

std::string quoted(const std::string& ansi) {
  return Json(windows1252_to_utf8(ansi)).dump(-1, ' ', false, Json::error_handler_t::replace);
}

// hh:mm:ss for a time of day in seconds; the plain seconds when it is none.
std::string clock_time(int64_t seconds) {
  if (seconds < 0 || seconds >= 100 * 3600) return n(seconds) + " s";
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", static_cast<int>(seconds / 3600),
                static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
  return buf;
}

bool is_reset(const TableEntry& e) { return e == TableEntry{}; }

// The fields of an entry with their values, in declaration order.
std::vector<std::pair<const char*, int64_t>> numbers(const TableEntry& e) {
  return {{"kind", e.kind},   {"long1", e.long1}, {"long2", e.long2}, {"long3", e.long3},
          {"flag", e.flag},   {"int1", e.int1},   {"int2", e.int2},   {"int3", e.int3},
          {"int4", e.int4},   {"int5", e.int5},   {"byte1", e.byte1}, {"byte2", e.byte2},
          {"byte3", e.byte3}, {"byte4", e.byte4}, {"long4", e.long4}};
}

// The numbers of `e` that are not 0 and not among `used`, as " (also F V, ...)".
std::string others(const TableEntry& e, std::initializer_list<std::string_view> used) {
  std::string out;
  for (const auto& [name, v] : numbers(e)) {
    if (v == 0 || std::find(used.begin(), used.end(), name) != used.end()) continue;
    out += (out.empty() ? "" : ", ") + std::string(name) + " " + n(v);
  }
  return out.empty() ? "" : " (also " + out + ")";
}

// The fields of a cell that are not 0, for the text dump.
std::string cell_fields(const TrackCell& c) {
  std::string out;
  const auto add = [&](const std::string& s) { out += (out.empty() ? "" : ", ") + s; };
  if (c.paramA != 0) add("paramA " + n(c.paramA));
  if (c.paramB != 0) add("paramB " + n(c.paramB));
  if (c.paramC != 0) add("paramC " + n(c.paramC));
  if (c.paramD != 0) add("paramD " + n(c.paramD));
  if (c.signalTime != 0) add("signalTime " + n(c.signalTime));
  if (c.approach != 0) add("approach " + n(c.approach));
  if (c.tunnel != 0) add("tunnel " + n(c.tunnel));
  if (c.speedStep != 0) add("speed " + n(c.speedStep * 5) + " km/h");
  if (c.gradientCode != 100) add("gradient " + n(c.gradientCode - 100));
  if (c.adhesion != 0) add("adhesion " + n(c.adhesion));
  return out;
}

// The k of each curve class 1 to 6.
constexpr std::array<double, 6> kClassK = {0.0001, 0.0002, 0.0004, 0.001, 0.002, 0.003};

// The class whose k is nearest to |k|, within a third of that k; else 0.
int class_of(double k) {
  const double a = std::fabs(k);
  int best = 0;
  double best_gap = 0;
  for (int c = 0; c < 6; ++c) {
    const double gap = std::fabs(a - kClassK[static_cast<size_t>(c)]);
    if (gap <= kClassK[static_cast<size_t>(c)] / 3 && (best == 0 || gap < best_gap)) {
      best = c + 1;
      best_gap = gap;
    }
  }
  return best;
}

// Below half the smallest class's k a point counts as straight.
constexpr double kStraight = 0.00005;

// The tag of point i in the file: "empty", "integer" or "real".
enum class PointKind { kEmpty, kInteger, kReal };
PointKind kind_of(const Path& p, int64_t i) {
  if (i < 2) return p.origin_set ? PointKind::kInteger : PointKind::kEmpty;
  return i < p.next ? PointKind::kReal : PointKind::kEmpty;
}

// The last point that holds a value (an integer or a real), or -1.
int64_t last_valued(const Path& p) {
  const int64_t computed = std::min<int64_t>(p.next, int64_t{p.end} + 1);
  if (computed > 2) return computed - 1;
  return p.origin_set ? std::min<int64_t>(1, p.end) : -1;
}

// Collects JSON text in a buffer and hands it to the sink in large chunks.
class JsonWriter {
 public:
  static constexpr size_t kChunk = size_t{1} << 18;
  explicit JsonWriter(ByteSink& out) : out_(out), buffer_(new char[kChunk + kRoom]) {}
  ~JsonWriter() { flush(); }

  void text(std::string_view s) {
    if (s.size() > kRoom) {
      flush();
      out_.write(s.data(), s.size());
      return;
    }
    std::memcpy(room(), s.data(), s.size());
    used_ += s.size();
  }
  void integer(int64_t v) {
    char* p = room();
    used_ += static_cast<size_t>(std::to_chars(p, p + kRoom, v).ptr - p);
  }
  void flush() {
    if (used_ > 0) out_.write(buffer_.get(), used_);
    used_ = 0;
  }

 private:
  static constexpr size_t kRoom = 64;  // the longest piece written at once
  char* room() {
    if (used_ >= kChunk) flush();
    return buffer_.get() + used_;
  }
  ByteSink& out_;
  std::unique_ptr<char[]> buffer_;
  size_t used_ = 0;
};

std::string json_string(const std::string& s) {
  return Json(s).dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace

std::string shortest(double v) {
  if (std::isnan(v)) return "nan";
  if (std::isinf(v)) return v > 0 ? "inf" : "-inf";
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

std::string kind_name(uint8_t kind) {
  switch (kind) {
    case kPlain: return "plain track";
    case kSignal: return "signal";
    case kSlowdownEnd: return "slowdown end";
    case kSlowdownStart: return "slowdown start";
    case kSlowdownWarning: return "slowdown warning";
    case kSlowdownApproach: return "slowdown approach";
    case kSpeedIndicator: return "speed indicator";
    case kStationPoint: return "station point";
    case kTunnelMarker: return "tunnel marker";
    case kReductionPoint: return "speed reduction";
    case kReductionPointNoValue: return "speed reduction, no value";
    case kDirectionBoard: return "direction board";
    default: return "kind " + n(kind);
  }
}

std::vector<size_t> shown_cells(const TrackCells& cells, bool all) {
  std::vector<size_t> out;
  for (size_t i = 0; i < cells.size(); ++i) {
    const TrackCell& c = cells[i];
    bool show = all || i == 0 || c.kind != 0;
    if (!show) {
      const TrackCell& b = cells[i - 1];
      show = c.speedStep != b.speedStep || c.gradientCode != b.gradientCode ||
             c.adhesion != b.adhesion || c.tunnel != b.tunnel;
    }
    if (show) out.push_back(i);
  }
  return out;
}

std::string track_text(const std::string& file, const TrackCells& cells, bool all) {
  const int64_t last = static_cast<int64_t>(cells.size()) - 1;
  std::string out = file + ": track file, " + n(last + 1) + " cells, last cell " + n(last) +
                    ": a line of " + n(50 * (last + 1) - kExtraMetres) + " m, within 50 m\n";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%8s %9s  %-25s  %s\n", "cell", "m", "kind", "fields not 0");
  out += buf;
  for (size_t i : shown_cells(cells, all)) {
    const TrackCell& c = cells[i];
    std::snprintf(buf, sizeof buf, "%8zu %9lld  %-25s  ", i, 50LL * static_cast<long long>(i),
                  kind_name(c.kind).c_str());
    out += buf;
    out += cell_fields(c);
    while (!out.empty() && out.back() == ' ') out.pop_back();
    out += '\n';
  }
  return out;
}

std::string table_text(const std::string& file, const Table& t, const ExpectedCodes& expected,
                       const TrackCells* track) {
  std::string out = file + ": table file, 87 entries\n";
  // Stations from entry 1 upwards, direction boards from entry 80 downwards.
  int boards_from = kFirstBoardSlot + 1;
  while (boards_from > 1) {
    const TableEntry& e = t[static_cast<size_t>(boards_from - 1)];
    TableEntry text_only;
    text_only.text = e.text;
    if (e.text.empty() || !(e == text_only)) break;
    --boards_from;
  }
  int stations_to = 0;
  while (stations_to + 1 < boards_from && !is_reset(t[static_cast<size_t>(stations_to + 1)])) ++stations_to;

  out += "stations: " + n(stations_to) + "\n";
  for (int i = 1; i <= stations_to; ++i) {
    const TableEntry& e = t[static_cast<size_t>(i)];
    out += "  " + n(i) + " " + quoted(e.text) + ": platform " + n(e.long1) + " to " + n(e.long2) +
           " m, position " + n(e.long3) + " m, type " + n(e.kind) + ", values 4:" + n(e.flag) +
           " 5:" + n(e.byte4) + " 6:" + n(e.byte3) + " 7:" + n(e.int1) + " 8:" + n(e.int2) +
           " 9:" + n(e.byte1) + " 10:" + n(e.int3) + " 11:" + n(e.int4) + " 12:" + n(e.int5) +
           " 13:" + n(e.byte2) + ", time " + clock_time(e.long4) + "\n";
  }
  out += "direction boards: " + n(kFirstBoardSlot + 1 - boards_from) + "\n";
  for (int i = kFirstBoardSlot; i >= boards_from; --i) {
    out += "  " + n(i) + " " + quoted(t[static_cast<size_t>(i)].text) + "\n";
  }
  for (int i = stations_to + 1; i < boards_from; ++i) {
    const TableEntry& e = t[static_cast<size_t>(i)];
    if (is_reset(e)) continue;
    out += "  entry " + n(i) + ", neither station nor board: text " + quoted(e.text) + others(e, {}) + "\n";
  }
  if (!is_reset(t[0])) out += "  entry 0, never filled, holds: text " + quoted(t[0].text) + others(t[0], {}) + "\n";

  out += "progressives:\n";
  for (int i = 81; i <= 83; ++i) {
    const TableEntry& e = t[static_cast<size_t>(i)];
    out += "  " + n(i) + " from " + n(e.long1) + " m, kilometre " + n(e.long2) + " m, flag " + n(e.long3) +
           others(e, {"long1", "long2", "long3"}) + "\n";
  }
  const TableEntry& data = t[84];
  out += "line and train data (84): braked mass " + n(data.long1) + " %, line length " + n(data.long2) +
         " m, coaches " + n(data.long3) + others(data, {"long1", "long2", "long3"}) + "\n";
  const TableEntry& line = t[85];
  out += "line data (85): scenario " + quoted(line.text) + ", backgrounds one " + n(line.long1) + ", two " +
         n(line.long3) + ", three " + n(line.long2) + others(line, {"long1", "long2", "long3", "int1", "long4"}) +
         "\n";
  const TableEntry& train = t[86];
  char clock[48];
  std::snprintf(clock, sizeof clock, "%02d:%02d:%02d", train.int3, train.int4, train.int5);
  out += "train data (86): train " + quoted(train.text) + ", signal repetition " + n(train.long1) + " to " +
         n(train.long2) + " m code " + n(train.long3) + ", sand " + n(train.int1) + ", clock " + clock +
         others(train, {"long1", "long2", "long3", "int1", "int3", "int4", "int5"}) + "\n";

  const auto verdict = [](bool ok) { return ok ? "matches" : "DOES NOT MATCH"; };
  out += "stamp 610 (entry 85 int1): " + n(line.int1) + ", " + verdict(line.int1 == 610) + "\n";
  if (track != nullptr && track->size() > 1) {
    out += "stamp 5121 (cell 1 paramA): " + n((*track)[1].paramA) + ", " + verdict((*track)[1].paramA == 5121) +
           "\n";
  }
  const std::string names = " the names " + quoted(train.text) + " and " + quoted(line.text);
  out += "competition code (entry 85 long4): " + n(line.long4) + ", " +
         verdict(line.long4 == expected.table_code) + names + " (" + n(expected.table_code) + ")\n";
  if (track != nullptr && track->size() > 1) {
    out += "competition code (cell 1 paramB): " + n((*track)[1].paramB) + ", " +
           verdict((*track)[1].paramB == expected.track_code) + names + " (" + n(expected.track_code) + ")\n";
  }
  return out;
}

std::vector<CurvedStretch> curved_stretches(const Path& p) {
  std::vector<CurvedStretch> out;
  const int64_t computed = std::min<int64_t>(p.next, int64_t{p.end} + 1);
  if (!p.origin_set && computed <= 2) return out;
  const double* x = p.x.data();
  const double* y = p.y.data();
  // At point i the heading turns from d(i-1) = p(i-1) - p(i-2) to d(i) = p(i) - p(i-1);
  // a turn by k gives the cross product d(i-1) x d(i) = -k |d(i-1)|^2.
  std::optional<CurvedStretch> open;
  double sum = 0;
  int64_t count = 0;
  const auto close = [&] {
    if (!open) return;
    open->k = sum / static_cast<double>(count);
    open->curve_class = class_of(open->k);
    out.push_back(*open);
    open.reset();
  };
  for (int64_t i = 2; i < computed; ++i) {
    const double ax = x[i - 1] - x[i - 2], ay = y[i - 1] - y[i - 2];
    const double bx = x[i] - x[i - 1], by = y[i] - y[i - 1];
    const double len2 = ax * ax + ay * ay;
    const double k = len2 > 0 ? -(ax * by - ay * bx) / len2 : 0.0;
    if (!(std::fabs(k) >= kStraight)) {  // straight, or not a number
      close();
      continue;
    }
    const char side = k > 0 ? 'd' : 's';
    if (open && (open->side != side || class_of(sum / static_cast<double>(count)) != class_of(k))) close();
    if (!open) {
      open = CurvedStretch{i - 1, i, side, 0, 0};
      sum = 0;
      count = 0;
    }
    open->to = i;
    sum += k;
    ++count;
  }
  close();
  return out;
}

std::string path_text(const std::string& file, const Path& p) {
  const int64_t points = int64_t{p.end} + 1;
  const int64_t computed = std::min<int64_t>(p.next, points);
  std::string out = file + ": path file, " + n(points) + " points (path end " + n(p.end) + ": a line of " +
                    n(p.end - kExtraMetres) + " m)\n";
  out += "tags: points 0 and 1 " + std::string(p.origin_set ? "16-bit integers" : "empty");
  if (computed > 2) out += ", points 2 to " + n(computed - 1) + " reals";
  if (computed < points) out += ", points " + n(std::max<int64_t>(computed, 2)) + " to " + n(points - 1) + " empty";
  out += "\n";
  const int64_t last = last_valued(p);
  if (last < 0) {
    out += "no point holds a value\n";
    return out;
  }
  const int64_t first = p.origin_set ? 0 : 2;
  const auto at = [&](int64_t i) {
    return "point " + n(i) + " (" + fixed(p.x[static_cast<size_t>(i)]) + ", " + fixed(p.y[static_cast<size_t>(i)]) + ")";
  };
  if (computed > 2) {
    out += "first computed: " + at(2) + ", last computed: " + at(computed - 1) + "\n";
  }
  double min_x = p.x[static_cast<size_t>(first)], max_x = min_x;
  double min_y = p.y[static_cast<size_t>(first)], max_y = min_y;
  double length = 0;
  for (int64_t i = first; i <= last; ++i) {
    const double xi = p.x[static_cast<size_t>(i)], yi = p.y[static_cast<size_t>(i)];
    min_x = std::min(min_x, xi), max_x = std::max(max_x, xi);
    min_y = std::min(min_y, yi), max_y = std::max(max_y, yi);
    if (i > first) length += std::hypot(xi - p.x[static_cast<size_t>(i - 1)], yi - p.y[static_cast<size_t>(i - 1)]);
  }
  out += "bounding box: x " + fixed(min_x) + " to " + fixed(max_x) + ", y " + fixed(min_y) + " to " +
         fixed(max_y) + "\n";
  out += "length along the path: " + fixed(length) + " m, points " + n(first) + " to " + n(last) + "\n";
  const std::vector<CurvedStretch> curves = curved_stretches(p);
  out += "curved stretches: " + n(static_cast<int64_t>(curves.size())) + "\n";
  if (!curves.empty()) {
    char buf[128];
    std::snprintf(buf, sizeof buf, "%9s %9s %9s  %-4s  %-5s  %s\n", "from m", "to m", "length", "side", "class", "k");
    out += buf;
    for (const CurvedStretch& c : curves) {
      const std::string cls = c.curve_class == 0 ? "-" : n(c.curve_class);
      std::snprintf(buf, sizeof buf, "%9lld %9lld %9lld  %-4c  %-5s  %.6g\n", static_cast<long long>(c.from),
                    static_cast<long long>(c.to), static_cast<long long>(c.to - c.from), c.side, cls.c_str(), c.k);
      out += buf;
    }
  }
  return out;
}

std::string points_text(const Path& p, PointRange range) {
  std::string out;
  const int64_t last = std::min<int64_t>(range.last, p.end);
  for (int64_t i = std::max<int64_t>(range.first, 0); i <= last; ++i) {
    out += "point " + n(i) + ": ";
    switch (kind_of(p, i)) {
      case PointKind::kEmpty: out += "empty"; break;
      case PointKind::kInteger:
        out += "x " + n(static_cast<int64_t>(p.x[static_cast<size_t>(i)])) + ", y " +
               n(static_cast<int64_t>(p.y[static_cast<size_t>(i)])) + " (16-bit integers)";
        break;
      case PointKind::kReal:
        out += "x " + shortest(p.x[static_cast<size_t>(i)]) + ", y " + shortest(p.y[static_cast<size_t>(i)]);
        break;
    }
    out += '\n';
  }
  return out;
}

void write_track_json(const std::string& file, const TrackCells& cells, bool all, ByteSink& out) {
  JsonWriter w(out);
  w.text("{\"file\": ");
  w.text(json_string(file));
  w.text(", \"type\": \"track\", \"last_cell\": ");
  w.integer(static_cast<int64_t>(cells.size()) - 1);
  w.text(", \"cells\": [");
  bool first = true;
  for (size_t i : shown_cells(cells, all)) {
    const TrackCell& c = cells[i];
    w.text(first ? "{\"cell\": " : ", {\"cell\": ");
    first = false;
    w.integer(static_cast<int64_t>(i));
    const std::pair<std::string_view, int64_t> fields[] = {
        {", \"kind\": ", c.kind},
        {", \"paramA\": ", c.paramA},
        {", \"paramB\": ", c.paramB},
        {", \"paramC\": ", c.paramC},
        {", \"paramD\": ", c.paramD},
        {", \"signalTime\": ", c.signalTime},
        {", \"approach\": ", c.approach},
        {", \"tunnel\": ", c.tunnel},
        {", \"speedStep\": ", c.speedStep},
        {", \"gradientCode\": ", c.gradientCode},
        {", \"adhesion\": ", c.adhesion},
    };
    for (const auto& [key, v] : fields) {
      w.text(key);
      w.integer(v);
    }
    w.text("}");
  }
  w.text("]}");
}

Json table_json(const std::string& file, const Table& t) {
  Json out;
  out["file"] = file;
  out["type"] = "table";
  Json list = Json::array();
  for (size_t i = 0; i < t.size(); ++i) {
    const TableEntry& e = t[i];
    list.push_back(Json{{"entry", i},         {"kind", e.kind},   {"long1", e.long1},
                        {"long2", e.long2},   {"long3", e.long3}, {"flag", e.flag},
                        {"text", windows1252_to_utf8(e.text)},
                        {"int1", e.int1},     {"int2", e.int2},   {"int3", e.int3},
                        {"int4", e.int4},     {"int5", e.int5},   {"byte1", e.byte1},
                        {"byte2", e.byte2},   {"byte3", e.byte3}, {"byte4", e.byte4},
                        {"long4", e.long4}});
  }
  out["entries"] = std::move(list);
  return out;
}

PointRange path_json_points(const Path& p, std::optional<PointRange> range) {
  const int64_t points = int64_t{p.end} + 1;
  return {range ? std::max<int64_t>(range->first, 0) : 0,
          range ? std::min<int64_t>(range->last, points - 1) : points - 1};
}

std::string path_json_head(const std::string& file, const Path& p, PointRange points) {
  return "{\"file\": " + json_string(file) + ", \"type\": \"path\", \"points\": " + n(int64_t{p.end} + 1) +
         ", \"from\": " + n(points.first) + ", \"x\": [";
}

size_t format_path_values(const Path& p, const PathValues& v, int64_t first, int64_t from, int64_t to,
                          char* text) {
  char* q = text;
  char* const end = text + static_cast<size_t>(std::max<int64_t>(to - from, 0)) * kLongestPathValue;
  for (int64_t i = from; i < to; ++i) {
    if (i > first) q[0] = ',', q[1] = ' ', q += 2;
    switch (kind_of(p, i)) {
      case PointKind::kEmpty: std::memcpy(q, "null", 4), q += 4; break;
      case PointKind::kInteger: q = std::to_chars(q, end, static_cast<int64_t>(v[static_cast<size_t>(i)])).ptr; break;
      case PointKind::kReal: {
        // JSON holds no nan or infinity.
        const double d = v[static_cast<size_t>(i)];
        if (std::isfinite(d)) q = std::to_chars(q, end, d).ptr;
        else std::memcpy(q, "null", 4), q += 4;
        break;
      }
    }
  }
  return static_cast<size_t>(q - text);
}

void write_path_json(const std::string& file, const Path& p, std::optional<PointRange> range,
                     ByteSink& out) {
  const PointRange points = path_json_points(p, range);
  const std::string head = path_json_head(file, p, points);
  out.write(head.data(), head.size());
  // Chunks small enough to stay in the cache; the sink gets them in order.
  constexpr int64_t kChunk = 8192;
  const std::unique_ptr<char[]> text(new char[kChunk * kLongestPathValue]);
  for (const PathValues* v : {&p.x, &p.y}) {
    if (v == &p.y) out.write(kPathJsonBetween.data(), kPathJsonBetween.size());
    for (int64_t from = points.first; from <= points.last; from += kChunk) {
      const int64_t to = std::min(from + kChunk, points.last + 1);
      out.write(text.get(), format_path_values(p, *v, points.first, from, to, text.get()));
    }
  }
  out.write(kPathJsonTail.data(), kPathJsonTail.size());
}

}  // namespace compactor::inspect
