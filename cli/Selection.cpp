#include "cli/Selection.h"

#include <windows.h>

namespace {

bool SameChar(wchar_t a, wchar_t b) {
    return a == b || ::CompareStringOrdinal(&a, 1, &b, 1, TRUE) == CSTR_EQUAL;
}

}  // namespace

bool WildcardMatch(const std::wstring& pattern, const std::wstring& text) {
    // Greedy with one point to come back to: the last star and where the text
    // stood when it was met. Linear in practice, never recursive.
    size_t p = 0, t = 0, star = std::wstring::npos, resume = 0;
    while (t < text.size()) {
        if (p < pattern.size() && (pattern[p] == L'?' || (pattern[p] != L'*' && SameChar(pattern[p], text[t])))) {
            ++p;
            ++t;
        } else if (p < pattern.size() && pattern[p] == L'*') {
            star = p++;
            resume = t;
        } else if (star != std::wstring::npos) {
            p = star + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*') ++p;
    return p == pattern.size();
}

bool IsSelected(const Selection& selection, const std::wstring& id, const std::wstring& virus,
                int date) {
    if (!selection.idPatterns.empty()) {
        bool any = false;
        for (const std::wstring& pattern : selection.idPatterns) any = any || WildcardMatch(pattern, id);
        if (!any) return false;
    }
    if (!selection.virusPattern.empty() && !WildcardMatch(selection.virusPattern, virus)) return false;
    if (selection.after != 0 && (date == 0 || date < selection.after)) return false;
    if (selection.before != 0 && (date == 0 || date >= selection.before)) return false;
    return true;
}

std::vector<std::wstring> UnmatchedIds(const Selection& selection,
                                       const std::vector<std::wstring>& ids) {
    std::vector<std::wstring> unmatched;
    for (const std::wstring& pattern : selection.idPatterns) {
        if (pattern.find_first_of(L"*?") != std::wstring::npos) continue;
        bool found = false;
        for (size_t i = 0; i < ids.size() && !found; ++i)
            found = ids[i].size() == pattern.size() && WildcardMatch(pattern, ids[i]);
        if (!found) unmatched.push_back(pattern);
    }
    return unmatched;
}
