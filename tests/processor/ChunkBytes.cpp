#include "ChunkBytes.h"

#include "KivCore.h"

#include <cstring>

namespace ChunkBytes
{
std::vector<char> wrap(const std::string& xml)
{
    return wrap(xml, static_cast<juce::int32>(xml.size()));
}

std::vector<char> wrap(const std::string& xml, juce::int32 lengthField)
{
    std::vector<char> bytes(8 + xml.size() + 1, '\0');
    const char magic[] = {'V', 'C', '2', '!'};
    std::memcpy(bytes.data(), magic, 4);
    const auto length = juce::ByteOrder::swapIfBigEndian(static_cast<juce::uint32>(lengthField));
    std::memcpy(bytes.data() + 4, &length, 4);
    std::memcpy(bytes.data() + 8, xml.data(), xml.size());
    return bytes;
}

std::vector<char> of(KivCore& core)
{
    juce::MemoryBlock block;
    core.getStateInformation(block);
    const auto* data = static_cast<const char*>(block.getData());
    return std::vector<char>(data, data + block.getSize());
}

std::string textOf(const std::vector<char>& chunk)
{
    if (chunk.size() < 9)
    {
        return {};
    }
    return std::string(chunk.data() + 8, chunk.size() - 9);
}

std::string stateText(const std::string& rootAttributes, const std::string& children)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?> <kiv" + rootAttributes + ">" + children +
           "</kiv>";
}
} // namespace ChunkBytes
