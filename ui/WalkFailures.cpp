#include "ui/WalkFailures.h"

#include "framework/WinApp.h"

void CWalkFailures::Add(const std::wstring& name, const std::wstring& reason) {
    ++m_nCount;
    if (m_listed.size() < kListed) m_listed.emplace_back(name, reason);
}

std::wstring WalkFailureText(const std::wstring& head, const std::wstring& more,
                             const CWalkFailures& failures, size_t tried) {
    std::wstring text = FillCounts(head, {failures.Count(), tried}) + L"\n";
    for (const auto& failure : failures.Listed())
        text += L"\n" + failure.first + L": " + failure.second;
    if (failures.Count() > failures.Listed().size())
        text += L"\n" + FillCounts(more, {failures.Count() - failures.Listed().size()});
    return text;
}
