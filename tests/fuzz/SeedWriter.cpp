// Writes the seeds of the state fuzzer's corpus that come from the processor itself into the
// folder given on the command line: the factory bank's text (old-format programs with layout
// whitespace), the state of a new instance, and that of an instance edited the way users and
// hosts edit it (renamed programs with characters that need escaping, out-of-range values,
// learned controllers). The hand-written seeds sit beside them in the corpus.
//
//   kiv_state_seeds tests/fuzz/corpus

#include "FactoryBank.h"
#include "KivCore.h"

#include <juce_events/juce_events.h>

#include <cstdio>

namespace
{
bool writeState(KivCore& core, const juce::File& file)
{
    juce::MemoryBlock state;
    core.getStateInformation(state);
    return file.replaceWithData(state.getData(), state.getSize());
}

void learnController(KivCore& core, int controller, int parameter, float value)
{
    core.setParameter(Parameters::midiLearn, 1.0f);
    core.setParameter(parameter, value);
    juce::AudioBuffer<float> buffer(2, 16);
    buffer.clear();
    juce::MidiBuffer midi;
    midi.addEvent(juce::MidiMessage::controllerEvent(1, controller, 64), 3);
    core.processBlock(buffer, midi);
    core.setParameter(Parameters::midiLearn, 0.0f);
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: kiv_state_seeds <corpus folder>\n");
        return 2;
    }
    const juce::ScopedJuceInitialiser_GUI framework;
    const juce::File folder = juce::File::getCurrentWorkingDirectory().getChildFile(argv[1]);
    if (!folder.createDirectory())
    {
        std::fprintf(stderr, "kiv_state_seeds: cannot create %s\n", argv[1]);
        return 1;
    }

    bool written = folder.getChildFile("factory-bank.xml")
                       .replaceWithData(FactoryBank::text(), FactoryBank::sizeInBytes());
    {
        KivCore fresh;
        written = writeState(fresh, folder.getChildFile("new-instance.chunk")) && written;
    }
    {
        KivCore edited;
        edited.changeProgramName(
            1, juce::String::fromUTF8(
                   "Amp & <Bass> \"quoted\" 'x' Caf\xc3\xa9 \xe2\x82\xac\ttab\nline\r"));
        edited.changeProgramName(4, "");
        edited.changeProgramName(9, juce::String::repeatedString("long ", 40));
        edited.setCurrentProgram(6);
        edited.setParameter(1, 7.0f);
        edited.setParameter(2, -5.0f);
        edited.setParameter(8, 1e30f);
        edited.setParameter(11, 1e-40f);
        edited.setParameter(6, 0.5f);
        learnController(edited, 74, 1, 0.3f);
        learnController(edited, 1, 14, 1.0f);
        learnController(edited, 127, 12, 0.0f);
        written = writeState(edited, folder.getChildFile("edited-instance.chunk")) && written;
    }
    if (!written)
    {
        std::fprintf(stderr, "kiv_state_seeds: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
