// ZEBQtTool: fills and inspects quarantine folders of the stand-in library.
// The command line is described in standin/zebqt/README.md.

#include <windows.h>

#include "standin/tool/ToolCommands.h"

namespace {

const wchar_t kUsage[] =
    L"usage:\n"
    L"  ZEBQtTool add <folder> <file> <virus> [--time YYYY-MM-DDTHH:MM:SS] [--keep] [--as "
    L"<origPath>]\n"
    L"                [--also <file> [--also-as <origPath>]]...\n"
    L"  ZEBQtTool list <folder>\n"
    L"  ZEBQtTool make-odd <folder> registry <keyPath> <valueName> <virus> [--data <text>] [--time "
    L"T]\n"
    L"  ZEBQtTool make-odd <folder> hosts <entry> <virus> [--time T]\n"
    L"  ZEBQtTool make-odd <folder> mixed <file> <virus> [--as <origPath>] [--time T]\n"
    L"  ZEBQtTool make-odd <folder> damaged "
    L"<truncated|payload|header|magic|count|empty|trailing|object>\n"
    L"                [--as <origPath>] [--virus <name>]\n"
    L"  ZEBQtTool bulk <folder> <count> <size> [--virus <name>] [--time T]\n"
    L"  ZEBQtTool restore <containerFile> [<destination>]\n";

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        zqtool::PrintError(kUsage);
        return 1;
    }
    const std::wstring command = argv[1];
    const zqtool::Args args(argv + 2, argv + argc);
    int code = 1;
    try {
        if (command == L"add")
            code = zqtool::Add(args);
        else if (command == L"list")
            code = zqtool::List(args);
        else if (command == L"make-odd")
            code = zqtool::MakeOdd(args);
        else if (command == L"bulk")
            code = zqtool::Bulk(args);
        else if (command == L"restore")
            code = zqtool::Restore(args);
    } catch (...) {
        zqtool::PrintError(L"failed: out of memory or internal error");
        code = 2;
    }
    if (code == 1) zqtool::PrintError(kUsage);
    return code;
}
