#pragma once

#include "cli/CliRun.h"

// The process's standard output and error: a console gets the text through
// the console's own wide-character call, so that every script shows; a file
// or a pipe gets the UTF-8 bytes unchanged. A handle the process does not
// have (a window program started without redirection) swallows the text.
CliStreams StandardStreams();
