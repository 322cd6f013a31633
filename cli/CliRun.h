#pragma once

#include <functional>
#include <string>

#include "cli/CliCommand.h"
#include "quarantine/ZEBQtWrapper.h"

// Where a command's report and its error messages go, as UTF-8. Each answers
// false when the text could not be written whole (a full disk, a closed
// handle); a reader that went away early, as a pager does, is no failure.
struct CliStreams {
    std::function<bool(const std::string&)> out;
    std::function<bool(const std::string&)> err;
};

// Runs a list, restore, delete, usage or invalid command (not the dialog and
// not the older windowless restore) with the library loaded into the given
// binding, writes its report, and returns the process exit code.
int RunCliCommand(const CliCommand& command, CZEBQtWrapper& library, const CliStreams& streams);

// What a run that an exception ended says on standard error, and the exit
// code it ends with; what is the exception's own text, when it has one.
int EndOnUnexpectedError(const char* what, const CliStreams& streams);
