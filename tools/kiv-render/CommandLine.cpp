#include "CommandLine.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <set>

namespace
{
// Ranges of the numeric options. They keep the render sane, not only the plug-in: a block
// above 65536 frames or a tail of hours is far more likely a typing slip than a wish.
constexpr int maxBlockSize = 65536;
constexpr double minRateHz = 8000.0;
constexpr double maxRateHz = 384000.0;
constexpr double minTempoBpm = 10.0;
constexpr double maxTempoBpm = 999.0;
constexpr double maxStartPpq = 1.0e6;
constexpr double maxTailSeconds = 600.0;

std::string quoted(const std::string& text)
{
    return "'" + text + "'";
}
} // namespace

bool CommandLine::parseDouble(const std::string& text, double& value)
{
    if (text.empty() || std::isspace(static_cast<unsigned char>(text.front())))
        return false;

    errno = 0;
    char* end = nullptr;
    const double parsed = std::strtod(text.c_str(), &end);

    if (end != text.c_str() + text.size() || errno == ERANGE || !std::isfinite(parsed))
        return false;

    value = parsed;
    return true;
}

bool CommandLine::parseInt(const std::string& text, int& value)
{
    if (text.empty() || std::isspace(static_cast<unsigned char>(text.front())))
        return false;

    errno = 0;
    char* end = nullptr;
    const long parsed = std::strtol(text.c_str(), &end, 10);

    if (end != text.c_str() + text.size() || errno == ERANGE || parsed < INT_MIN ||
        parsed > INT_MAX)
        return false;

    value = static_cast<int>(parsed);
    return true;
}

bool CommandLine::parse(const std::vector<std::string>& args, RenderOptions& options,
                        std::string& error)
{
    options = RenderOptions{};
    std::set<std::string> seen;

    // The options that take a value; every other argument starting with '-' is a switch.
    const std::set<std::string> valueOptions = {
        "-o",          "--output", "--plugin", "--program",      "--param", "--block",
        "--bits",      "--rate",   "--tempo",  "--start-ppq",    "--midi",  "--state-in",
        "--state-out", "--tail",   "--plot",   "--plot-overview"};

    for (std::size_t i = 0; i < args.size(); ++i)
    {
        std::string arg = args[i];
        std::string value;
        bool hasValue = false;

        if (arg.size() > 2 && arg.compare(0, 2, "--") == 0)
        {
            const auto equals = arg.find('=');

            if (equals != std::string::npos)
            {
                value = arg.substr(equals + 1);
                arg = arg.substr(0, equals);
                hasValue = true;
            }
        }

        if (arg == "-h" || arg == "--help")
        {
            options.showHelp = true;
            continue;
        }

        if (arg == "--list-programs" || arg == "--list-params")
        {
            if (hasValue)
            {
                error = arg + " takes no value";
                return false;
            }

            (arg == "--list-programs" ? options.listPrograms : options.listParams) = true;
            continue;
        }

        if (valueOptions.count(arg) == 0)
        {
            if (arg.size() > 1 && arg[0] == '-')
            {
                error = "unknown option " + quoted(arg) + " (see --help)";
                return false;
            }

            if (!options.inputPath.empty())
            {
                error = "more than one input file: " + quoted(options.inputPath) + " and " +
                        quoted(arg);
                return false;
            }

            options.inputPath = arg;
            continue;
        }

        if (!hasValue)
        {
            if (i + 1 >= args.size())
            {
                error = arg + " needs a value";
                return false;
            }

            value = args[++i];
        }

        const std::string name = (arg == "-o") ? "--output" : arg;

        if (name != "--param" && !seen.insert(name).second)
        {
            error = name + " given more than once";
            return false;
        }

        auto needsText = [&](std::string& target)
        {
            if (value.empty())
            {
                error = name + " needs a non-empty value";
                return false;
            }

            target = value;
            return true;
        };

        auto needsNumber = [&](double& target, double lo, double hi, const char* what)
        {
            double parsed = 0.0;

            if (!parseDouble(value, parsed) || parsed < lo || parsed > hi)
            {
                error = name + ": " + quoted(value) + " is not " + what;
                return false;
            }

            target = parsed;
            return true;
        };

        bool ok = true;

        if (name == "--output")
            ok = needsText(options.outputPath);
        else if (name == "--plugin")
            ok = needsText(options.pluginPath);
        else if (name == "--program")
            ok = needsText(options.program);
        else if (name == "--midi")
            ok = needsText(options.midiPath);
        else if (name == "--state-in")
            ok = needsText(options.stateInPath);
        else if (name == "--state-out")
            ok = needsText(options.stateOutPath);
        else if (name == "--plot")
            ok = needsText(options.plotPath);
        else if (name == "--plot-overview")
            ok = needsText(options.overviewPath);
        else if (name == "--param")
        {
            const auto equals = value.find('=');
            ParamSetting setting;
            double parsed = 0.0;

            if (equals == std::string::npos || equals == 0)
            {
                error = "--param: " + quoted(value) + " is not NAME=VALUE";
                return false;
            }

            setting.name = value.substr(0, equals);
            const std::string number = value.substr(equals + 1);

            if (!parseDouble(number, parsed) || parsed < 0.0 || parsed > 1.0)
            {
                error =
                    "--param " + setting.name + ": " + quoted(number) + " is not a number in 0..1";
                return false;
            }

            setting.value = static_cast<float>(parsed);
            options.params.push_back(setting);
        }
        else if (name == "--block")
        {
            if (!parseInt(value, options.blockSize) || options.blockSize < 1 ||
                options.blockSize > maxBlockSize)
            {
                error = "--block: " + quoted(value) + " is not a whole number in 1.." +
                        std::to_string(maxBlockSize);
                return false;
            }
        }
        else if (name == "--bits")
        {
            if (!parseInt(value, options.bits) || (options.bits != 24 && options.bits != 32))
            {
                error = "--bits: " + quoted(value) + " is not 24 or 32";
                return false;
            }
        }
        else if (name == "--rate")
        {
            ok = needsNumber(options.demoRate, minRateHz, maxRateHz,
                             "a sample rate in 8000..384000 Hz");
            options.rateGiven = true;
        }
        else if (name == "--tempo")
            ok = needsNumber(options.tempo, minTempoBpm, maxTempoBpm, "a tempo in 10..999 bpm");
        else if (name == "--start-ppq")
            ok = needsNumber(options.startPpq, 0.0, maxStartPpq,
                             "a song position in 0..1000000 quarter notes");
        else if (name == "--tail")
            ok =
                needsNumber(options.tailSeconds, 0.0, maxTailSeconds, "a length in 0..600 seconds");

        if (!ok)
            return false;
    }

    if (options.showHelp || options.listPrograms || options.listParams)
        return true;

    if (options.rateGiven && !options.inputPath.empty())
    {
        error = "--rate applies to the built-in demo only; an input file plays at its own rate";
        return false;
    }

    if (!options.overviewPath.empty())
    {
        if (!options.program.empty() || !options.outputPath.empty() ||
            !options.stateOutPath.empty() || !options.plotPath.empty())
        {
            error = "--plot-overview renders every program; it does not combine with "
                    "--program, --output, --state-out or --plot";
            return false;
        }
        return true;
    }

    if (options.outputPath.empty() && options.plotPath.empty() && options.stateOutPath.empty())
    {
        error = "nothing to write: give -o FILE.wav, --plot FILE.png, --plot-overview FILE.png "
                "or --state-out FILE (see --help)";
        return false;
    }

    return true;
}

std::string CommandLine::helpText(const std::string& defaultPlugin)
{
    std::string text = R"(Usage: kiv-render [INPUT] [options]

Runs an audio file through the KIV-Filter VST 2.4 plug-in and writes the result.
Without INPUT it renders a built-in demo: four bars of a synthesised loop (saw bass,
kick, hi-hats) at the chosen tempo, with the host transport playing from --start-ppq.

Input:  WAV, AIFF or FLAC, mono or stereo. A mono file runs the plug-in with one input
        and one output channel; other channel counts are refused.
Output: WAV at the input's sample rate, 32-bit float (default) or 24-bit.

Options:
  -o, --output FILE      write the rendered audio to FILE (WAV)
  --bits 32|24           sample format of the output (default 32, float)
  --plugin PATH          the plug-in's .so (default: $KIV_PLUGIN, else the one built
                         next to this tool)
  --program N|NAME       program by number (0-based) or name: exact match first, then
                         without regard to case (runs of spaces count as one)
  --param NAME=VALUE     set a parameter (0..1) by its host-visible name, without regard
                         to case; may be repeated; applied after the state and the
                         program, in the order given
  --state-in FILE        load the plug-in's state chunk (raw bytes) before the program
  --state-out FILE       save the plug-in's state chunk at the end of the render
  --midi FILE.mid        send the notes and controllers of a Standard MIDI File. Event
                         times are taken in beats (ticks / ticks per quarter note) and
                         played at --tempo from the start of the render, so they stay in
                         step with the host transport; the file's own tempo events are
                         ignored. Files with SMPTE time use their times in seconds.
  --block N              frames per process call (default 512, 1..65536)
  --rate HZ              sample rate of the built-in demo (default 44100)
  --tempo BPM            host tempo (default 120, 10..999)
  --start-ppq Q          song position of the first frame, in quarter notes (default 0)
  --tail SECONDS         extra silence rendered after the input (default 0)
  --plot FILE.png        draw input and output spectrograms and the program's magnitude
                         response (LFO and envelope intensity at 0.5, no modulation)
  --plot-overview FILE.png
                         render the input through every program and draw all outputs
                         and magnitude responses in one figure
  --list-programs        print the plug-in's programs (number, tab, name)
  --list-params          print the plug-in's parameters (index, tab, name)
  -h, --help             show this text

Exit status: 0 success, 1 a file, plug-in or render failure, 2 a bad command line
(unknown option, bad number, unknown program or parameter name). Files are written
under a temporary name next to the target and renamed when complete.
)";
    text += "\nDefault plug-in: " +
            (defaultPlugin.empty() ? std::string("(none built)") : defaultPlugin) + "\n";
    return text;
}
