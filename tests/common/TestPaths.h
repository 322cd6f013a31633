#pragma once

#include <string>
#include <vector>

// The folder of the running test executable (the build's bin folder), without
// a trailing backslash. Test doubles live in named folders below it.
std::wstring TestBinDir();
// A fresh, empty scratch folder for one test, below the system's temp folder.
std::wstring MakeScratchDir(const std::wstring& name);
// Deletes a folder and everything in it.
void RemoveTree(const std::wstring& path);
// Whole file as bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
bool FileExists(const std::wstring& path);
// A drive ("X:") that names no drive on this machine; empty when every letter does.
std::wstring MissingDrive();
// Names of the files (not folders) in a folder that match a pattern.
std::vector<std::wstring> FilesIn(const std::wstring& folder, const wchar_t* pattern = L"*");
