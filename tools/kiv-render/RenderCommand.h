#pragma once

#include <ostream>
#include <string>
#include <vector>

/**
    The whole of kiv-render: reads the command line, the input (or synthesises the demo),
    the MIDI file and the state, drives the plug-in and writes the results. Every message
    goes to `err` with the prefix "kiv-render: "; the answer is the exit status: 0 done,
    1 a file, plug-in or render failure, 2 a bad command line (including unknown program
    and parameter names). Output files appear only when complete (SafeOutputFile).
*/
class RenderCommand
{
public:
    static int run(const std::vector<std::string>& args, const std::string& defaultPlugin,
                   std::ostream& out, std::ostream& err);

    static constexpr int exitFailure = 1;
    static constexpr int exitUsage = 2;
};
