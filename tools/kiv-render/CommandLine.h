#pragma once

#include "RenderOptions.h"

#include <string>
#include <vector>

/**
    Parses kiv-render's arguments into RenderOptions. Options take their value either as the
    next argument (`--block 256`) or after an equals sign (`--block=256`); the one argument
    that is no option is the input file. Every number is checked in full (no trailing
    characters, finite, inside its range) and every option that takes a single value may be
    given once only. On failure `parse` answers false with a message that names the option.
*/
class CommandLine
{
public:
    static bool parse(const std::vector<std::string>& args, RenderOptions& options,
                      std::string& error);

    /** The --help text; `defaultPlugin` is the .so used when neither --plugin nor
        $KIV_PLUGIN names one (may be empty). */
    static std::string helpText(const std::string& defaultPlugin);

    /** Strict decimal parsing: the whole text must be the number. */
    static bool parseDouble(const std::string& text, double& value);
    static bool parseInt(const std::string& text, int& value);
};
