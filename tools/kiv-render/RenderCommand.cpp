#include "RenderCommand.h"

#include "CommandLine.h"
#include "OverviewRender.h"
#include "ProgramFigure.h"
#include "ProgressBar.h"
#include "RenderSession.h"
#include "ResponseMeter.h"
#include "SafeOutputFile.h"
#include "Spectrogram.h"
#include "WavFileWriter.h"

#include <juce_graphics/juce_graphics.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <map>
#include <memory>

namespace
{
constexpr const char* prefix = "kiv-render: ";

/** Encodes the image into the file's temporary stream; the caller commits. */
bool encodePng(const juce::Image& image, SafeOutputFile& file, std::string& error)
{
    juce::PNGImageFormat png;

    if (!png.writeImageToStream(image, file.stream()))
    {
        error = "cannot write '" + file.targetPath() + "': PNG encoding failed";
        return false;
    }

    return true;
}

int countNonFinite(const AudioClip& clip)
{
    int count = 0;

    for (const auto& channel : clip.channels)
        for (const float v : channel)
            if (!std::isfinite(v))
                ++count;

    return count;
}

float peakOf(const AudioClip& clip)
{
    float peak = 0.0f;

    for (const auto& channel : clip.channels)
        for (const float v : channel)
            if (std::isfinite(v))
                peak = std::max(peak, std::abs(v));

    return peak;
}

std::string programTitle(PluginInstance& instance)
{
    return "program " + std::to_string(instance.currentProgram()) + " \u201c" +
           instance.currentProgramName() + "\u201d";
}

std::string pluginPathFor(const RenderOptions& options, const std::string& defaultPlugin)
{
    if (!options.pluginPath.empty())
        return options.pluginPath;

    const char* fromEnvironment = std::getenv("KIV_PLUGIN");

    if (fromEnvironment != nullptr && *fromEnvironment != '\0')
        return fromEnvironment;

    return defaultPlugin;
}
} // namespace

int RenderCommand::run(const std::vector<std::string>& args, const std::string& defaultPlugin,
                       std::ostream& out, std::ostream& err)
{
    const auto fail = [&err](int status, const std::string& message)
    {
        err << prefix << message << "\n";
        return status;
    };

    RenderOptions options;
    std::string error;

    if (!CommandLine::parse(args, options, error))
        return fail(exitUsage, error);

    if (options.showHelp)
    {
        out << CommandLine::helpText(defaultPlugin);
        return 0;
    }

    const std::string pluginPath = pluginPathFor(options, defaultPlugin);

    if (pluginPath.empty())
        return fail(exitUsage, "no plug-in given: use --plugin PATH or set KIV_PLUGIN");

    if (options.listPrograms || options.listParams)
    {
        std::unique_ptr<PluginInstance> instance = PluginInstance::load(pluginPath, error);

        if (instance == nullptr)
            return fail(exitFailure, error);

        const auto programs = instance->programNames();
        const auto params = instance->parameterNames();

        for (std::size_t i = 0; options.listPrograms && i < programs.size(); ++i)
            out << i << "\t" << programs[i] << "\n";

        for (std::size_t i = 0; options.listParams && i < params.size(); ++i)
            if (!params[i].empty())
                out << i << "\t" << params[i] << "\n";

        return 0;
    }

    // Every output file needs a name of its own; a clash would let one overwrite the other.
    std::map<std::string, std::string> targets;

    for (const auto& [path, option] : std::vector<std::pair<std::string, std::string>>{
             {options.outputPath, "--output"},
             {options.stateOutPath, "--state-out"},
             {options.plotPath, "--plot"},
             {options.overviewPath, "--plot-overview"}})
    {
        if (path.empty())
            continue;

        const std::string full = juce::File::getCurrentWorkingDirectory()
                                     .getChildFile(path)
                                     .getFullPathName()
                                     .toStdString();

        if (targets.count(full) != 0)
            return fail(exitUsage,
                        option + " and " + targets[full] + " name the same file '" + path + "'");

        targets[full] = option;
    }

    RenderSession session;

    if (!session.load(options, pluginPath, error))
        return fail(exitFailure, error);

    // The plug-in ignores a chunk without its container header and carries on with its
    // first program, which would look like a successful restore.
    static const std::uint8_t chunkMagic[] = {'V', 'C', '2', '!'};

    if (session.hasState &&
        (session.state.size() < 9 ||
         !std::equal(std::begin(chunkMagic), std::end(chunkMagic), session.state.begin())))
        err << prefix << "warning: '" << options.stateInPath
            << "' does not look like a KIV-Filter state chunk; the plug-in will likely ignore "
               "it\n";

    // The outputs are opened before the work starts, so that an unwritable place is found at
    // once, and committed only when everything has succeeded.
    SafeOutputFile audioFile;
    SafeOutputFile stateFile;
    SafeOutputFile plotFile;
    SafeOutputFile overviewFile;

    if ((!options.outputPath.empty() && !audioFile.open(options.outputPath, error)) ||
        (!options.stateOutPath.empty() && !stateFile.open(options.stateOutPath, error)) ||
        (!options.plotPath.empty() && !plotFile.open(options.plotPath, error)) ||
        (!options.overviewPath.empty() && !overviewFile.open(options.overviewPath, error)))
        return fail(exitFailure, error);

    bool badName = false;

    if (overviewFile.isOpen())
    {
        juce::Image figure;

        if (!OverviewRender::render(session, figure, badName, error))
            return fail(badName ? exitUsage : exitFailure, error);

        if (!encodePng(figure, overviewFile, error) || !overviewFile.commit(error))
            return fail(exitFailure, error);

        out << prefix << "wrote " << options.overviewPath << "\n";
        return 0;
    }

    const double rate = session.input.sampleRate;
    const int numChannels = session.input.numChannels();
    std::unique_ptr<PluginInstance> instance =
        session.prepareInstance(numChannels, options.program, badName, error);

    if (instance == nullptr)
        return fail(badName ? exitUsage : exitFailure, error);

    const std::string title = programTitle(*instance);
    ProgressBar progress("kiv-render: rendering");
    const AudioClip rendered =
        instance->render(session.input, session.tailFrames(), session.midi.get(),
                         [&](std::size_t done, std::size_t total) {
                             progress.update(static_cast<double>(done), static_cast<double>(total));
                         });
    progress.finish();

    if (session.midi != nullptr)
    {
        const std::size_t late =
            session.midi->countFrom(static_cast<std::int64_t>(rendered.numFrames()));

        if (late > 0)
            err << prefix << "warning: " << late
                << " MIDI events lie after the end of the render and were not sent\n";
    }

    if (const int bad = countNonFinite(rendered); bad > 0)
        err << prefix << "warning: the plug-in produced " << bad << " non-finite samples\n";

    if (audioFile.isOpen())
    {
        if (options.bits == 24 && peakOf(rendered) > 1.0f)
            err << prefix << "warning: the output peaks at "
                << juce::String(20.0 * std::log10(peakOf(rendered)), 1) << " dB FS and is "
                << "clipped in the 24-bit file (--bits 32 keeps it)\n";

        if (!WavFileWriter::write(rendered, options.bits, audioFile.stream(), error))
            return fail(exitFailure, "cannot write '" + options.outputPath + "': " + error);
    }

    std::size_t stateBytes = 0;

    if (stateFile.isOpen())
    {
        const std::vector<std::uint8_t> chunk = instance->getState();
        stateBytes = chunk.size();

        if (chunk.empty())
            return fail(exitFailure, "the plug-in gave no state chunk");

        if (!stateFile.stream().write(chunk.data(), chunk.size()))
            return fail(exitFailure, "cannot write '" + options.stateOutPath + "'");
    }

    if (plotFile.isOpen())
    {
        const std::string effectName = instance->host().effectName();
        instance.reset();

        std::unique_ptr<PluginInstance> meter =
            session.prepareInstance(2, options.program, badName, error);

        if (meter == nullptr)
            return fail(badName ? exitUsage : exitFailure, error);

        const MagnitudeResponse response = ResponseMeter::measure(*meter, rate);
        const juce::Image figure = ProgramFigure::draw(
            effectName + " \u2014 " + title, session.settingsText(),
            Spectrogram::compute(session.input), Spectrogram::compute(rendered), response);

        if (!encodePng(figure, plotFile, error))
            return fail(exitFailure, error);
    }

    if (audioFile.isOpen())
    {
        if (!audioFile.commit(error))
            return fail(exitFailure, error);

        out << prefix << "wrote " << options.outputPath << " ("
            << juce::String(static_cast<double>(rendered.numFrames()) / rate, 2) << " s, "
            << numChannels << " ch, " << juce::String(rate, 0) << " Hz, "
            << (options.bits == 32 ? "32-bit float" : "24-bit") << ", " << title << ")\n";
    }

    if (stateFile.isOpen())
    {
        if (!stateFile.commit(error))
            return fail(exitFailure, error);

        out << prefix << "wrote " << options.stateOutPath << " (" << stateBytes
            << " bytes of state)\n";
    }

    if (plotFile.isOpen())
    {
        if (!plotFile.commit(error))
            return fail(exitFailure, error);

        out << prefix << "wrote " << options.plotPath << "\n";
    }

    return 0;
}
