#pragma once

#include <string>
#include <vector>

// Access keys as the dialog manager reads them from a control's text: the
// character after a single "&" ("&&" stands for an ampersand).

// The text's access key, upper-cased so that keys compare the way Alt+letter
// matches them; 0 when the text marks none.
wchar_t AccessKeyOf(const std::wstring& text);

// The access keys that more than one of the texts marks, each once, in the
// order they first repeat. With such a key Alt+letter only moves between the
// controls instead of pressing one.
std::vector<wchar_t> RepeatedAccessKeys(const std::vector<std::wstring>& texts);

// The text as it reads on screen: each single "&" dropped, "&&" as one "&".
std::wstring TextWithoutAccessKey(const std::wstring& text);
