// bench_bare_start: the floor of the start-up figure, a process that loads
// the quarantine library as the program does and exits. It imports nothing
// beyond what any program does, so what the program's start-up costs above it
// is the program's own. Exit code 0 when the library loaded, else 2.
#include "bench/ProgramLikeLoad.h"
#include "framework/Handles.h"

int wmain() {
    const CModule library(LoadQuarantineLibraryAsProgramDoes());
    return library ? 0 : 2;
}
