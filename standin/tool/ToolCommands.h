#pragma once

#include <string>
#include <vector>

#include "standin/zebqt/StoreFormat.h"

// The tool's commands. Each returns the process exit code: 0 done, 1 bad
// command line, 2 the store refused.
namespace zqtool {

typedef std::vector<std::wstring> Args;

// "YYYY-MM-DDTHH:MM:SS" (seconds optional); false when it is not that.
bool ParseStamp(const std::wstring& text, zq::StampFields& stamp);

int Add(const Args& args);
int List(const Args& args);
int MakeOdd(const Args& args);
int Bulk(const Args& args);
int Restore(const Args& args);

void Print(const std::wstring& line);
void PrintError(const std::wstring& line);

}  // namespace zqtool
