#pragma once

#include <string>
#include <vector>

#include "quarantine/ZEBQtWrapper.h"

// One quarantine file as the library reports it: what the list shows of it,
// and what it holds. The dialog's operations, the command line and the audit
// trail all read an item this one way.
struct QuarantineItem {
    std::wstring id;          // the quarantine file's name, as the first column shows it
    std::wstring virus;
    std::wstring fileName;    // the first file's former name and folder, as the list shows them
    std::wstring folder;
    std::wstring formerPath;  // the first file's former path as the library reports it
    std::wstring time;        // ISO 8601 with the local offset; empty without a real time stamp
    int date = 0;             // local yyyymmdd of the time, 0 without one
    int fileObjects = 0;
    int otherObjects = 0;     // registry values, hosts entries and whatever else is not a file
    // Known to hold nothing but registry values and hosts entries, which have
    // no place in a folder: a restore into one passes the item over.
    bool onlyNonFileObjects = false;
    std::vector<std::wstring> formerPaths;    // every file's former path, in the library's order
    CZEBQtWrapper::ContainerPtr container;
};

// Whether a reading makes the time's text, which only a listing shows.
enum class ItemTime { Read, Skipped };

// Reads what the item shows and holds from an enumerated or opened container,
// its objects in one walk of their listing.
QuarantineItem ReadQuarantineItem(const CZEBQtWrapper::ContainerPtr& container,
                                  ItemTime time = ItemTime::Read);

// The same for a container opened by its file's name, which is then the id:
// a container opened by name may report its path differently, and the name is
// the one the list and the file system know. Only the id is known when the
// container did not open (null).
QuarantineItem ReadNamedQuarantineItem(const CZEBQtWrapper::ContainerPtr& container,
                                       const std::wstring& name);

// The item a quarantine file of the folder is, read through a quarantine and
// container opened for it; only the id is known when either does not open.
// Both are closed again, the container before the quarantine, so the file
// may be deleted afterwards.
QuarantineItem ReadQuarantineItemByName(CZEBQtWrapper& library, const std::wstring& folder,
                                        const std::wstring& name);
