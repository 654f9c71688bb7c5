#pragma once

#include "EditorLayout.h"
#include "FilmStripKnob.h"
#include "ImageToggleButton.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>

class KivCore;

// The plug-in's editor: a fixed 520 x 480 panel drawn from one background picture, with nine
// film-strip knobs, three lists, two image toggle buttons and a version label. Each control
// stands for one parameter; a user edit goes to the processor through the notify-the-host
// setter, so the host records it as automation. In the other direction the editor listens to
// the processor's change messages and, on each, re-reads every value under the processor's
// callback lock and shows it without notification, so mirroring never echoes back.
//
// Controls are recognised by identity, never by name. Runs on the message thread only.
class KivComponent : public juce::AudioProcessorEditor,
                     public juce::ChangeListener,
                     public juce::Slider::Listener,
                     public juce::ComboBox::Listener,
                     public juce::Button::Listener
{
public:
    explicit KivComponent(KivCore* processor);
    ~KivComponent() override;

    void paint(juce::Graphics& g) override;

    // Copies every parameter value from the processor into the controls, silently.
    void updateParametersFromFilter();

    void changeListenerCallback(juce::ChangeBroadcaster* source) override;
    void sliderValueChanged(juce::Slider* slider) override;
    void comboBoxChanged(juce::ComboBox* box) override;
    void buttonClicked(juce::Button* button) override;

private:
    // One row of the wiring: which control, which parameter, where it sits.
    struct KnobSlot
    {
        std::unique_ptr<FilmStripKnob> KivComponent::*knob;
        int parameter;
        EditorLayout::Box bounds;
    };

    struct ListSlot
    {
        std::unique_ptr<juce::ComboBox> KivComponent::*list;
        const char* name;
        int parameter;
        float steps; // value = (id - 1) / steps; id = quantise(value, steps) + 1
        EditorLayout::Box bounds;
        const char* const* items; // item texts in id order, ids from 1
        int numItems;
    };

    static const KnobSlot knobSlots[];
    static const ListSlot listSlots[];

    float readParameter(int index) const;
    void sendParameter(int index, float value);

    KivCore& core;

    std::unique_ptr<FilmStripKnob> cutoffKnob;
    std::unique_ptr<FilmStripKnob> resonanceKnob;
    std::unique_ptr<FilmStripKnob> lfoIntensityKnob;
    std::unique_ptr<FilmStripKnob> lfoRateKnob;
    std::unique_ptr<FilmStripKnob> volumeKnob;
    std::unique_ptr<FilmStripKnob> inputDriveKnob;
    std::unique_ptr<FilmStripKnob> envelopeIntensityKnob;
    std::unique_ptr<FilmStripKnob> envelopeSpeedKnob;
    std::unique_ptr<FilmStripKnob> lfoWidthKnob;
    std::unique_ptr<juce::ComboBox> filterTypeComboBox;
    std::unique_ptr<juce::ComboBox> lfoWaveformComboBox;
    std::unique_ptr<juce::ComboBox> lfoSyncComboBox;
    std::unique_ptr<ImageToggleButton> midiLearnButton;
    std::unique_ptr<ImageToggleButton> midiTriggerButton;
    std::unique_ptr<juce::Label> versionLabel;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(KivComponent)
};
