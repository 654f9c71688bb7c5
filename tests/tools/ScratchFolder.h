#pragma once

#include <juce_core/juce_core.h>

#include <cstdlib>
#include <string>

/** A fresh, empty folder for one test, removed with everything in it afterwards. */
class ScratchFolder
{
public:
    ScratchFolder()
    {
        // mkdtemp picks and creates the name in one step, so that test processes running side
        // by side never share a folder.
        std::string pattern = juce::File::getSpecialLocation(juce::File::tempDirectory)
                                  .getChildFile("kiv-tools-test-XXXXXX")
                                  .getFullPathName()
                                  .toStdString();

        if (::mkdtemp(pattern.data()) != nullptr)
            folder = juce::File(pattern);
    }

    ~ScratchFolder()
    {
        if (folder != juce::File())
            folder.deleteRecursively();
    }

    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string path(const std::string& name) const
    {
        return folder.getChildFile(name).getFullPathName().toStdString();
    }

    const juce::File& file() const { return folder; }

private:
    juce::File folder;
};
