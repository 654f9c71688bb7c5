#include "RenderCommand.h"

#include "AudioFileLoader.h"
#include "CommandLine.h"
#include "DemoLoop.h"
#include "MidiSchedule.h"
#include "OverviewFigure.h"
#include "PluginInstance.h"
#include "ProgramFigure.h"
#include "ProgressBar.h"
#include "ResponseMeter.h"
#include "SafeOutputFile.h"
#include "Spectrogram.h"
#include "WavFileWriter.h"

#include <juce_graphics/juce_graphics.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>

namespace
{
constexpr const char* prefix = "kiv-render: ";
constexpr int demoBars = 4;

/** What the render needs besides the options: the input, the MIDI events and the state. */
struct Session
{
    RenderOptions options;
    std::string pluginPath;
    AudioClip input;
    std::string inputDescription;
    std::unique_ptr<MidiSchedule> midi;
    std::vector<std::uint8_t> state;
    bool hasState = false;
};

bool readBytes(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error)
{
    const juce::File file = juce::File::getCurrentWorkingDirectory().getChildFile(path);

    if (!file.existsAsFile())
    {
        error = "cannot read state file '" + path + "': no such file";
        return false;
    }

    std::ifstream stream(file.getFullPathName().toStdString(), std::ios::binary);

    if (!stream)
    {
        error = "cannot read state file '" + path + "': permission denied";
        return false;
    }

    bytes.assign(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());

    if (stream.bad())
    {
        error = "cannot read state file '" + path + "': read error";
        return false;
    }

    if (bytes.empty())
    {
        error = "state file '" + path + "' is empty";
        return false;
    }

    return true;
}

/** Loads an instance and brings it to the settings of the render: rate, block, layout,
    transport, then state, program and parameters. `usage` tells a bad name apart. */
std::unique_ptr<PluginInstance> prepareInstance(const Session& session, int numChannels,
                                                const std::string& program, bool& usage,
                                                std::string& error)
{
    usage = false;
    std::unique_ptr<PluginInstance> instance = PluginInstance::load(session.pluginPath, error);

    if (instance == nullptr || !instance->configure(session.input.sampleRate,
                                                    session.options.blockSize, numChannels, error))
        return nullptr;

    instance->setTransport(session.options.tempo, session.options.startPpq);

    if (session.hasState && !instance->setState(session.state, error))
        return nullptr;

    if (!program.empty() && !instance->selectProgram(program, error))
    {
        usage = true;
        return nullptr;
    }

    for (const ParamSetting& setting : session.options.params)
    {
        if (!instance->setParameter(setting.name, setting.value, error))
        {
            usage = true;
            return nullptr;
        }
    }

    return instance;
}

std::string programTitle(PluginInstance& instance)
{
    return "program " + std::to_string(instance.currentProgram()) + " \u201c" +
           instance.currentProgramName() + "\u201d";
}

std::string settingsText(const Session& session)
{
    std::string text = session.inputDescription + "  \u00b7  " +
                       juce::String(session.input.sampleRate, 0).toStdString() + " Hz  \u00b7  " +
                       juce::String(session.options.tempo, 2)
                           .trimCharactersAtEnd("0")
                           .trimCharactersAtEnd(".")
                           .toStdString() +
                       " bpm";

    for (const ParamSetting& setting : session.options.params)
        text += "  \u00b7  " + setting.name + " = " + juce::String(setting.value, 3).toStdString();

    if (session.midi != nullptr)
        text +=
            "  \u00b7  MIDI: " + juce::File(session.options.midiPath).getFileName().toStdString();

    return text;
}

bool writePng(const juce::Image& image, SafeOutputFile& file, std::string& error)
{
    juce::PNGImageFormat png;

    if (!png.writeImageToStream(image, file.stream()))
    {
        error = "cannot write '" + file.targetPath() + "': PNG encoding failed";
        return false;
    }

    return file.commit(error);
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

std::string secondsText(std::size_t frames, double rate)
{
    return juce::String(static_cast<double>(frames) / rate, 2).toStdString() + " s";
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
    Session session;
    std::string error;

    if (!CommandLine::parse(args, session.options, error))
        return fail(exitUsage, error);

    const RenderOptions& options = session.options;

    if (options.showHelp)
    {
        out << CommandLine::helpText(defaultPlugin);
        return 0;
    }

    session.pluginPath = options.pluginPath;

    if (session.pluginPath.empty())
    {
        const char* fromEnvironment = std::getenv("KIV_PLUGIN");
        session.pluginPath = (fromEnvironment != nullptr && *fromEnvironment != '\0')
                                 ? std::string(fromEnvironment)
                                 : defaultPlugin;
    }

    if (session.pluginPath.empty())
        return fail(exitUsage, "no plug-in given: use --plugin PATH or set KIV_PLUGIN");

    if (options.listPrograms || options.listParams)
    {
        std::unique_ptr<PluginInstance> instance = PluginInstance::load(session.pluginPath, error);

        if (instance == nullptr)
            return fail(exitFailure, error);

        if (options.listPrograms)
        {
            const auto names = instance->programNames();

            for (std::size_t i = 0; i < names.size(); ++i)
                out << i << "\t" << names[i] << "\n";
        }

        if (options.listParams)
        {
            const auto names = instance->parameterNames();

            for (std::size_t i = 0; i < names.size(); ++i)
                if (!names[i].empty())
                    out << i << "\t" << names[i] << "\n";
        }

        return 0;
    }

    // Every output file gets a distinct name; a clash would let one overwrite the other.
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

    // The input, in full, before anything else is opened.
    if (!options.inputPath.empty())
    {
        const std::size_t tailLimit = static_cast<std::size_t>(options.tailSeconds * 384000.0) + 1;
        const std::size_t maxFrames = static_cast<std::size_t>(INT_MAX) - tailLimit;

        if (!AudioFileLoader::load(options.inputPath, maxFrames, session.input, error))
            return fail(exitFailure, error);

        session.inputDescription = juce::File(options.inputPath).getFileName().toStdString();
    }
    else
    {
        session.input = DemoLoop::render(options.demoRate, options.tempo, demoBars);
        session.inputDescription = "built-in demo loop (" + std::to_string(demoBars) + " bars)";
    }

    const double rate = session.input.sampleRate;
    const int numChannels = session.input.numChannels();
    const auto tailFrames = static_cast<std::size_t>(std::llround(options.tailSeconds * rate));

    SafeOutputFile audioFile;
    SafeOutputFile stateFile;
    SafeOutputFile plotFile;
    SafeOutputFile overviewFile;

    if ((!options.outputPath.empty() && !audioFile.open(options.outputPath, error)) ||
        (!options.stateOutPath.empty() && !stateFile.open(options.stateOutPath, error)) ||
        (!options.plotPath.empty() && !plotFile.open(options.plotPath, error)) ||
        (!options.overviewPath.empty() && !overviewFile.open(options.overviewPath, error)))
        return fail(exitFailure, error);

    if (!options.midiPath.empty())
    {
        session.midi = std::make_unique<MidiSchedule>();

        if (!session.midi->load(options.midiPath, rate, options.tempo, error))
            return fail(exitFailure, error);
    }

    if (!options.stateInPath.empty())
    {
        if (!readBytes(options.stateInPath, session.state, error))
            return fail(exitFailure, error);

        session.hasState = true;
    }

    bool usage = false;

    // All programs in one figure.
    if (!options.overviewPath.empty())
    {
        std::unique_ptr<PluginInstance> probe = PluginInstance::load(session.pluginPath, error);

        if (probe == nullptr)
            return fail(exitFailure, error);

        const std::vector<std::string> names = probe->programNames();
        const std::string effectName = probe->host().effectName();
        probe.reset();

        std::vector<OverviewFigure::Program> programs;
        ProgressBar progress("kiv-render: rendering all programs");
        const double work = static_cast<double>(names.size()) *
                            static_cast<double>(session.input.numFrames() + tailFrames);

        for (std::size_t p = 0; p < names.size(); ++p)
        {
            std::unique_ptr<PluginInstance> instance =
                prepareInstance(session, numChannels, std::to_string(p), usage, error);

            if (instance == nullptr)
                return fail(usage ? exitUsage : exitFailure, error);

            const double before = static_cast<double>(p) *
                                  static_cast<double>(session.input.numFrames() + tailFrames);
            const AudioClip rendered =
                instance->render(session.input, tailFrames, session.midi.get(),
                                 [&](std::size_t done, std::size_t)
                                 { progress.update(before + static_cast<double>(done), work); });

            std::unique_ptr<PluginInstance> meter =
                prepareInstance(session, 2, std::to_string(p), usage, error);

            if (meter == nullptr)
                return fail(usage ? exitUsage : exitFailure, error);

            programs.push_back(
                {names[p], Spectrogram::compute(rendered), ResponseMeter::measure(*meter, rate)});
        }

        progress.finish();
        const juce::Image image =
            OverviewFigure::draw(effectName + " \u2014 all programs", settingsText(session),
                                 Spectrogram::compute(session.input), programs);

        if (!writePng(image, overviewFile, error))
            return fail(exitFailure, error);

        out << prefix << "wrote " << options.overviewPath << "\n";
        return 0;
    }

    std::unique_ptr<PluginInstance> instance =
        prepareInstance(session, numChannels, options.program, usage, error);

    if (instance == nullptr)
        return fail(usage ? exitUsage : exitFailure, error);

    const std::string title = programTitle(*instance);
    ProgressBar progress("kiv-render: rendering");
    const AudioClip rendered =
        instance->render(session.input, tailFrames, session.midi.get(),
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
                << "clipped in the 24-bit file (use --bits 32 to keep it)\n";

        if (!WavFileWriter::write(rendered, options.bits, audioFile.stream(), error))
            return fail(exitFailure, "cannot write '" + options.outputPath + "': " + error);

        if (!audioFile.commit(error))
            return fail(exitFailure, error);

        out << prefix << "wrote " << options.outputPath << " ("
            << secondsText(rendered.numFrames(), rate) << ", " << numChannels << " ch, "
            << juce::String(rate, 0) << " Hz, " << (options.bits == 32 ? "32-bit float" : "24-bit")
            << ", " << title << ")\n";
    }

    if (stateFile.isOpen())
    {
        const std::vector<std::uint8_t> chunk = instance->getState();

        if (chunk.empty())
            return fail(exitFailure, "the plug-in gave no state chunk");

        if (!stateFile.stream().write(chunk.data(), chunk.size()) || !stateFile.commit(error))
            return fail(exitFailure,
                        error.empty() ? "cannot write '" + options.stateOutPath + "'" : error);

        out << prefix << "wrote " << options.stateOutPath << " (" << chunk.size()
            << " bytes of state)\n";
    }

    if (plotFile.isOpen())
    {
        const std::string effectName = instance->host().effectName();
        instance.reset();

        std::unique_ptr<PluginInstance> meter =
            prepareInstance(session, 2, options.program, usage, error);

        if (meter == nullptr)
            return fail(usage ? exitUsage : exitFailure, error);

        const MagnitudeResponse response = ResponseMeter::measure(*meter, rate);
        const juce::Image image = ProgramFigure::draw(
            effectName + " \u2014 " + title, settingsText(session),
            Spectrogram::compute(session.input), Spectrogram::compute(rendered), response);

        if (!writePng(image, plotFile, error))
            return fail(exitFailure, error);

        out << prefix << "wrote " << options.plotPath << "\n";
    }

    return 0;
}
