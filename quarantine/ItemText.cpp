#include "quarantine/ItemText.h"

#include <cwchar>
#include <map>
#include <mutex>

// mktime and localtime below must reach past January 2038 in the 32-bit
// program as well (the build asks the C runtime for its 64-bit time).
static_assert(sizeof(time_t) == 8, "time stamps from 2038 on need a 64-bit time_t");

namespace {

const wchar_t kLongPathPrefix[] = L"\\\\?\\";
const size_t kLongPathPrefixLength = 4;
const size_t kTimestampChars = 128;

bool IsLeapYear(unsigned year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

unsigned DaysInMonth(unsigned year, unsigned month) {
    static const unsigned days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

// mktime would quietly turn 31 February into 3 March; such a date never
// happened, so it is not shown as if it had.
bool FieldsInRange(const SYSTEMTIME& time) {
    if (time.wMonth < 1 || time.wMonth > 12) return false;
    if (time.wDay < 1 || time.wDay > DaysInMonth(time.wYear, time.wMonth)) return false;
    return time.wHour <= 23 && time.wMinute <= 59 && time.wSecond <= 59;
}

}  // namespace

std::wstring QuarantineFileName(const std::wstring& filePath) {
    const size_t slash = filePath.rfind(L'\\');
    return slash == std::wstring::npos ? filePath : filePath.substr(slash + 1);
}

FormerLocation SplitFormerPath(const std::wstring& origPath) {
    const size_t start = origPath.compare(0, kLongPathPrefixLength, kLongPathPrefix) == 0
                             ? kLongPathPrefixLength
                             : 0;
    const std::wstring path = origPath.substr(start);
    FormerLocation location;
    const size_t slash = path.rfind(L'\\');
    if (slash != std::wstring::npos && slash >= 1) {
        location.folder = path.substr(0, slash);
        location.fileName = path.substr(slash + 1);
    }
    return location;
}

bool ShownMoment(const SYSTEMTIME& time, time_t* pValue, tm* pLocal) {
    time_t value = 0;
    if (time.wYear >= 1900) {
        if (!FieldsInRange(time)) return false;
        tm fields = {};
        fields.tm_year = time.wYear - 1900;
        fields.tm_mon = time.wMonth - 1;
        fields.tm_mday = time.wDay;
        fields.tm_hour = time.wHour;
        fields.tm_min = time.wMinute;
        fields.tm_sec = time.wSecond;
        fields.tm_isdst = -1;
        value = mktime(&fields);
        // Some C runtimes treat a negative time as an invalid argument and end
        // the process; mktime's failure value is one of them.
        if (value < 0) return false;
    }
    const tm* local = localtime(&value);
    if (local == nullptr) return false;
    *pValue = value;
    *pLocal = *local;
    return true;
}


namespace {

// The zone's rules for a year. Each question reads them afresh from the
// system, and a listing asks for the same few years thousands of times.
bool ZoneOfYear(WORD year, TIME_ZONE_INFORMATION* pZone) {
    static std::mutex lock;
    static std::map<WORD, TIME_ZONE_INFORMATION> known;
    const std::lock_guard<std::mutex> hold(lock);
    const auto found = known.find(year);
    if (found != known.end()) {
        *pZone = found->second;
        return true;
    }
    if (!::GetTimeZoneInformationForYear(year, nullptr, pZone)) return false;
    known.emplace(year, *pZone);
    return true;
}

}  // namespace

std::wstring IsoTimestampText(const SYSTEMTIME& time, int* pDate) {
    *pDate = 0;
    time_t value = 0;
    tm local = {};
    // Years before 1900 are shown as the start of 1970: no real moment.
    if (time.wYear < 1900 || !ShownMoment(time, &value, &local)) return std::wstring();
    // The offset is Windows' own for that date: the C runtime follows a TZ
    // variable where one is set, and its rules need not be the zone's.
    TIME_ZONE_INFORMATION zone = {};
    SYSTEMTIME wall = time;
    wall.wMilliseconds = 0;
    SYSTEMTIME utc = {};
    FILETIME wallTime = {}, utcTime = {};
    if (!ZoneOfYear(time.wYear, &zone) ||
        !::TzSpecificLocalTimeToSystemTime(&zone, &wall, &utc) ||
        !::SystemTimeToFileTime(&wall, &wallTime) || !::SystemTimeToFileTime(&utc, &utcTime))
        return std::wstring();
    const auto ticks = [](const FILETIME& t) {
        return static_cast<long long>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
    };
    const long long offset = (ticks(wallTime) - ticks(utcTime)) / 10000000;
    const long long minutes = (offset < 0 ? -offset : offset) / 60;
    wchar_t buffer[kTimestampChars] = {};
    const int length = swprintf(buffer, kTimestampChars, L"%04d-%02d-%02dT%02d:%02d:%02d%lc%02lld:%02lld",
                                wall.wYear, wall.wMonth, wall.wDay, wall.wHour, wall.wMinute,
                                wall.wSecond, offset < 0 ? L'-' : L'+', minutes / 60, minutes % 60);
    if (length <= 0) return std::wstring();
    *pDate = wall.wYear * 10000 + wall.wMonth * 100 + wall.wDay;
    return std::wstring(buffer, static_cast<size_t>(length));
}

