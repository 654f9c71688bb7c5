#pragma once

#include <map>
#include <string>
#include <vector>

/** What a run of a program left behind. */
struct ToolResult
{
    int status = -1; ///< exit status, or 128 + signal number
    std::string out;
    std::string err;
};

/**
    Runs a program as a child process and collects its exit status and its output. The
    child gets this process's environment without KIV_PLUGIN, plus `environment` (an empty
    value removes the variable). Its stdin is /dev/null, stdout and stderr are files.
*/
class ToolRunner
{
public:
    static ToolResult run(const std::string& program, const std::vector<std::string>& args,
                          const std::map<std::string, std::string>& environment = {});

    /** Starts kiv-render of this build tree without waiting; `finish` waits for it. */
    static int start(const std::vector<std::string>& args);
    static ToolResult finish(int pid);

    /** kiv-render of this build tree. */
    static ToolResult render(const std::vector<std::string>& args,
                             const std::map<std::string, std::string>& environment = {});
};
