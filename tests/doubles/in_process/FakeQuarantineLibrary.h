#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <functional>
#include <string>
#include <vector>

#include "quarantine/ZEBQtWrapper.h"

// An in-process quarantine library for tests that need exact control over
// what the library reports, or many containers without files on disk. It puts
// its own functions into a binding's entry-point slots (every slot keeps its
// stub unless listed below) and puts the previous slots back when it goes.
//
// Bound: open/close quarantine, quarantine properties, start enumeration, open
// container, container properties, open/close object, file-object properties,
// close container. Everything else answers as the binding's stubs do.
//
// The state is process-wide (the slots are plain functions), so only one fake
// may be installed at a time.
struct FakeObject {
    std::wstring origPath;
    std::wstring virus;
    int32_t kind = 0;  // 0 a file; anything else is closed unread by the binding
};

struct FakeContainer {
    std::wstring filePath;
    std::wstring virus;
    SYSTEMTIME time = {};
    std::vector<FakeObject> objects;
    bool propertiesFail = false;  // ZEBQtGetContainerProperties answers 5
};

struct FakeQuarantineState {
    // The folder text the quarantine opens for; any folder when empty.
    std::wstring acceptedFolder;
    std::vector<FakeContainer> containers;
    bool enumerationFails = false;
    // Runs as the program opens the container of that index: a test makes the
    // library slow with it, or watches the window meanwhile.
    std::function<void(int32_t index)> beforeOpenContainer;

    // What the program did.
    std::vector<std::wstring> openedFolders;  // every ZEBQtOpenQuarantine argument, in order
    int openHandles = 0;                      // handles handed out and not yet closed
};

class CFakeQuarantineLibrary {
public:
    explicit CFakeQuarantineLibrary(CZEBQtWrapper& wrapper);
    ~CFakeQuarantineLibrary();
    CFakeQuarantineLibrary(const CFakeQuarantineLibrary&) = delete;
    CFakeQuarantineLibrary& operator=(const CFakeQuarantineLibrary&) = delete;

    FakeQuarantineState& State();

    // A container whose first file object came from origPath.
    static FakeContainer MakeContainer(const std::wstring& filePath, const std::wstring& virus,
                                       const std::wstring& origPath, const SYSTEMTIME& time);

private:
    struct SavedSlots;
    CZEBQtWrapper& m_wrapper;
    std::unique_ptr<SavedSlots> m_saved;
};
