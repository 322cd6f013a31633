#pragma once

#include <windows.h>

#include <boost/shared_ptr.hpp>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/Handles.h"
#include "quarantine/LibraryPaths.h"
#include "quarantine/ZEBQtEntryPoints.h"

// What the quarantine library's restores answer.
enum : int32_t {
    kRestored = 0,
    kRestoreQuarantineFileUnreadable = -1,
    kRestoreTargetUnwritable = -2,
    kRestoreVirusNotRemoved = -3,
    // Nothing could be called: the quarantine, the container or the object
    // did not open.
    kRestoreNotAttempted = 5,
};

// The binding to the quarantine library ZEBQt.dll. Every entry-point slot
// always holds something callable: the library's function once bound, or a stub
// of the slot's own signature that answers a fixed failure value, so callers
// never test whether the library or an entry point is there.
class CZEBQtWrapper {
public:
    class Quarantine;
    class Container;
    class Object;
    class FileObject;
    typedef boost::shared_ptr<Quarantine> QuarantinePtr;
    typedef boost::shared_ptr<Container> ContainerPtr;
    typedef boost::shared_ptr<FileObject> FileObjectPtr;

    CZEBQtWrapper();
    ~CZEBQtWrapper();
    CZEBQtWrapper(const CZEBQtWrapper&) = delete;
    CZEBQtWrapper& operator=(const CZEBQtWrapper&) = delete;

    // Loads the library from the directory (or by plain name when it is
    // empty), else from the product's folder under the common program files,
    // and binds every entry point. True when a library is loaded afterwards;
    // a second call while loaded changes nothing.
    bool Load(const std::wstring& directory);
    // Frees the library and puts every slot back to its stub.
    void Unload();

    // Opens the quarantine in a folder; empty when it does not open.
    QuarantinePtr OpenQuarantine(const std::wstring& path);

    CModule m_hModule;
    bool m_bEntryPointMissing;
    // What the object model's calls have the library write paths into.
    CLibraryPathBuffers m_PathBuffers;

#define ZEBQT_DECLARE_SLOT(name, ret, stub, params) PFN_##name name;
    ZEBQT_ENTRY_POINTS(ZEBQT_DECLARE_SLOT)
#undef ZEBQT_DECLARE_SLOT

private:
    void ResetSlots();
};

// One opened quarantine folder.
class CZEBQtWrapper::Quarantine {
public:
    explicit Quarantine(CZEBQtWrapper* pWrapper);
    ~Quarantine();
    Quarantine(const Quarantine&) = delete;
    Quarantine& operator=(const Quarantine&) = delete;

    bool Open(const std::wstring& path);
    // Reads the quarantine's path as the library reports it into m_strPath;
    // empty when the call fails or the path fills its buffer.
    void ReadProperties();
    // Fills the vector with every container in index order; false when the
    // library refuses to enumerate (the vector is then empty).
    bool EnumContainers(std::vector<ContainerPtr>& containers);
    // The same, asking readOn after each container whether to read on; when
    // it answers false the vector keeps the containers read so far and the
    // result is true.
    bool EnumContainers(std::vector<ContainerPtr>& containers,
                        const std::function<bool(const Container&)>& readOn);
    // Opens a quarantine file of this quarantine by its name without folder:
    // the name after the path the library reports or, where it reports none,
    // after the folder the quarantine was opened with.
    ContainerPtr OpenContainerByName(const std::wstring& name);

    std::wstring m_strPath;
    // The folder given to Open, with a trailing backslash.
    std::wstring m_strOpenedFolder;
    CZEBQtWrapper* m_pWrapper;
    int32_t m_hQuarantine;
};

// One quarantine file: one row of the list.
class CZEBQtWrapper::Container {
public:
    explicit Container(CZEBQtWrapper* pWrapper);
    ~Container();
    Container(const Container&) = delete;
    Container& operator=(const Container&) = delete;

    // Reads the container's properties; on a failed call, or a file path
    // that fills its buffer, the time stamp, the values and the texts are
    // zero and empty, as nothing the library said can be taken.
    void ReadProperties();
    // Fills the vector with the container's file objects in the library's
    // order; objects of other kinds are closed at once.
    bool EnumObjects(std::vector<FileObjectPtr>& objects);
    // True when the container lists at least one object, none of them is a
    // file (registry values, hosts entries), and its listing is known to be
    // complete; false for a container that lists nothing, as a damaged one
    // does, and for one whose listing may have stopped at an object the
    // library could not open.
    bool ListsOnlyNonFileObjects();
    // How many objects the enumeration passes over as not files.
    int32_t CountNonFileObjects();
    // All three of the above in one walk of the listing, for a reading of
    // the whole item: each file object's former path (as FormerPaths gives
    // them), the count of other objects and the answer of
    // ListsOnlyNonFileObjects. Every object is closed again on return.
    struct Objects {
        std::vector<std::wstring> formerPaths;
        int32_t otherObjects = 0;
        bool onlyNonFileObjects = false;
    };
    Objects ReadObjects();
    int32_t Restore(const std::wstring& destination, uint32_t flags, ZEBQtCleanHook hook,
                    uintptr_t context, uint32_t reserved);

    SYSTEMTIME m_Time;
    uint32_t m_dwInfo1;
    uint32_t m_dwInfo2;
    std::wstring m_strFilePath;
    std::wstring m_strVirus;
    CZEBQtWrapper* m_pWrapper;
    int32_t m_hContainer;
};

// Something a container holds.
class CZEBQtWrapper::Object {
public:
    explicit Object(CZEBQtWrapper* pWrapper);
    virtual ~Object();
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    virtual void ReadProperties() = 0;

    std::wstring m_strVirus;
    int32_t m_nIndex;
    CZEBQtWrapper* m_pWrapper;
    int32_t m_hObject;
};

// A quarantined file.
class CZEBQtWrapper::FileObject : public CZEBQtWrapper::Object {
public:
    explicit FileObject(CZEBQtWrapper* pWrapper);

    // Reads the former path and the virus; a failed call, or a former path
    // that fills its buffer, leaves both as they were.
    void ReadProperties() override;
    // The five values go to the library unchanged; each text pointer, when
    // given, receives the matching text the library reports on success, or
    // an empty text where that text fills its buffer.
    int32_t Restore(uint32_t value1, uint32_t value2, uint32_t value3, uint32_t value4,
                    uint32_t value5, std::wstring* pText1, std::wstring* pText2);

    std::wstring m_strOrigPath;
    ZEBQtFileInfo m_FileInfo;
};

// Text of a buffer the library filled, up to its first NUL but never past its
// size, whether or not the library terminated it.
std::wstring TextFromBuffer(const wchar_t* buffer, size_t capacity);

// Where Load looks for the library, in order: the directory (or the plain
// name when it is empty), then the product's folder under the common program
// files, which is left out when the system names no such folder.
std::vector<std::wstring> ZEBQtLibraryCandidates(const std::wstring& directory,
                                                 const std::wstring& commonFiles);
