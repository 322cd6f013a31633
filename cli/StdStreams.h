#pragma once

#include <cstddef>
#include <string>

#include "cli/CliRun.h"

// The process's standard output and error: a console gets the text through
// the console's own wide-character call, so that every script shows; a file
// or a pipe gets the UTF-8 bytes unchanged. A handle the process does not
// have (a window program started without redirection) swallows the text.
CliStreams StandardStreams();

// How many UTF-16 units of the text, from at, go into one console write of at
// most that many: whole characters only, so that a surrogate pair (an emoji
// in a virus name) is never split across two writes.
size_t ConsolePieceLength(const std::wstring& text, size_t at, size_t most);
