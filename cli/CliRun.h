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

// Runs a command without a window (anything but the dialog) with the library
// loaded into the given binding, writes its report (the older windowless
// restore writes none), and returns the process exit code. A command the
// organisation's policy refuses does nothing: it says why on standard error,
// leaves an audit entry and ends with kCommandLineRefusedByPolicy.
int RunCliCommand(const CliCommand& command, CZEBQtWrapper& library, const CliStreams& streams);

// What a run that an exception ended says on standard error, and the exit
// code it ends with; what is the exception's own text, when it has one.
int EndOnUnexpectedError(const char* what, const CliStreams& streams);
