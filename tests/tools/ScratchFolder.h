#pragma once

#include <juce_core/juce_core.h>

#include <string>

/** A fresh, empty folder for one test, removed with everything in it afterwards. */
class ScratchFolder
{
public:
    ScratchFolder()
        : folder(juce::File::getSpecialLocation(juce::File::tempDirectory)
                     .getNonexistentChildFile("kiv-tools-test", "", false))
    {
        folder.createDirectory();
    }

    ~ScratchFolder() { folder.deleteRecursively(); }

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
