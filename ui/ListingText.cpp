#include "ui/ListingText.h"

#include <algorithm>
#include <cwchar>

#include "quarantine/ItemText.h"

namespace {

const size_t kTimestampChars = 128;

}  // namespace

std::wstring TimestampText(const SYSTEMTIME& time) {
    int64_t moment = 0;
    return TimestampText(time, &moment);
}

std::wstring TimestampText(const SYSTEMTIME& time, int64_t* pMoment) {
    *pMoment = 0;
    time_t value = 0;
    tm local = {};
    if (!ShownMoment(time, &value, &local)) return std::wstring();
    wchar_t buffer[kTimestampChars] = {};
    const size_t length = wcsftime(buffer, kTimestampChars, L"%x %H:%M", &local);
    if (length == 0 || length >= kTimestampChars) return std::wstring();
    *pMoment = static_cast<int64_t>(value);
    return std::wstring(buffer, length);
}

int CompareListText(const std::wstring& left, const std::wstring& right) {
    return ::lstrcmpW(left.c_str(), right.c_str());
}

std::vector<size_t> DescendingInsertionOrder(const std::vector<std::wstring>& texts) {
    std::vector<size_t> order(texts.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&texts](size_t a, size_t b) {
        return CompareListText(texts[a], texts[b]) > 0;
    });
    return order;
}
