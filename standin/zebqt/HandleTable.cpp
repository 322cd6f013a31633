#include "standin/zebqt/HandleTable.h"

namespace zq {
namespace {

struct Section {
    CRITICAL_SECTION section;
    Section() { ::InitializeCriticalSection(&section); }
    ~Section() { ::DeleteCriticalSection(&section); }
};

Section& TheSection() {
    static Section section;
    return section;
}

}  // namespace

int32_t HandleTable::Add(std::shared_ptr<HandleObject> object) {
    for (;;) {
        const int32_t handle = m_next;
        m_next = m_next >= 0x7ffffffe ? 1 : m_next + 1;
        if (m_objects.find(handle) == m_objects.end()) {
            m_objects.emplace(handle, std::move(object));
            return handle;
        }
    }
}

LibraryLock::LibraryLock() {
    ::EnterCriticalSection(&TheSection().section);
}
LibraryLock::~LibraryLock() {
    ::LeaveCriticalSection(&TheSection().section);
}

HandleTable& Handles() {
    static HandleTable table;
    return table;
}

}  // namespace zq
