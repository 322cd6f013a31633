#include "ui/WalkFailures.h"

#include <algorithm>

#include "framework/WinApp.h"

void CWalkFailures::Add(const std::wstring& name, const std::wstring& reason) {
    ++m_nCount;
    if (m_listed.size() < kListed) m_listed.emplace_back(name, reason);
}

std::wstring WalkFailureText(const std::wstring& head, const std::wstring& more,
                             const CWalkFailures& failures, size_t tried) {
    std::wstring text = FillCounts(head, {failures.Count(), tried}) + L"\n";
    // One line per row: a reason of several lines (the files in the way)
    // would otherwise run into the next row's entry.
    for (const auto& failure : failures.Listed()) {
        std::wstring reason = failure.second;
        std::replace(reason.begin(), reason.end(), L'\n', L' ');
        text += L"\n" + failure.first + L": " + reason;
    }
    if (failures.Count() > failures.Listed().size())
        text += L"\n" + FillCounts(more, {failures.Count() - failures.Listed().size()});
    return text;
}
