// Station rows: one table entry each from entry 1 upwards, the platform, the
// station point at the platform's last cell and the approach codes before it.
#include "compiler/compilation.h"
#include "compiler/rounding.h"

#include <cstdio>

namespace compactor {

Compilation::Flow Compilation::station() {
  if (station_counter_ > board_slot_) {
    fault(10, std::nullopt, "the entries below the direction-board texts are all taken");
    return Flow::kReturn;
  }
  TableEntry& r = s_.table[static_cast<size_t>(station_counter_)];
  placed_entry(station_counter_);

  // 1 and 2: the position, its test and its grid.
  const int32_t p = reader_->read_i32();
  r.long3 = p;
  if (static_cast<double>(int64_t{p} + 800) / 50.0 > static_cast<double>(s_.last_cell)) {
    fault(15, p, {}, 1);
    return Flow::kEndLoop;
  }
  if (p % 50 != 0) {
    fault(8, p, {}, 1);
    return Flow::kReturn;
  }

  // 3: type and length.
  r.kind = reader_->read_u8();
  const int32_t length = reader_->read_i32();
  if (length % 100 != 0) {
    fault(9, p, {}, 3);
    return Flow::kReturn;
  }

  // 4: values 4 to 17.
  r.flag = reader_->read_u8();
  r.byte4 = reader_->read_u8();
  r.byte3 = reader_->read_u8();
  r.int1 = reader_->read_i16();
  r.int2 = reader_->read_i16();
  r.byte1 = reader_->read_u8();
  r.int3 = reader_->read_i16();
  r.int4 = reader_->read_i16();
  r.int5 = reader_->read_i16();
  r.byte2 = reader_->read_u8();
  const int32_t h = reader_->read_i32();
  const int32_t m = reader_->read_i32();
  const int32_t sec = reader_->read_i32();
  r.long4 = low32((int64_t{h} * 60 + m) * 60 + sec);
  if (warnings_ && r.long4 != 0) {
    if (previous_timed_station_ && r.long4 < *previous_timed_station_) {
      auto clock = [](int32_t t) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%d:%02d:%02d", t / 3600, t / 60 % 60, t % 60);
        return std::string(buf);
      };
      warn(WarningName::kTimetable, 14,
           "the time " + clock(r.long4) + " is earlier than " + clock(*previous_timed_station_) +
               ", the time of the previous timed station; the compiler stores it as given",
           {note_at_origin(origins_->entries[static_cast<size_t>(previous_timed_station_entry_)],
                           "the previous timed station")});
    }
    previous_timed_station_ = r.long4;
    previous_timed_station_entry_ = station_counter_;
  }
  std::string name = reader_->read_text();
  if (name.size() > 65535) throw ReadFailure("a station name longer than 65535 bytes");
  r.text = std::move(name);

  // 5 to 7: the platform.
  const uint8_t type = r.kind;
  int64_t start, end;
  if (type == 5 || type == 6) {
    start = int64_t{p} - length;
    end = int64_t{p} + 150;
    r.byte3 = 0;
  } else if (type == 7 || type == 8) {
    start = int64_t{p} - length;
    end = int64_t{p} + length;
    r.byte3 = 0;
  } else {
    start = round_half_even(p - length / 2.0);
    end = r.byte3 != 0 ? round_half_even(p + length / 2.0 + 50.0) : round_half_even(p + length / 2.0);
  }
  r.long1 = low32(start);
  r.long2 = low32(end);
  if (length < 600) r.byte4 = 0;
  if (station_counter_ == 1) {
    r.byte3 = 0;
    r.byte4 = 0;
  }

  // 8 and 9: approach codes and the station point.
  const double end_cells = static_cast<double>(r.long2) / 50.0;
  if (type < 25 && type != 5 && type != 6) {
    for (int k = 1; k <= 4; ++k) {
      if (end_cells - k - 1.0 > 1.0) cell(round_half_even(end_cells - k - 1.0)).approach = low8(80 + k);
    }
  }
  if (type < 25) {
    if (end_cells - 1.0 > 1.0) {
      const int64_t i = round_half_even(end_cells - 1.0);
      TrackCell& point = cell(i);
      if (warnings_ && !is_free(point) && wants(WarningName::kOverwritten)) {
        warn(WarningName::kOverwritten, 1,
             "the station point goes to cell " + std::to_string(i) + ", which held " +
                 kind_name(point.kind) + "; that feature is gone",
             holder_note(i));
      }
      point.kind = kStationPoint;
      placed_cell(i);
      point.paramA = low16(station_counter_);
    } else {
      fault(24, std::nullopt, {}, 3);
      return Flow::kReturn;
    }
  }

  // 10 and 11: order along the line, and room below the board texts.
  if (station_counter_ > 1 &&
      int64_t{r.long1} - 350 < s_.table[static_cast<size_t>(station_counter_ - 1)].long2) {
    const TableEntry& previous = s_.table[static_cast<size_t>(station_counter_ - 1)];
    fault(22, p, {}, 1,
          {note_at_origin(origins_->entries[static_cast<size_t>(station_counter_ - 1)],
                          "the previous station's platform ends at " + std::to_string(previous.long2) +
                              " m; this one starts at " + std::to_string(r.long1) +
                              " m, less than 350 m after it")});
    return Flow::kReturn;
  }
  ++station_counter_;
  if (station_counter_ == board_slot_) {
    fault(10, std::nullopt);
    return Flow::kReturn;
  }
  return Flow::kGoOn;
}

}  // namespace compactor
