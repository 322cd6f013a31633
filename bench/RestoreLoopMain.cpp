// bench_restore_loop: the floor of the whole-process restore figures, a
// process that does only what a bare driver of the quarantine library would.
// It loads the library as the program does and then, by its arguments:
//   restore <source> <dest>      restores every container into dest
//   restore-hash <source> <dest> the same, then reads back every file in dest
//                                and hashes it with CNG SHA-256
// Exit code 0 when every container it opened was restored (and hashed), 1
// when one was not, 2 when the library or the quarantine did not open, 3 on
// a bad command line.
#include <windows.h>

#include <string>

#include "bench/LibraryLoop.h"
#include "bench/ProgramLikeLoad.h"
#include "framework/Handles.h"

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    if (argc != 4 || (mode != L"restore" && mode != L"restore-hash")) return 3;
    const CModule library(LoadQuarantineLibraryAsProgramDoes());
    if (!library) return 2;
    int tried = 0;
    const int restored = RestoreEveryContainer(library.Get(), argv[2], argv[3], &tried);
    if (restored < 0) return 2;
    if (restored != tried) return 1;
    if (mode == L"restore-hash" && !HashFiles(argv[3], FileNamesIn(argv[3]))) return 1;
    return 0;
}
