#pragma once

#include <string>
#include <vector>

/** One `--param NAME=VALUE` setting, in the order given on the command line. */
struct ParamSetting
{
    std::string name;
    float value = 0.0f;
};

/**
    Everything the command line asked for, already checked for form and range: numbers are
    valid and inside their ranges, file names are non-empty. Whether files exist and whether
    program and parameter names are known is decided later, against the files and the
    loaded plug-in.
*/
struct RenderOptions
{
    bool showHelp = false;
    bool listPrograms = false;
    bool listParams = false;

    std::string inputPath;    ///< empty: render the built-in demo
    std::string outputPath;   ///< empty: no audio file is written
    std::string pluginPath;   ///< empty: the built-in default (or $KIV_PLUGIN)
    std::string plotPath;     ///< `--plot`: the single-program figure
    std::string overviewPath; ///< `--plot-overview`: every program in one figure
    std::string midiPath;
    std::string stateInPath;
    std::string stateOutPath;

    std::string program; ///< number or name, empty: keep the plug-in's current program
    std::vector<ParamSetting> params;

    int blockSize = 512;
    int bits = 32; ///< 32: IEEE float WAV, 24: integer PCM WAV
    double demoRate = 44100.0;
    bool rateGiven = false;
    double tempo = 120.0;
    double startPpq = 0.0;
    double tailSeconds = 0.0;
};
