#pragma once

#include <cstddef>
#include <string>

// How many console cells the text takes: East Asian wide and fullwidth
// characters and emoji take two, combining marks and zero-width characters
// none, everything else one. A surrogate pair is one character; an unpaired
// surrogate shows as one replacement character.
size_t ConsoleCells(const std::wstring& text);
