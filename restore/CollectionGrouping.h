#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "restore/ArchiveEntry.h"

// Quarantine files larger than this many KiB stay out of a collection.
enum : uint32_t { kCollectionMaxSizeKB = 100 };

// What the collection needs to know about one row of the list.
struct CollectionRow {
    std::wstring name;      // quarantine file name
    std::wstring virus;     // virus name
    std::wstring fileName;  // the file's former name
    uint32_t sizeKB;        // the quarantine file's size in whole KiB
};

// The extension of a file name: the text after its last dot, upper-cased under
// the C runtime's locale; empty without a dot.
std::wstring CollectionExtension(const std::wstring& fileName);

// Groups the rows, in the order given, by exact virus name and extension, each
// group keeping its first three rows that are small enough. The groups stand in
// the order of their first rows.
std::vector<std::unique_ptr<CArchiveEntry>> GroupCollection(const std::vector<CollectionRow>& rows);
