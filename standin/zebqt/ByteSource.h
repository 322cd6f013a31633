#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace zq {

// Random-access bytes of one container, from a file or from memory.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual uint64_t Size() const = 0;
    // Reads exactly size bytes at offset; false when they are not all there.
    virtual bool Read(uint64_t offset, void* data, size_t size) const = 0;
};

class MemorySource : public ByteSource {
public:
    MemorySource(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    uint64_t Size() const override { return m_size; }
    bool Read(uint64_t offset, void* data, size_t size) const override {
        if (offset > m_size || size > m_size - offset) return false;
        if (size != 0) std::memcpy(data, m_data + offset, size);
        return true;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
};

}  // namespace zq
