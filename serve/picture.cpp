// The page of the preview: the view's page (view/view.h), drawn from the
// parts of the last picture, with the live script after the view's own, which
// hands each new picture to window.compactorView.apply.
#include "serve/picture.h"

#include "view/items.h"
#include "view/view.h"

namespace compactor::serve {
namespace {

view::ViewParts parts_of(const nlohmann::json& j) {
  view::ViewParts p;
  auto text = [&](const char* key) {
    const auto it = j.find(key);
    return it != j.end() && it->is_string() ? it->get<std::string>() : std::string();
  };
  p.title = text("title");
  p.summary = text("summary");
  p.plan = text("plan");
  p.profile = text("profile");
  p.tables = text("tables");
  if (const auto it = j.find("data"); it != j.end()) p.data = *it;
  return p;
}

}  // namespace

nlohmann::json picture_parts(const CompiledScenario& compiled, const Origins& origins,
                             const std::vector<Warning>& warnings) {
  view::ViewInput in;
  in.scenario = &compiled.scenario;
  in.origins = &origins;
  in.diagnostics = compiled.diagnostics;
  in.warnings = view::place_warnings(warnings, &origins);
  in.names = compiled.scenario.names;
  in.from_sources = true;
  in.fatal = compiled.fatal;
  return view::parts_json(view::render_parts(in));
}

std::string preview_page(const nlohmann::json& state) {
  const nlohmann::json& picture = state.contains("picture") ? state["picture"] : nlohmann::json();
  view::ViewParts parts;
  if (picture.is_object()) {
    parts = parts_of(picture);
  } else {
    // Nothing compiled yet: the view's page of an empty model, until the
    // first picture comes.
    Scenario empty;
    view::ViewInput in;
    in.scenario = &empty;
    parts = view::render_parts(in);
  }
  std::string page = view::render_page(parts);
  const std::string live = "<script>\n" + std::string(kLiveScript) + "</script>";
  const size_t body_end = page.rfind("</body>");
  page.insert(body_end == std::string::npos ? page.size() : body_end, live);
  return page;
}

}  // namespace compactor::serve
