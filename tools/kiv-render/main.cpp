#include "RenderCommand.h"
#include "SafeOutputFile.h"

#include <iostream>
#include <string>
#include <vector>

#ifndef KIV_DEFAULT_PLUGIN
#define KIV_DEFAULT_PLUGIN ""
#endif

int main(int argc, char** argv)
{
    SafeOutputFile::installSignalCleanup();
    const std::vector<std::string> args(argv + 1, argv + argc);
    return RenderCommand::run(args, KIV_DEFAULT_PLUGIN, std::cout, std::cerr);
}
