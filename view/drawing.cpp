#include "view/drawing.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <map>

#include "view/simplify.h"
#include "view/text.h"

namespace compactor::view {
namespace {

constexpr int32_t kChunk = 5000;  // metres of path per drawn piece

// Where each kind is drawn in the profile: the lane row (y) of its glyph.
struct KindStyle {
  const char* kind;
  double row;  // y of the glyph in the profile
};
constexpr KindStyle kKinds[] = {
    {"diagnostic", 32},         {"warning", 32},          {"signal", 66},
    {"indicator", 88},          {"board", 110},           {"station", 0},
    {"tunnel", 0},              {"slowdown-warning", 176}, {"slowdown-approach", 176},
    {"slowdown-start", 176},    {"slowdown-end", 176},    {"reduction-point", 0},
};

double kind_row(const std::string& kind) {
  for (const KindStyle& k : kKinds) {
    if (kind == k.kind) return k.row;
  }
  return 0;
}

// Point items are circles (one element each, cheap for a browser to lay out
// by the ten thousand), told apart by colour and size. Radii in screen units.
struct Mark {
  const char* kind;
  const char* radius;
};
constexpr Mark kMarks[] = {
    {"signal", "3.5"},          {"indicator", "3.5"},      {"board", "4"},
    {"slowdown-warning", "4"},  {"slowdown-approach", "2"}, {"slowdown-start", "4"},
    {"slowdown-end", "4"},      {"reduction-point", "3.5"}, {"diagnostic", "5"},
    {"warning", "5"},
};

const char* radius(const std::string& kind) {
  for (const Mark& m : kMarks) {
    if (kind == m.kind) return m.radius;
  }
  return "3";
}

const char* kStyle =
    "text{font:11px sans-serif;fill:#222;pointer-events:none}"
    ".item{cursor:pointer}"
    ".item:focus{outline:none}"
    ".item:focus,.item.hi{stroke:#000;stroke-width:2px}"
    "[data-kind=signal]{fill:#d32f2f}"
    "[data-kind=indicator]{fill:#ef6c00}"
    "[data-kind=board]{fill:#6a1b9a}"
    "[data-kind=station]{fill:#1565c0}"
    "[data-kind=tunnel]{fill:#616161}"
    "[data-kind=slowdown-warning]{fill:#f9a825}"
    "[data-kind=slowdown-approach]{fill:#fbc02d}"
    "[data-kind=slowdown-start],[data-kind=slowdown-end]{fill:#8d6e63}"
    "[data-kind=reduction-point]{fill:#c2185b}"
    "[data-kind=diagnostic]{fill:none;stroke:#b71c1c;stroke-width:2.5px}"
    "[data-kind=warning]{fill:none;stroke:#ff8f00;stroke-width:2.5px}"
    ".start{fill:#2e7d32}"
    ".tick{fill:#444}"
    // Both drawings' style sheets apply to the whole page they stand in:
    // lines stay unfilled whatever the kind's colour.
    ".ln,.item.ln{fill:none;vector-effect:non-scaling-stroke}";

void append_item_attributes(Text& out, const Item& it, const char* more_classes = "") {
  out += " class=\"item";
  if (*more_classes) {
    out += ' ';
    out += more_classes;
  }
  out += "\" data-kind=\"";
  out += it.kind;
  out += "\" data-cell=\"";
  out += std::to_string(it.cell);
  out += "\" data-metres=\"";
  out += std::to_string(it.metres);
  out += "\"";
  if (!it.source.empty()) {
    out += " data-source=\"";
    append_escaped(out, it.source);
    out += "\"";
  }
}

// ---- plan ----

struct PlanPoint {
  double x;
  double y;
};

class Plan {
 public:
  explicit Plan(const Scenario& s) : s_(s), last_(last_drawn_point(s)) {}

  bool drawn() const { return last_ >= 1; }
  int32_t last() const { return last_; }

  PlanPoint at(int64_t metre) const {
    const int32_t i = static_cast<int32_t>(std::clamp<int64_t>(metre, 0, last_));
    return {s_.path.x[static_cast<size_t>(i)], -s_.path.y[static_cast<size_t>(i)]};
  }

 private:
  const Scenario& s_;
  int32_t last_;
};

// A circle's centre on the plan, to the decimetre.
void append_cxy(Text& out, const PlanPoint& p) {
  out += " cx=\"";
  append_hundredths(out, to_hundredths(p.x / 10) * 10);
  out += "\" cy=\"";
  append_hundredths(out, to_hundredths(p.y / 10) * 10);
  out += "\"";
}

// A label's place on the plan, to the decimetre.
void append_xy(Text& out, const PlanPoint& p) {
  out += " x=\"";
  append_hundredths(out, to_hundredths(p.x / 10) * 10);
  out += "\" y=\"";
  append_hundredths(out, to_hundredths(p.y / 10) * 10);
  out += "\"";
}

}  // namespace

void append_path_data(Text& out, const Scenario& s, int32_t first, int32_t last) {
  const int32_t end = last_drawn_point(s);
  first = std::clamp(first, 0, std::max(end, 0));
  last = std::clamp(last, 0, std::max(end, 0));
  if (end < 1 || last <= first) return;
  const double* x = s.path.x.data();
  const double* y = s.path.y.data();
  const std::vector<int32_t> kept = simplify_path(x, y, first, last, kPathTolerance);
  // Absolute coordinates rounded to hundredths, written as the differences of
  // the rounded values: short, and no rounding error adds up along the path.
  int64_t px = to_hundredths(x[kept[0]]), py = to_hundredths(-y[kept[0]]);
  out += 'M';
  append_hundredths(out, px);
  out += ' ';
  append_hundredths(out, py);
  out += 'l';
  for (size_t k = 1; k < kept.size(); ++k) {
    const int64_t qx = to_hundredths(x[kept[k]]), qy = to_hundredths(-y[kept[k]]);
    if (k > 1) out += ' ';
    append_hundredths(out, qx - px);
    out += ' ';
    append_hundredths(out, qy - py);
    px = qx;
    py = qy;
  }
}

Text plan_svg(const Scenario& s, const Items& items) {
  const Plan plan(s);
  Text out;
  // Room for it all at once (pages never written cost nothing).
  out.reserve((1 << 16) + items.size() * 200 + static_cast<size_t>(std::max(plan.last(), 0)) / 2);
  if (!plan.drawn()) {
    out += "<svg id=\"plan\" xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 600 60\" data-u=\"1\">";
    out += "<text x=\"10\" y=\"30\">No path: the scenario was compiled without it.</text></svg>";
    return out;
  }
  // Bounds of the computed points.
  double minx = 0, maxx = 0, miny = 0, maxy = 0;
  {
    const double* x = s.path.x.data();
    const double* y = s.path.y.data();
    for (int32_t i = 0; i <= plan.last(); ++i) {
      minx = std::min(minx, x[i]);
      maxx = std::max(maxx, x[i]);
      miny = std::min(miny, -y[i]);
      maxy = std::max(maxy, -y[i]);
    }
  }
  double w = maxx - minx, h = maxy - miny;
  const double span = std::max({w, h, 100.0});
  const double pad = span * 0.04;
  // Not thinner than a tenth of its length, so that a straight line shows.
  if (w < span / 10) {
    minx -= (span / 10 - w) / 2;
    w = span / 10;
  }
  if (h < span / 10) {
    miny -= (span / 10 - h) / 2;
    h = span / 10;
  }
  const double vx = minx - pad, vy = miny - pad, vw = w + 2 * pad, vh = h + 2 * pad;
  // World units per screen unit, for a drawing some 1200 units wide: glyphs
  // and labels keep their screen size (the script updates it on zoom).
  const double u = std::max(vw / 1200, vh / 560);
  // Circles keep their screen size through the style (--u, set on zoom by
  // the script); their r attributes give the size at this scale elsewhere.
  const std::string r_point = real_text(3 * u);
  const std::string r_fault = real_text(6 * u);

  out += "<svg id=\"plan\" xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"";
  append_real(out, vx);
  out += ' ';
  append_real(out, vy);
  out += ' ';
  append_real(out, vw);
  out += ' ';
  append_real(out, vh);
  out += "\" preserveAspectRatio=\"xMidYMid meet\" data-u=\"" + real_text(u) + "\" style=\"--u:" +
         real_text(u) + "\">";
  out += "<style>";
  out += kStyle;
  out += "#plan text{font-size:calc(11px * var(--u))}"
         "#plan .track{stroke:#37474f;stroke-width:2px}"
         "#plan .tun{stroke:#9e9e9e;stroke-width:6px;stroke-dasharray:4 2}"
         "#plan .plat{stroke:#1565c0;stroke-width:7px}"
         "#plan .slow{stroke:#f9a825;stroke-width:4px;opacity:.7}"
         "#plan #plan-stretch{stroke:#00bcd4;stroke-width:9px;opacity:.45}"
         "#plan circle{r:calc(3px * var(--u))}"
         "#plan circle[data-kind=diagnostic],#plan circle[data-kind=warning],#plan circle.start{r:calc(6px * var(--u))}"
         "#plan circle.tick{r:calc(1.5px * var(--u))}"
         "#plan circle.item:focus,#plan circle.item.hi{stroke-width:calc(2px * var(--u))}"
         "#plan [data-kind=diagnostic],#plan [data-kind=warning]{stroke-width:calc(2.5px * var(--u))}";
  out += "</style>";

  // The path, in pieces of 5 km.
  out += "<g class=\"paths\">";
  for (int32_t a = 0; a < plan.last(); a += kChunk) {
    const int32_t b = std::min(plan.last(), a + kChunk);
    out += "<path class=\"ln track\" data-from=\"" + std::to_string(a) + "\" data-to=\"" + std::to_string(b) +
           "\" d=\"";
    append_path_data(out, s, a, b);
    out += "\"/>";
  }
  out += "</g>";

  // Slowdown stretches.
  out += "<g class=\"slows\">";
  for (const Slowdown& sd : slowdowns(s)) {
    out += "<path class=\"ln slow\" d=\"";
    append_path_data(out, s, sd.start_cell * 50, sd.end_cell * 50);
    out += "\"/>";
  }
  out += "</g>";
  out += "<path id=\"plan-stretch\" class=\"ln\" d=\"\"/>";

  // Kilometre ticks: where the progressives' reading is a whole kilometre.
  out += "<g class=\"kms\">";
  for (const KilometrePost& k : kilometre_posts(s, plan.last())) {
    const PlanPoint p = plan.at(k.metres);
    out += "<circle class=\"tick\" r=\"" + real_text(1.5 * u) + "\"";
    append_cxy(out, p);
    out += "/><text class=\"kl\" data-k=\"" + std::to_string(k.km) + "\"";
    append_xy(out, p);
    out += " dx=\".6em\" dy=\".35em\">" + std::to_string(k.km) + "</text>";
  }
  out += "</g>";

  // Stretch items: tunnels over their cells, platforms.
  std::map<std::string, int> seen;
  out += "<g class=\"stretches\">";
  for (const Item& it : items) {
    if (it.kind != "tunnel" && it.kind != "station") continue;
    out += "<path";
    append_item_attributes(out, it, it.kind == "tunnel" ? "ln tun" : "ln plat");
    out += " d=\"";
    if (it.kind == "tunnel") {
      append_path_data(out, s, it.metres, it.end_metres);
    } else {
      // The station's platform, from the table entry (kept in the details).
      append_path_data(out, s, it.platform_start, it.platform_end);
    }
    out += "\"/>";
  }
  out += "</g>";

  // Point items.
  out += "<g class=\"points\">";
  for (const Item& it : items) {
    if (it.kind == "tunnel" || it.kind == "station") continue;
    out += "<circle";
    append_item_attributes(out, it);
    out += " r=\"";
    out += radius(it.kind) == std::string("5") ? r_fault : r_point;
    out += "\"";
    append_cxy(out, plan.at(it.metres));
    out += "/>";
  }
  out += "</g>";

  // Labels: station names and board texts.
  out += "<g class=\"labels\">";
  for (const Item& it : items) {
    if (it.kind != "station" && it.kind != "board") continue;
    if (it.label.empty()) continue;
    out += "<text class=\"pl\"";
    append_xy(out, plan.at(it.metres));
    out += " dx=\".7em\" dy=\"-.5em\">";
    append_escaped(out, it.label);
    out += "</text>";
  }
  out += "</g>";

  out += "<circle class=\"start\" r=\"" + real_text(6 * u) + "\" cx=\"0\" cy=\"0\"/><text x=\"0\" y=\"0\" dx=\".9em\" dy=\"1.2em\">start</text>";
  out += "</svg>";
  return out;
}

// ---- profile ----

namespace {

constexpr double kPlotRight = kProfileWidth - kProfileRight;

struct Lane {
  const char* name;
  double top;
  double bottom;
};
constexpr Lane kFaults{"faults", 20, 44};
constexpr Lane kItems{"items", 50, 150};
constexpr Lane kSpeed{"speed", 160, 270};
constexpr Lane kHeight{"height", 282, 372};
constexpr Lane kCurve{"curvature", 384, 430};
constexpr Lane kAdhesion{"adhesion", 442, 482};
constexpr double kAxis = 494;
constexpr double kProfileHeight = 530;

class Axis {
 public:
  Axis(double m0, double m1) : m0_(m0), k_((kPlotRight - kProfileLeft) / std::max(1.0, m1 - m0)) {}
  double x(double m) const { return kProfileLeft + (m - m0_) * k_; }
  double k() const { return k_; }
  double m0() const { return m0_; }

 private:
  double m0_;
  double k_;
};

void append_num(Text& out, double v) { append_real(out, v); }
// Places along the profile's axis, to a tenth of a unit.
void append_tenths(Text& out, double v) { append_hundredths(out, to_hundredths(v / 10) * 10); }

// A step line over runs of cells: y of each run's value, in metres along x.
void append_steps(Text& out, const std::vector<Run>& runs, int32_t unit,
                  const std::function<double(int32_t)>& y) {
  bool first = true;
  for (const Run& r : runs) {
    const double yy = y(r.value);
    out += first ? "M" : "L";
    out += std::to_string(static_cast<int64_t>(r.first) * unit);
    out += ' ';
    append_num(out, yy);
    out += "H";
    out += std::to_string((static_cast<int64_t>(r.last) + 1) * unit);
    first = false;
  }
}

void append_label(Text& out, double m, double y, const std::string& text,
                  const Axis& axis, const char* anchor = nullptr) {
  out += "<text data-m=\"";
  append_num(out, m);
  out += "\" x=\"";
  append_tenths(out, axis.x(m));
  out += "\"";
  if (!std::isnan(y)) {  // else the row's group gives it
    out += " y=\"";
    append_num(out, y);
    out += "\"";
  }
  if (anchor) {
    out += " text-anchor=\"";
    out += anchor;
    out += "\"";
  }
  out += ">";
  append_escaped(out, text);
  out += "</text>";
}

}  // namespace

Text profile_svg(const Scenario& s, const Items& items) {
  const int32_t track_metres = static_cast<int32_t>(s.track.size()) * 50;
  const int32_t line_length = s.table[84].long2;
  const Axis axis(0, std::max<int32_t>(track_metres, 50));
  Text out;
  out.reserve((1 << 16) + items.size() * 200 + s.track.size() * 16);
  out += "<svg id=\"profile\" xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 ";
  append_num(out, kProfileWidth);
  out += ' ';
  append_num(out, kProfileHeight);
  out += "\" data-m0=\"0\" data-m1=\"" + std::to_string(std::max<int32_t>(track_metres, 50)) +
         "\" data-left=\"" + real_text(kProfileLeft) + "\" data-right=\"" + real_text(kPlotRight) + "\">";
  out += "<style>";
  out += kStyle;
  out += "#profile .lane{fill:#f7f7f7}"
         "#profile .lname{fill:#555;font-size:10px}"
         "#profile .sp{stroke:#2e7d32;stroke-width:1.5px}"
         "#profile .sl{stroke:#8d6e63;stroke-width:3px}"
         "#profile .ht{stroke:#5d4037;stroke-width:1.5px}"
         "#profile .cv{stroke:#0277bd;stroke-width:1.5px}"
         "#profile .ad{stroke:#7b1fa2;stroke-width:1.5px}"
         "#profile .end{stroke:#000;stroke-dasharray:3 3}"
         "#profile .tick{stroke:#999}"
         "#profile .labels text{font-size:10px}"
         "#profile rect.k-tunnel{fill:#9e9e9e}"
         "#profile rect.k-station{fill:#90caf9;stroke:#1565c0}";
  out += "</style>";
  out += "<clipPath id=\"plot\"><rect x=\"" + real_text(kProfileLeft) + "\" y=\"0\" width=\"" +
         real_text(kPlotRight - kProfileLeft) + "\" height=\"" + real_text(kProfileHeight) + "\"/></clipPath>";

  // Lane backgrounds and names.
  for (const Lane* l : {&kFaults, &kItems, &kSpeed, &kHeight, &kCurve, &kAdhesion}) {
    out += "<rect class=\"lane\" x=\"" + real_text(kProfileLeft) + "\" y=\"" + real_text(l->top) +
           "\" width=\"" + real_text(kPlotRight - kProfileLeft) + "\" height=\"" +
           real_text(l->bottom - l->top) + "\"/>";
    out += "<text class=\"lname\" x=\"4\" y=\"" + real_text((l->top + l->bottom) / 2 + 3) + "\">" + l->name +
           "</text>";
  }

  // The lanes' lines, in metres along x, scaled by the group's transform.
  out += "<g clip-path=\"url(#plot)\"><g class=\"zx\" transform=\"matrix(";
  append_num(out, axis.k());
  out += " 0 0 1 ";
  append_num(out, kProfileLeft);
  out += " 0)\">";

  // Speed limit, slowdowns.
  int vmax = 180;
  for (const TrackCell& c : s.track) vmax = std::max(vmax, c.speedStep * 5);
  auto speed_y = [&](double v) { return kSpeed.bottom - 4 - v * (kSpeed.bottom - kSpeed.top - 12) / vmax; };
  const std::vector<Run> speed = cell_runs(s, [](const TrackCell& c) { return c.speedStep * 5; });
  out += "<path class=\"ln sp\" d=\"";
  append_steps(out, speed, 50, [&](int32_t v) { return speed_y(v); });
  out += "\"/>";
  const std::vector<Slowdown> slows = slowdowns(s);
  out += "<path class=\"ln sl\" d=\"";
  for (const Slowdown& sd : slows) {
    out += "M" + std::to_string(static_cast<int64_t>(sd.start_cell) * 50) + " ";
    append_num(out, speed_y(sd.speed));
    out += "H" + std::to_string(static_cast<int64_t>(sd.end_cell) * 50);
  }
  out += "\"/>";

  // Relative height from the gradients (per mille over each 50 m cell).
  const std::vector<Run> grad = cell_runs(s, [](const TrackCell& c) { return c.gradientCode - 100; });
  {
    double h = 0, hmin = 0, hmax = 0;
    for (const Run& r : grad) {
      h += r.value * 0.05 * (r.last - r.first + 1);
      hmin = std::min(hmin, h);
      hmax = std::max(hmax, h);
    }
    const double range = std::max(1.0, hmax - hmin);
    auto hy = [&](double v) { return kHeight.bottom - 14 - (v - hmin) * (kHeight.bottom - kHeight.top - 20) / range; };
    out += "<path class=\"ln ht\" d=\"M0 ";
    append_num(out, hy(0));
    h = 0;
    for (const Run& r : grad) {
      h += r.value * 0.05 * (r.last - r.first + 1);
      out += "L" + std::to_string((static_cast<int64_t>(r.last) + 1) * 50) + " ";
      append_num(out, hy(h));
    }
    out += "\"/>";
  }

  // Curvature from the path: class up for right-hand curves, down for left.
  const std::vector<Run> curves = curvature_runs(s);
  const double cmid = (kCurve.top + kCurve.bottom) / 2;
  out += "<path class=\"ln cv\" d=\"";
  {
    bool first = true;
    for (const Run& r : curves) {
      out += first ? "M" : "L";
      out += std::to_string(r.first - 1);
      out += ' ';
      append_num(out, cmid - r.value * 3.5);
      out += "H" + std::to_string(r.last);
      first = false;
    }
  }
  out += "\"/>";

  // Adhesion.
  const std::vector<Run> adh = cell_runs(s, [](const TrackCell& c) { return static_cast<int>(c.adhesion); });
  int amax = 1;
  for (const Run& r : adh) amax = std::max(amax, r.value);
  out += "<path class=\"ln ad\" d=\"";
  append_steps(out, adh, 50, [&](int32_t v) {
    return kAdhesion.bottom - 4 - v * (kAdhesion.bottom - kAdhesion.top - 10) / static_cast<double>(amax);
  });
  out += "\"/>";

  // The line's end, ticks every kilometre of the reading.
  out += "<path class=\"ln end\" d=\"M" + std::to_string(line_length) + " " + real_text(kFaults.top) + "V" +
         real_text(kAxis) + "\"/>";
  out += "</g></g>";

  // Everything placed by its metres; the script moves it on zoom.
  out += "<g clip-path=\"url(#plot)\" class=\"placed\">";

  // Tunnels and platforms as bars.
  for (const Item& it : items) {
    const bool tunnel = it.kind == "tunnel";
    if (!tunnel && it.kind != "station") continue;
    // Drawn over the track only: a first platform may begin before metre 0.
    const double a = std::clamp<double>(tunnel ? it.metres : it.platform_start, 0, track_metres);
    const double b = std::clamp<double>(tunnel ? it.end_metres : it.platform_end, a, track_metres);
    out += "<rect";
    append_item_attributes(out, it, tunnel ? "k-tunnel" : "k-station");
    out += " data-a=\"";
    append_num(out, a);
    out += "\" data-b=\"";
    append_num(out, b);
    out += "\" x=\"";
    append_num(out, axis.x(a));
    out += "\" y=\"" + std::string(tunnel ? "52" : "118") + "\" width=\"";
    append_num(out, std::max(1.0, axis.x(b) - axis.x(a)));
    out += "\" height=\"" + std::string(tunnel ? "7" : "9") + "\"/>";
  }

  // Point items.
  const double rmid = speed_y(180);
  for (const Item& it : items) {
    if (it.kind == "tunnel" || it.kind == "station") continue;
    double y = kind_row(it.kind);
    if (it.kind == "reduction-point") {
      const TrackCell& c = s.track[static_cast<size_t>(it.cell)];
      y = c.kind == kReductionPoint ? speed_y(std::clamp<int>(c.paramA, 0, vmax)) : rmid;
    } else if (it.kind.rfind("slowdown-", 0) == 0 && it.kind != "slowdown-approach") {
      const TrackCell& c = s.track[static_cast<size_t>(it.cell)];
      y = speed_y(std::clamp<int>(c.paramA, 0, vmax));
    } else if (it.kind == "slowdown-approach") {
      y = kSpeed.top + 8;
    }
    out += "<circle";
    append_item_attributes(out, it);
    out += " r=\"";
    out += radius(it.kind);
    out += "\" cx=\"";
    append_tenths(out, axis.x(it.metres));
    out += "\" cy=\"";
    append_num(out, y);
    out += "\"/>";
  }

  // Labels, row by row: the script hides those that would overlap.
  // A row at one height takes it from its group: its labels have no y.
  constexpr double kOwnY = std::numeric_limits<double>::quiet_NaN();
  auto row = [&](const char* name, double y, auto&& fill) {
    out += "<g class=\"labels\" data-row=\"";
    out += name;
    out += "\"";
    if (!std::isnan(y)) out += " transform=\"translate(0 " + real_text(y) + ")\"";
    out += ">";
    fill();
    out += "</g>";
  };
  row("indicator", kind_row("indicator") - 7, [&] {
    for (const Item& it : items) {
      if (it.kind == "indicator") append_label(out, it.metres, kOwnY, it.label, axis);
    }
  });
  row("board", kind_row("board") + 14, [&] {
    for (const Item& it : items) {
      if (it.kind == "board") append_label(out, it.metres, kOwnY, it.label, axis);
    }
  });
  row("station", 138, [&] {
    for (const Item& it : items) {
      if (it.kind == "station") append_label(out, it.metres, kOwnY, it.label, axis);
    }
  });
  row("time", 148, [&] {
    for (const Item& it : items) {
      // A station without a time (not a stop) shows none.
      if (it.kind == "station" && it.time != "00:00:00") append_label(out, it.metres, kOwnY, it.time, axis);
    }
  });
  row("slowdown", kOwnY, [&] {
    for (const Slowdown& sd : slows) {
      append_label(out, sd.start_cell * 50.0, speed_y(sd.speed) + 12, std::to_string(sd.speed), axis);
    }
  });
  row("speed", kOwnY, [&] {
    for (const Run& r : speed) append_label(out, r.first * 50.0, speed_y(r.value) - 3, std::to_string(r.value), axis);
  });
  row("gradient", kHeight.bottom - 2, [&] {
    for (const Run& r : grad) {
      append_label(out, r.first * 50.0, kOwnY, std::to_string(r.value) + "\u2030", axis);
    }
  });
  row("curvature", kCurve.bottom - 2, [&] {
    for (const Run& r : curves) {
      if (r.value == 0) continue;
      append_label(out, r.first - 1.0, kOwnY,
                   std::string(r.value < 0 ? "s" : "d") + std::to_string(std::abs(r.value)), axis);
    }
  });
  row("adhesion", kAdhesion.top + 9, [&] {
    for (const Run& r : adh) append_label(out, r.first * 50.0, kOwnY, std::to_string(r.value), axis);
  });
  row("km", kOwnY, [&] {
    // Kilometre ticks on the axis: where the reading is a whole kilometre.
    for (const KilometrePost& k : kilometre_posts(s, track_metres)) {
      const std::string m = std::to_string(k.metres);
      const std::string x = real_text(axis.x(static_cast<double>(k.metres)));
      out += "<line class=\"tick\" data-m=\"" + m + "\" x1=\"" + x + "\" x2=\"" + x + "\" y1=\"" +
             real_text(kAxis - 4) + "\" y2=\"" + real_text(kAxis + 2) + "\"/>";
      out += "<text data-m=\"" + m + "\" data-k=\"" + std::to_string(k.km) + "\" x=\"" + x + "\" y=\"" +
             real_text(kAxis + 14) + "\" text-anchor=\"middle\">" + std::to_string(k.km) + "</text>";
    }
  });
  out += "</g>";
  out += "<text x=\"" + real_text(kProfileLeft) + "\" y=\"" + real_text(kProfileHeight - 6) +
         "\" class=\"lname\">metres 0 to " + std::to_string(track_metres) + ", labels in km; line ends at " +
         std::to_string(line_length) + " m</text>";
  out += "</svg>";
  return out;
}

}  // namespace compactor::view
