#include "win32/win32_local_machine.h"

#include <windows.h>

namespace hv {
namespace {

bool isLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int dayOfYear(int year, int month, int day) {
  static constexpr int kDaysBefore[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
  return kDaysBefore[month - 1] + day + (month > 2 && isLeapYear(year) ? 1 : 0);
}

}  // namespace

LocalDateTime Win32Clock::localNow() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return {now.wYear, now.wMonth,  now.wDay,   dayOfYear(now.wYear, now.wMonth, now.wDay),
          now.wHour, now.wMinute, now.wSecond};
}


std::optional<std::string> Win32TempFolder::tempPath() {
  char buffer[MAX_PATH + 1];
  const DWORD length = GetTempPathA(sizeof buffer, buffer);
  if (length == 0 || length > sizeof buffer)
    return std::nullopt;
  return std::string(buffer, length);
}

}  // namespace hv
