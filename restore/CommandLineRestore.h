#pragma once

// Exit codes of the windowless command-line restore.
enum CommandLineRestoreResult {
    kCommandLineRestored = 0,       // every container holding files was restored
    kCommandLineNoQuarantine = 1,   // no quarantine opened in the source (or no quarantine library)
    kCommandLineNoEnumeration = 2,  // the quarantine refused to list its containers
    kCommandLineRestoreFailed = 3,  // at least one container could not be restored; the others were
    kCommandLineNothingMatched = 4,  // the selection took no item
    kCommandLineUsageError = 5,      // an unknown switch, a missing or malformed value, ...
};
