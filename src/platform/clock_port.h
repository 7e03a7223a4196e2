#pragma once

namespace hv {

struct LocalDateTime {
  int year;       // e.g. 2026
  int month;      // 1-12
  int day;        // 1-31
  int dayOfYear;  // 1 for 1 January
  int hour;       // 0-23
  int minute;
  int second;
};

// The local date and time.
class ClockPort {
 public:
  virtual ~ClockPort() = default;
  virtual LocalDateTime localNow() = 0;
};

}  // namespace hv
