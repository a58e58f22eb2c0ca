#include "inspect/diff.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "documents/windows1252.h"
#include "inspect/inspect.h"

namespace compactor::inspect {
namespace {

using Json = nlohmann::ordered_json;

std::string n(int64_t v) { return std::to_string(v); }

Difference only_in(const char* file, char side) {
  Difference d;
  d.kind = Difference::Kind::kOnlyIn;
  d.file = file;
  d.only_in = side;
  return d;
}

void diff_track(const TrackCells& a, const TrackCells& b, std::vector<Difference>& out) {
  if (a.size() != b.size()) {
    Difference d;
    d.kind = Difference::Kind::kCellCount;
    d.file = "track";
    d.field = "cells";
    d.a = a.size();
    d.b = b.size();
    out.push_back(std::move(d));
  }
  const size_t common = std::min(a.size(), b.size());
  for (size_t i = 0; i < common; ++i) {
    const TrackCell& p = a[i];
    const TrackCell& q = b[i];
    if (p == q) continue;
    const auto field = [&](const char* name, int64_t u, int64_t v) {
      if (u == v) return;
      Difference d;
      d.kind = Difference::Kind::kCell;
      d.file = "track";
      d.index = static_cast<int64_t>(i);
      d.field = name;
      d.a = u;
      d.b = v;
      out.push_back(std::move(d));
    };
    field("kind", p.kind, q.kind);
    field("paramA", p.paramA, q.paramA);
    field("paramB", p.paramB, q.paramB);
    field("paramC", p.paramC, q.paramC);
    field("paramD", p.paramD, q.paramD);
    field("signalTime", p.signalTime, q.signalTime);
    field("approach", p.approach, q.approach);
    field("tunnel", p.tunnel, q.tunnel);
    field("speedStep", p.speedStep, q.speedStep);
    field("gradientCode", p.gradientCode, q.gradientCode);
    field("adhesion", p.adhesion, q.adhesion);
  }
}

void diff_table(const Table& a, const Table& b, std::vector<Difference>& out) {
  for (size_t i = 0; i < a.size(); ++i) {
    const TableEntry& p = a[i];
    const TableEntry& q = b[i];
    if (p == q) continue;
    const auto add = [&](const char* name, Json u, Json v) {
      Difference d;
      d.kind = Difference::Kind::kEntry;
      d.file = "table";
      d.index = static_cast<int64_t>(i);
      d.field = name;
      d.a = std::move(u);
      d.b = std::move(v);
      out.push_back(std::move(d));
    };
    const auto field = [&](const char* name, int64_t u, int64_t v) {
      if (u != v) add(name, u, v);
    };
    field("kind", p.kind, q.kind);
    field("long1", p.long1, q.long1);
    field("long2", p.long2, q.long2);
    field("long3", p.long3, q.long3);
    field("flag", p.flag, q.flag);
    if (p.text != q.text) add("text", windows1252_to_utf8(p.text), windows1252_to_utf8(q.text));
    field("int1", p.int1, q.int1);
    field("int2", p.int2, q.int2);
    field("int3", p.int3, q.int3);
    field("int4", p.int4, q.int4);
    field("int5", p.int5, q.int5);
    field("byte1", p.byte1, q.byte1);
    field("byte2", p.byte2, q.byte2);
    field("byte3", p.byte3, q.byte3);
    field("byte4", p.byte4, q.byte4);
    field("long4", p.long4, q.long4);
  }
}

// 0 empty, 1 a 16-bit integer, 2 a real: how the file holds point i.
int tag_of(const Path& p, int64_t i) {
  if (i < 2) return p.origin_set ? 1 : 0;
  return i < p.next ? 2 : 0;
}

void diff_path(const Path& a, const Path& b, std::vector<Difference>& out) {
  const int64_t na = int64_t{a.end} + 1, nb = int64_t{b.end} + 1;
  const int64_t common = std::min(na, nb);
  Difference d;
  d.kind = Difference::Kind::kPath;
  d.file = "path";
  d.points_a = na;
  d.points_b = nb;
  d.first_point = -1;
  for (int64_t i = 0; i < common; ++i) {
    const int ta = tag_of(a, i), tb = tag_of(b, i);
    const size_t k = static_cast<size_t>(i);
    const bool same = ta == tb && (ta == 0 || (std::memcmp(&a.x[k], &b.x[k], sizeof(double)) == 0 &&
                                               std::memcmp(&a.y[k], &b.y[k], sizeof(double)) == 0));
    if (same) continue;
    ++d.points_differ;
    if (d.first_point < 0) d.first_point = i;
    if (ta != 0 && tb != 0) {
      const double dist = std::hypot(a.x[k] - b.x[k], a.y[k] - b.y[k]);
      if (dist > d.largest_distance || std::isnan(dist)) d.largest_distance = dist;
    }
  }
  // The points of the longer path beyond the shorter one's end.
  if (na != nb) {
    if (d.first_point < 0) d.first_point = common;
    d.points_differ += std::max(na, nb) - common;
  }
  if (d.points_differ > 0) out.push_back(std::move(d));
}

std::string value_text(const Json& v) {
  return v.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace

std::vector<Difference> diff_scenarios(const ScenarioFiles& a, const ScenarioFiles& b) {
  std::vector<Difference> out;
  if (a.track && b.track) diff_track(*a.track, *b.track, out);
  else if (a.track || b.track) out.push_back(only_in("track", a.track ? 'A' : 'B'));
  if (a.table && b.table) diff_table(*a.table, *b.table, out);
  else if (a.table || b.table) out.push_back(only_in("table", a.table ? 'A' : 'B'));
  if (a.path && b.path) diff_path(*a.path, *b.path, out);
  else if (a.path || b.path) out.push_back(only_in("path", a.path ? 'A' : 'B'));
  return out;
}

std::string diff_text(const std::vector<Difference>& differences) {
  std::string out;
  for (const Difference& d : differences) {
    switch (d.kind) {
      case Difference::Kind::kOnlyIn:
        out += d.file + " file: only in " + d.only_in + "\n";
        break;
      case Difference::Kind::kCellCount:
        out += "track: " + value_text(d.a) + " cells in A, " + value_text(d.b) + " in B\n";
        break;
      case Difference::Kind::kCell:
        out += "track cell " + n(d.index) + " (" + n(50 * d.index) + " m) " + d.field + ": " + value_text(d.a) +
               " -> " + value_text(d.b) + "\n";
        break;
      case Difference::Kind::kEntry:
        out += "table entry " + n(d.index) + " " + d.field + ": " + value_text(d.a) + " -> " + value_text(d.b) +
               "\n";
        break;
      case Difference::Kind::kPath: {
        char dist[64];
        std::snprintf(dist, sizeof dist, "%.3f", d.largest_distance);
        out += "path: " + n(d.points_differ) + " points differ";
        if (d.points_a != d.points_b) out += " (" + n(d.points_a) + " points in A, " + n(d.points_b) + " in B)";
        out += ", the first point " + n(d.first_point) + ", largest distance " + dist + " m\n";
        break;
      }
    }
  }
  return out;
}

Json diff_json(const std::vector<Difference>& differences) {
  Json list = Json::array();
  for (const Difference& d : differences) {
    Json j;
    j["file"] = d.file;
    switch (d.kind) {
      case Difference::Kind::kOnlyIn:
        j["only_in"] = std::string(1, d.only_in);
        break;
      case Difference::Kind::kCellCount:
        j["field"] = d.field;
        j["a"] = d.a;
        j["b"] = d.b;
        break;
      case Difference::Kind::kCell:
        j["cell"] = d.index;
        j["metres"] = 50 * d.index;
        j["field"] = d.field;
        j["a"] = d.a;
        j["b"] = d.b;
        break;
      case Difference::Kind::kEntry:
        j["entry"] = d.index;
        j["field"] = d.field;
        j["a"] = d.a;
        j["b"] = d.b;
        break;
      case Difference::Kind::kPath:
        j["points_differ"] = d.points_differ;
        j["points_a"] = d.points_a;
        j["points_b"] = d.points_b;
        j["first_point"] = d.first_point;
        j["largest_distance"] = std::isfinite(d.largest_distance) ? Json(d.largest_distance) : Json(nullptr);
        break;
    }
    list.push_back(std::move(j));
  }
  Json out;
  out["same"] = differences.empty();
  out["differences"] = std::move(list);
  return out;
}

}  // namespace compactor::inspect
