#include "OverviewRender.h"

#include "OverviewFigure.h"
#include "ProgressBar.h"
#include "ResponseMeter.h"

bool OverviewRender::render(const RenderSession& session, juce::Image& figure, bool& badName,
                            std::string& error)
{
    badName = false;
    std::unique_ptr<PluginInstance> probe = PluginInstance::load(session.pluginPath, error);

    if (probe == nullptr)
        return false;

    const std::vector<std::string> names = probe->programNames();
    const std::string effectName = probe->host().effectName();
    probe.reset();

    const std::size_t tailFrames = session.tailFrames();
    const auto framesPerProgram = static_cast<double>(session.input.numFrames() + tailFrames);
    const double work = static_cast<double>(names.size()) * framesPerProgram;
    std::vector<OverviewFigure::Program> programs;
    ProgressBar progress("kiv-render: rendering all programs");

    for (std::size_t p = 0; p < names.size(); ++p)
    {
        const std::string program = std::to_string(p);
        std::unique_ptr<PluginInstance> instance =
            session.prepareInstance(session.input.numChannels(), program, badName, error);

        if (instance == nullptr)
            return false;

        const double before = static_cast<double>(p) * framesPerProgram;
        const AudioClip rendered =
            instance->render(session.input, tailFrames, session.midi.get(),
                             [&](std::size_t done, std::size_t)
                             { progress.update(before + static_cast<double>(done), work); });
        instance.reset();

        std::unique_ptr<PluginInstance> meter = session.prepareInstance(2, program, badName, error);

        if (meter == nullptr)
            return false;

        programs.push_back({names[p], Spectrogram::compute(rendered),
                            ResponseMeter::measure(*meter, session.input.sampleRate)});
    }

    progress.finish();
    figure = OverviewFigure::draw(effectName + " \u2014 all programs", session.settingsText(),
                                  Spectrogram::compute(session.input), programs);
    return true;
}
