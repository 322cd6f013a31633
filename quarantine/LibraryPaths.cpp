#include "quarantine/LibraryPaths.h"

#include <algorithm>

LibraryText ReadLibraryText(const wchar_t* buffer, size_t capacity) {
    LibraryText read;
    const wchar_t* const end = std::find(buffer, buffer + capacity, L'\0');
    read.text.assign(buffer, end);
    read.whole = read.text.size() + 1 < capacity;
    return read;
}

wchar_t* CLibraryPathBuffers::Get(size_t index) {
    std::unique_ptr<wchar_t[]>& buffer = m_buffers[index];
    const size_t capacity = static_cast<size_t>(kLibraryPathChars);
    if (!buffer) {
        buffer = std::make_unique<wchar_t[]>(capacity);
        return buffer.get();
    }
    wchar_t* const end = std::find(buffer.get(), buffer.get() + capacity, L'\0');
    std::fill(buffer.get(), end, L'\0');
    return buffer.get();
}
