#include "compiler/origins.h"

#include <algorithm>

namespace compactor {

void CellPlaces::resize(size_t cells) {
  index_.assign(cells, -1);
  placed_.clear();
}

SourcePlace CellPlaces::operator[](size_t i) const {
  SourcePlace place;
  if (!known(i)) return place;
  const Placed& p = placed_[static_cast<size_t>(index_[i])];
  place.file = files_[static_cast<size_t>(p.file)];
  place.line = p.line;
  place.column = p.column;
  return place;
}

const std::string& CellPlaces::file(size_t i) const {
  static const std::string kNone;
  return known(i) ? files_[static_cast<size_t>(placed_[static_cast<size_t>(index_[i])].file)] : kNone;
}

void CellPlaces::set(size_t i, const std::string& file, int line, int column) {
  if (line <= 0) {
    forget(i);
    return;
  }
  // Two source texts: the list of names stays as short as that.
  auto f = std::find(files_.begin(), files_.end(), file);
  if (f == files_.end()) f = files_.insert(files_.end(), file);
  const Placed p{static_cast<int32_t>(f - files_.begin()), line, column};
  if (index_[i] >= 0) {
    placed_[static_cast<size_t>(index_[i])] = p;
  } else {
    index_[i] = static_cast<int32_t>(placed_.size());
    placed_.push_back(p);
  }
}

void CellPlaces::forget(size_t i) { index_[i] = -1; }

}  // namespace compactor
