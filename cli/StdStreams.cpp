#include "cli/StdStreams.h"

#include <windows.h>

#include <algorithm>
#include <string>

namespace {

std::wstring Utf16(const std::string& bytes) {
    if (bytes.empty()) return std::wstring();
    const int size = ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()),
                                           nullptr, 0);
    std::wstring text(static_cast<size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0], size);
    return text;
}

// False only when text is lost: a full disk, a closed or broken handle. A
// reader that went away early (the far end of a pipe, as a pager that was
// quit) ends the report without a complaint, as it does for any console tool.
bool WriteTo(DWORD which, const std::string& bytes) {
    const HANDLE handle = ::GetStdHandle(which);
    // A window program started without redirection has nowhere to write, and
    // was asked for nothing there.
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE || bytes.empty()) return true;
    DWORD mode = 0;
    if (::GetConsoleMode(handle, &mode)) {
        const std::wstring text = Utf16(bytes);
        // Large reports go in pieces: some consoles refuse one very long write.
        const size_t kPiece = 8192;
        for (size_t at = 0; at < text.size();) {
            DWORD written = 0;
            const DWORD count = static_cast<DWORD>(ConsolePieceLength(text, at, kPiece));
            if (!::WriteConsoleW(handle, text.data() + at, count, &written, nullptr) || written == 0)
                return false;
            at += written;
        }
        return true;
    }
    for (size_t at = 0; at < bytes.size();) {
        DWORD written = 0;
        const DWORD count = static_cast<DWORD>(std::min<size_t>(bytes.size() - at, 1u << 20));
        if (!::WriteFile(handle, bytes.data() + at, count, &written, nullptr)) {
            const DWORD error = ::GetLastError();
            return error == ERROR_BROKEN_PIPE || error == ERROR_NO_DATA;
        }
        if (written == 0) return false;
        at += written;
    }
    return true;
}

}  // namespace

size_t ConsolePieceLength(const std::wstring& text, size_t at, size_t most) {
    if (at >= text.size()) return 0;
    size_t length = std::min(most, text.size() - at);
    // A console shows half a surrogate pair as a box: never end a piece
    // between the two, unless the pair alone is wider than a piece.
    const size_t end = at + length;
    if (length > 1 && end < text.size() && IS_HIGH_SURROGATE(text[end - 1]) &&
        IS_LOW_SURROGATE(text[end]))
        --length;
    return length;
}

CliStreams StandardStreams() {
    CliStreams streams;
    streams.out = [](const std::string& bytes) { return WriteTo(STD_OUTPUT_HANDLE, bytes); };
    streams.err = [](const std::string& bytes) { return WriteTo(STD_ERROR_HANDLE, bytes); };
    return streams;
}
