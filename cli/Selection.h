#pragma once

#include <string>
#include <vector>

#include "cli/CliCommand.h"

// Whether the text matches the pattern, where * stands for any run of
// characters and ? for one, without regard to case (as file names compare).
bool WildcardMatch(const std::wstring& pattern, const std::wstring& text);

// Whether an item with this id, virus name and local date (yyyymmdd; 0 for
// an item without a time stamp, which no date bound takes) is selected:
// any /I pattern matches the id, /V matches the virus name, the date is on or
// after /After and before /Before.
bool IsSelected(const Selection& selection, const std::wstring& id, const std::wstring& virus,
                int date);

// The /I entries without * or ? that name no item among the ids (every item
// in the folder, whatever the rest of the selection takes), in the order
// given. Such an entry stands for one item a script expects to be there; a
// pattern asks for whatever there is, so one that matches nothing leaves no
// part of the selection unmet.
std::vector<std::wstring> UnmatchedIds(const Selection& selection,
                                       const std::vector<std::wstring>& ids);
