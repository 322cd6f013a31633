#include "restore/FilesInTheWay.h"

#include <windows.h>

#include <algorithm>

#include "framework/LongPaths.h"
#include "framework/WinApp.h"
#include "res/resource.h"
#include "restore/RestoreOutcome.h"
#include "quarantine/ItemText.h"

namespace {

// The pattern with "%1" and "%2" replaced by the two texts; the texts
// themselves are not read again, so a "%" in a file name stays as it is.
std::wstring FillTexts(const std::wstring& pattern, const std::wstring& first,
                       const std::wstring& second) {
    std::wstring text;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == L'%' && i + 1 < pattern.size() &&
            (pattern[i + 1] == L'1' || pattern[i + 1] == L'2')) {
            text += pattern[i + 1] == L'1' ? first : second;
            ++i;
        } else {
            text += pattern[i];
        }
    }
    return text;
}

}  // namespace

std::wstring RestoreTarget(const std::wstring& destination, const std::wstring& formerPath) {
    const std::wstring name = SplitFormerPath(formerPath).fileName;
    if (name.empty()) return std::wstring();
    if (destination.empty()) return formerPath;
    std::wstring target = destination;
    if (target.back() != L'\\') target += L'\\';
    return target + name;
}

std::vector<std::wstring> RestoreTargets(const std::wstring& destination,
                                         const std::vector<std::wstring>& formerPaths) {
    std::vector<std::wstring> targets;
    for (const std::wstring& formerPath : formerPaths) {
        const std::wstring target = RestoreTarget(destination, formerPath);
        if (target.empty()) continue;
        // Names differing in case are one file on Windows.
        const bool known = std::any_of(targets.begin(), targets.end(), [&](const std::wstring& t) {
            return ::CompareStringOrdinal(t.c_str(), static_cast<int>(t.size()), target.c_str(),
                                          static_cast<int>(target.size()), TRUE) == CSTR_EQUAL;
        });
        if (!known) targets.push_back(target);
    }
    return targets;
}

std::vector<std::wstring> OccupiedTargets(const std::vector<std::wstring>& targets) {
    std::vector<std::wstring> occupied;
    for (const std::wstring& target : targets)
        if (::GetFileAttributesW(FileCallPath(target).c_str()) != INVALID_FILE_ATTRIBUTES)
            occupied.push_back(target);
    return occupied;
}

std::wstring FilesInTheWayText(const std::wstring& libraryText,
                               const std::vector<std::wstring>& occupiedTargets, size_t itemFiles) {
    std::wstring text = libraryText;
    if (occupiedTargets.empty()) return text;
    const std::wstring pattern = AfxLoadString(IDS_FILE_IN_THE_WAY);
    for (const std::wstring& target : occupiedTargets) {
        FormerLocation where = SplitFormerPath(target);
        // A drive's root reads as "C:\", not "C:".
        if (where.folder.size() == 2 && where.folder[1] == L':') where.folder += L'\\';
        text += L"\n" + FillTexts(pattern, where.fileName, where.folder);
    }
    // One name in the way reads as if the item's other files came back.
    if (itemFiles > 1) text += L"\n" + FillCounts(AfxLoadString(IDS_NONE_OF_THE_FILES_RESTORED), {itemFiles});
    return text;
}

std::wstring RestoreFailureReason(int32_t result, const std::wstring& destination,
                                  const std::vector<std::wstring>& formerPaths) {
    const std::vector<std::wstring> targets = RestoreTargets(destination, formerPaths);
    return FilesInTheWayText(AfxLoadString(RestoreFailureMessage(result)), OccupiedTargets(targets),
                             targets.size());
}
