#include "SafeOutputFile.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <unistd.h>

namespace
{
// Temporary files still pending, for the signal handler. Plain arrays: the handler may only
// use async-signal-safe calls (unlink), so nothing here allocates or locks.
constexpr int maxPendingFiles = 16;
constexpr std::size_t maxPathBytes = 4096;
char pendingPaths[maxPendingFiles][maxPathBytes];
std::atomic<bool> pendingUsed[maxPendingFiles];

int registerPending(const std::string& path)
{
    if (path.size() >= maxPathBytes)
        return -1;

    for (int i = 0; i < maxPendingFiles; ++i)
    {
        if (!pendingUsed[i].load())
        {
            std::memcpy(pendingPaths[i], path.c_str(), path.size() + 1);
            pendingUsed[i].store(true);
            return i;
        }
    }

    return -1;
}

void unregisterPending(int slot)
{
    if (slot >= 0)
        pendingUsed[slot].store(false);
}

extern "C" void removePendingAndDie(int signalNumber)
{
    for (int i = 0; i < maxPendingFiles; ++i)
        if (pendingUsed[i].load())
            ::unlink(pendingPaths[i]);

    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
}
} // namespace

void SafeOutputFile::installSignalCleanup()
{
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP})
        std::signal(signalNumber, removePendingAndDie);
}

SafeOutputFile::~SafeOutputFile()
{
    discard();
}

void SafeOutputFile::discard()
{
    output.reset();

    if (temporary != juce::File())
        temporary.deleteFile();

    unregisterPending(cleanupSlot);
    cleanupSlot = -1;
    temporary = juce::File();
}

bool SafeOutputFile::open(const std::string& targetPath, std::string& error)
{
    discard();
    target = targetPath;

    juce::File file = juce::File::getCurrentWorkingDirectory().getChildFile(targetPath);
    std::error_code failure;
    const auto status =
        std::filesystem::symlink_status(file.getFullPathName().toStdString(), failure);

    if (std::filesystem::is_symlink(status))
    {
        // Write through the link: the rename then replaces (or creates) the file it points
        // to, and the link itself stays.
        const std::filesystem::path link = file.getFullPathName().toStdString();
        std::filesystem::path pointee = std::filesystem::read_symlink(link, failure);

        if (!failure && pointee.is_relative())
            pointee = link.parent_path() / pointee;

        if (!failure)
            pointee = std::filesystem::weakly_canonical(pointee, failure);

        if (failure)
        {
            error = "cannot write '" + targetPath + "': " + failure.message();
            return false;
        }

        file = juce::File(pointee.string());
    }

    const juce::File folder = file.getParentDirectory();

    if (file.exists() && !file.isDirectory() &&
        !std::filesystem::is_regular_file(file.getFullPathName().toStdString(), failure))
    {
        // A device, a pipe or a socket: renaming a file over it would replace it.
        error = "cannot write '" + targetPath + "': not a regular file";
        return false;
    }

    if (file.isDirectory())
    {
        error = "cannot write '" + targetPath + "': it is a folder";
        return false;
    }

    if (!folder.isDirectory())
    {
        error = "cannot write '" + targetPath + "': folder '" +
                folder.getFullPathName().toStdString() + "' does not exist";
        return false;
    }

    if (file.existsAsFile() && !file.hasWriteAccess())
    {
        error = "cannot write '" + targetPath + "': the file is write-protected";
        return false;
    }

    // Hidden, and named after the target and this process, so that two renders into one
    // folder never share a temporary file.
    temporary = folder.getChildFile("." + file.getFileName() + ".kiv-render-" +
                                    juce::String(static_cast<int>(::getpid())) + ".tmp");
    cleanupSlot = registerPending(temporary.getFullPathName().toStdString());

    errno = 0;
    output = std::make_unique<juce::FileOutputStream>(temporary);

    if (output->failedToOpen())
    {
        const std::string reason = output->getStatus().getErrorMessage().toStdString();
        output.reset();
        temporary.deleteFile();
        unregisterPending(cleanupSlot);
        cleanupSlot = -1;
        temporary = juce::File();
        error = "cannot write '" + targetPath + "': " +
                (reason.empty() ? std::string("cannot create a file in its folder") : reason);
        return false;
    }

    output->setPosition(0);
    output->truncate();
    destination = file;
    return true;
}

bool SafeOutputFile::commit(std::string& error)
{
    if (temporary == juce::File())
    {
        error = "cannot write '" + target + "': not open";
        return false;
    }

    if (output != nullptr)
    {
        output->flush();

        if (output->getStatus().failed())
        {
            error = "cannot write '" + target +
                    "': " + output->getStatus().getErrorMessage().toStdString();
            discard();
            return false;
        }

        output.reset();
    }

    if (std::rename(temporary.getFullPathName().toRawUTF8(),
                    destination.getFullPathName().toRawUTF8()) != 0)
    {
        error = "cannot write '" + target + "': " + std::strerror(errno);
        discard();
        return false;
    }

    unregisterPending(cleanupSlot);
    cleanupSlot = -1;
    temporary = juce::File();
    return true;
}
