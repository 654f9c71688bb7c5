#pragma once

#include <juce_core/juce_core.h>

#include <memory>
#include <string>

/**
    An output file that appears under its real name only when it is complete. `open`
    creates a hidden temporary file in the target's folder (so an unwritable place fails
    before any work is done), the caller writes through `stream()`, and `commit` flushes,
    checks for write errors and renames the temporary file over the target (over the file
    that a symbolic link points to, for a link; devices, pipes and sockets are refused, a
    rename would replace them). Without a
    successful commit the destructor removes the temporary file, and so does the handler
    that `installSignalCleanup` sets for SIGINT, SIGTERM and SIGHUP; an existing target is
    left untouched in both cases.
*/
class SafeOutputFile
{
public:
    SafeOutputFile() = default;
    ~SafeOutputFile();

    SafeOutputFile(const SafeOutputFile&) = delete;
    SafeOutputFile& operator=(const SafeOutputFile&) = delete;

    bool open(const std::string& targetPath, std::string& error);
    bool isOpen() const { return output != nullptr; }

    juce::FileOutputStream& stream() { return *output; }

    bool commit(std::string& error);

    const std::string& targetPath() const { return target; }

    static void installSignalCleanup();

private:
    void discard();

    std::string target;     ///< as the user gave it, for messages
    juce::File destination; ///< the file the rename replaces (a link's target for a link)
    juce::File temporary;
    std::unique_ptr<juce::FileOutputStream> output;
    int cleanupSlot = -1;
};
