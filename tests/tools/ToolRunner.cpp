#include "ToolRunner.h"

#include <juce_core/juce_core.h>

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace
{
std::string slurp(const std::string& path)
{
    std::ifstream stream(path, std::ios::binary);
    std::ostringstream text;
    text << stream.rdbuf();
    return text.str();
}
} // namespace

namespace
{
struct Child
{
    pid_t pid = -1;
    std::string outPath;
    std::string errPath;
};

std::map<int, Child>& children()
{
    static std::map<int, Child> running;
    return running;
}

Child spawn(const std::string& program, const std::vector<std::string>& args,
            const std::map<std::string, std::string>& environment)
{
    std::vector<std::string> env;

    for (char** e = environ; *e != nullptr; ++e)
    {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('='));

        if (name != "KIV_PLUGIN" && environment.count(name) == 0)
            env.push_back(entry);
    }

    for (const auto& [name, value] : environment)
        if (!value.empty())
            env.push_back(name + "=" + value);

    const juce::File temp = juce::File::getSpecialLocation(juce::File::tempDirectory);
    std::string outTemplate =
        temp.getChildFile("kiv-tools-out-XXXXXX").getFullPathName().toStdString();
    std::string errTemplate =
        temp.getChildFile("kiv-tools-err-XXXXXX").getFullPathName().toStdString();
    const int outFd = ::mkstemp(outTemplate.data());
    const int errFd = ::mkstemp(errTemplate.data());

    std::vector<char*> argv{const_cast<char*>(program.c_str())};

    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));

    argv.push_back(nullptr);

    std::vector<char*> envp;

    for (auto& e : env)
        envp.push_back(e.data());

    envp.push_back(nullptr);

    Child child;
    child.outPath = outTemplate;
    child.errPath = errTemplate;
    child.pid = ::fork();

    if (child.pid == 0)
    {
        const int devNull = ::open("/dev/null", O_RDONLY);
        ::dup2(devNull, STDIN_FILENO);
        ::dup2(outFd, STDOUT_FILENO);
        ::dup2(errFd, STDERR_FILENO);
        ::execve(program.c_str(), argv.data(), envp.data());
        std::_Exit(127);
    }

    ::close(outFd);
    ::close(errFd);
    return child;
}

ToolResult collect(const Child& child)
{
    ToolResult result;
    int wstatus = 0;

    if (child.pid > 0 && ::waitpid(child.pid, &wstatus, 0) == child.pid)
    {
        if (WIFEXITED(wstatus))
            result.status = WEXITSTATUS(wstatus);
        else if (WIFSIGNALED(wstatus))
            result.status = 128 + WTERMSIG(wstatus);
    }

    result.out = slurp(child.outPath);
    result.err = slurp(child.errPath);
    ::unlink(child.outPath.c_str());
    ::unlink(child.errPath.c_str());
    return result;
}
} // namespace

ToolResult ToolRunner::run(const std::string& program, const std::vector<std::string>& args,
                           const std::map<std::string, std::string>& environment)
{
    return collect(spawn(program, args, environment));
}

int ToolRunner::start(const std::vector<std::string>& args)
{
    const Child child = spawn(KIV_RENDER_PATH, args, {});
    children()[child.pid] = child;
    return child.pid;
}

ToolResult ToolRunner::finish(int pid)
{
    const auto found = children().find(pid);

    if (found == children().end())
        return {};

    const Child child = found->second;
    children().erase(found);
    return collect(child);
}

ToolResult ToolRunner::render(const std::vector<std::string>& args,
                              const std::map<std::string, std::string>& environment)
{
    return run(KIV_RENDER_PATH, args, environment);
}
