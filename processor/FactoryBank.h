#pragma once

#include <cstddef>

// The ten programs every new instance starts with, as the XML text of a stored state (plain
// ASCII, 3434 bytes). The processor reads it through the same path as a host's chunk.
class FactoryBank
{
public:
    static const char* text() noexcept;
    // Length of text() in bytes, without the terminating zero.
    static std::size_t sizeInBytes() noexcept;
};
