#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// Every call that reports a path is given room for the longest path Windows
// knows, 32,767 characters, and its NUL, so that no path the library knows is
// cut.
const int32_t kLibraryPathChars = 32768;

// A text the library wrote into a buffer, read up to its first NUL and never
// past the buffer's end.
struct LibraryText {
    std::wstring text;
    // False when the text fills the buffer: no NUL before its last character.
    // The library may then have cut it, with a NUL or without, and since no
    // path the system knows is that long, the text is not the one it meant.
    bool whole = true;
};

LibraryText ReadLibraryText(const wchar_t* buffer, size_t capacity);

// The buffers the library writes paths into, kept by the binding and used by
// every call in turn (the program has one thread, and no call that fills them
// calls back into the binding): a listing asks for the paths of thousands of
// items, and 64 KiB set to NUL for every one of them would cost the listing
// more than the rest of its work. A buffer is all NUL when it is first handed
// out, and each time it is handed out again the text left in it is set back
// to NUL as far as its first NUL, so that a text the library writes without
// one ends where it ends. (What a library writes past its own NUL stays.)
class CLibraryPathBuffers {
public:
    static const size_t kCount = 2;  // a restore reports two texts

    // Buffer number index, of kLibraryPathChars characters, for one call.
    wchar_t* Get(size_t index);

private:
    std::unique_ptr<wchar_t[]> m_buffers[kCount];
};
