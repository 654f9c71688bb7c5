#include "PngFile.h"

namespace
{
std::uint32_t bigEndian32(const std::uint8_t* p)
{
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) |
           std::uint32_t(p[3]);
}
} // namespace

juce::String PngFile::write(const juce::Image& image, const juce::File& file,
                            const Expectation& expected)
{
    juce::MemoryBlock bytes;
    {
        juce::MemoryOutputStream out(bytes, false);
        juce::PNGImageFormat png;
        if (!png.writeImageToStream(image, out))
            return "could not encode " + file.getFileName();
    }

    if (auto problem = checkHeader(bytes, expected); problem.isNotEmpty())
        return file.getFileName() + ": " + problem;

    const auto decoded = juce::ImageFileFormat::loadFrom(bytes.getData(), bytes.getSize());
    if (!decoded.isValid())
        return file.getFileName() + ": does not decode";
    if (auto problem = checkAlpha(decoded, expected); problem.isNotEmpty())
        return file.getFileName() + ": " + problem;

    if (!file.getParentDirectory().createDirectory() ||
        !file.replaceWithData(bytes.getData(), bytes.getSize()))
        return "could not write " + file.getFullPathName();
    return {};
}

juce::String PngFile::checkHeader(const juce::MemoryBlock& bytes, const Expectation& expected)
{
    // Signature (8 bytes), then the IHDR chunk: length (4), type (4), width (4), height (4),
    // bit depth, colour type, compression, filter, interlace (1 each).
    static const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', 0x0d, 0x0a, 0x1a, 0x0a};
    if (bytes.getSize() < 33)
        return "too short";
    const auto* p = static_cast<const std::uint8_t*>(bytes.getData());
    if (std::memcmp(p, signature, sizeof(signature)) != 0 || std::memcmp(p + 12, "IHDR", 4) != 0)
        return "not a PNG";

    const auto width = bigEndian32(p + 16);
    const auto height = bigEndian32(p + 20);
    if (width != std::uint32_t(expected.width) || height != std::uint32_t(expected.height))
        return "is " + juce::String(width) + " x " + juce::String(height);
    if (p[24] != 8)
        return "bit depth " + juce::String(p[24]);
    if (p[25] != 6)
        return "colour type " + juce::String(p[25]) + ", not RGBA";
    if (p[28] != 0)
        return "interlaced";
    return {};
}

juce::String PngFile::checkAlpha(const juce::Image& decoded, const Expectation& expected)
{
    const juce::Image::BitmapData data(decoded, juce::Image::BitmapData::readOnly);
    int lowest = 255;
    int highest = 0;
    for (int y = 0; y < decoded.getHeight(); ++y)
        for (int x = 0; x < decoded.getWidth(); ++x)
        {
            const int a = data.getPixelColour(x, y).getAlpha();
            lowest = std::min(lowest, a);
            highest = std::max(highest, a);
        }

    if (lowest < expected.minAlpha || highest > expected.maxAlpha)
        return "alpha spans " + juce::String(lowest) + ".." + juce::String(highest) + ", allowed " +
               juce::String(expected.minAlpha) + ".." + juce::String(expected.maxAlpha);
    return {};
}
