#include "KivComponent.h"

#include "KivCore.h"
#include "KivEditorImages.h"
#include "Parameters.h"
#include "Quantise.h"

#include <cmath>

namespace
{
namespace Images = KivEditorImages;

// Every image is decoded once through the framework's image cache, keyed by the address of
// its embedded bytes, and shared while in use. An image that cannot be decoded comes back
// null; the widgets accept that (see FilmStripKnob and ImageToggleButton).
juce::Image embeddedImage(const char* data, int size)
{
    return juce::ImageCache::getFromMemory(data, size);
}

constexpr juce::uint32 editorFill = 0xffe6e6e6;
constexpr juce::uint32 listBackground = 0xff4c4c4c;
constexpr juce::uint32 listButton = 0xff808080;
constexpr juce::uint32 listArrow = 0xffe6e6e6;
constexpr juce::uint32 versionTextColour = 0xcc646464; // grey 100 at 80 %

const char* const filterTypeItems[] = {"Low Pass", "High Pass", "Band Pass",
                                       "Reserved", "Reserved",  "Reserved"};
const char* const lfoWaveformItems[] = {"sin", "tri", "saw", "sq", "s&h", "noise"};
// Id 1 runs the LFOs free; ids 2..19 are the tempo-locked modes: plain, dotted, triplet.
const char* const lfoSyncItems[] = {"rate",  "1/16", "1/8",  "1/4",  "1/2",  "1/1",  "2/1",
                                    "1/16.", "1/8.", "1/4.", "1/2.", "1/1.", "2/1.", "1/16T",
                                    "1/8T",  "1/4T", "1/2T", "1/1T", "2/1T"};

// The order in which the values are read under the callback lock.
constexpr int readOrder[] = {Parameters::cutoff,        Parameters::resonance,
                             Parameters::lfoRate,       Parameters::lfoIntensity,
                             Parameters::volume,        Parameters::inputDrive,
                             Parameters::filterType,    Parameters::lfoWaveform,
                             Parameters::lfoSync,       Parameters::envelopeIntensity,
                             Parameters::envelopeSpeed, Parameters::lfoWidth,
                             Parameters::midiLearn,     Parameters::midiTrigger};
} // namespace

// Creation order of the knobs; it is also their order among the editor's children.
const KivComponent::KnobSlot KivComponent::knobSlots[] = {
    {&KivComponent::cutoffKnob, Parameters::cutoff, EditorLayout::cutoffKnob},
    {&KivComponent::resonanceKnob, Parameters::resonance, EditorLayout::resonanceKnob},
    {&KivComponent::lfoRateKnob, Parameters::lfoRate, EditorLayout::lfoRateKnob},
    {&KivComponent::lfoIntensityKnob, Parameters::lfoIntensity, EditorLayout::lfoIntensityKnob},
    {&KivComponent::volumeKnob, Parameters::volume, EditorLayout::volumeKnob},
    {&KivComponent::inputDriveKnob, Parameters::inputDrive, EditorLayout::inputDriveKnob},
    {&KivComponent::envelopeIntensityKnob, Parameters::envelopeIntensity,
     EditorLayout::envelopeIntensityKnob},
    {&KivComponent::envelopeSpeedKnob, Parameters::envelopeSpeed, EditorLayout::envelopeSpeedKnob},
    {&KivComponent::lfoWidthKnob, Parameters::lfoWidth, EditorLayout::lfoWidthKnob},
};

// Six waveforms against six steps: a value of 11/12 or more selects id 7, which no item
// carries, and the list shows nothing (the engine plays noise there).
const KivComponent::ListSlot KivComponent::listSlots[] = {
    {&KivComponent::filterTypeComboBox, "filterTypeComboBox", Parameters::filterType,
     Parameters::filterTypeSteps, EditorLayout::filterTypeList, filterTypeItems,
     int(std::size(filterTypeItems))},
    {&KivComponent::lfoWaveformComboBox, "lfoWaveformComboBox", Parameters::lfoWaveform,
     Parameters::lfoWaveformSteps, EditorLayout::lfoWaveformList, lfoWaveformItems,
     int(std::size(lfoWaveformItems))},
    {&KivComponent::lfoSyncComboBox, "lfoSyncComboBox", Parameters::lfoSync,
     Parameters::lfoSyncSteps, EditorLayout::lfoSyncList, lfoSyncItems,
     int(std::size(lfoSyncItems))},
};

KivComponent::KivComponent(KivCore* processorToEdit)
    : juce::AudioProcessorEditor(processorToEdit), core(*processorToEdit)
{
    const auto background = embeddedImage(Images::resource_NewJucerComponent_bmp00128_png,
                                          Images::resource_NewJucerComponent_bmp00128_pngSize);
    const auto strip = embeddedImage(Images::resource_NewJucerComponent_bmp00129_png,
                                     Images::resource_NewJucerComponent_bmp00129_pngSize);
    juce::ignoreUnused(background); // looked up again on every paint, never kept

    // 4560 / 57 = 80 square frames. A strip that failed to decode has no width; the knobs
    // then draw a plain knob of their own (FilmStripKnob).
    const int numFrames = strip.getWidth() > 0 ? strip.getHeight() / strip.getWidth() : 1;

    for (const auto& slot : knobSlots)
    {
        auto& knob = this->*slot.knob;
        knob = std::make_unique<FilmStripKnob>(strip, numFrames, false, slot.parameter);
        addAndMakeVisible(*knob);
    }
    for (const auto& slot : knobSlots)
    {
        const auto& b = slot.bounds;
        (this->*slot.knob)->setBounds(b.x, b.y, b.width, b.height);
    }

    for (const auto& slot : listSlots)
    {
        auto& list = this->*slot.list;
        list = std::make_unique<juce::ComboBox>(slot.name);
        addAndMakeVisible(*list);
        list->setBounds(slot.bounds.x, slot.bounds.y, slot.bounds.width, slot.bounds.height);
        list->setColour(juce::ComboBox::backgroundColourId, juce::Colour(listBackground));
        list->setColour(juce::ComboBox::buttonColourId, juce::Colour(listButton));
        list->setColour(juce::ComboBox::arrowColourId, juce::Colour(listArrow));
        for (int i = 0; i < slot.numItems; ++i)
            list->addItem(slot.items[i], i + 1);
    }

    versionLabel = std::make_unique<juce::Label>("versionLabel", "V " KIV_VERSION_TEXT);
    const auto& vb = EditorLayout::versionLabel;
    versionLabel->setBounds(vb.x, vb.y, vb.width, vb.height);
    versionLabel->setColour(juce::Label::textColourId, juce::Colour(versionTextColour));
    addAndMakeVisible(*versionLabel);

    // The buttons go to the front of the child list: MIDI learn first, MIDI trigger second.
    midiLearnButton = std::make_unique<ImageToggleButton>(
        "midiLearnButton",
        embeddedImage(Images::resource_KivComponent_bmp00132_png,
                      Images::resource_KivComponent_bmp00132_pngSize),
        embeddedImage(Images::resource_KivComponent_bmp00133_png,
                      Images::resource_KivComponent_bmp00133_pngSize));
    const auto& lb = EditorLayout::midiLearnButton;
    midiLearnButton->setBounds(lb.x, lb.y, lb.width, lb.height);
    addAndMakeVisible(*midiLearnButton, 0);

    midiTriggerButton = std::make_unique<ImageToggleButton>(
        "midiTriggerButton",
        embeddedImage(Images::resource_NewJucerComponent_bmp00134_png,
                      Images::resource_NewJucerComponent_bmp00134_pngSize),
        embeddedImage(Images::resource_NewJucerComponent_bmp00135_png,
                      Images::resource_NewJucerComponent_bmp00135_pngSize));
    const auto& tb = EditorLayout::midiTriggerButton;
    midiTriggerButton->setBounds(tb.x, tb.y, tb.width, tb.height);
    addAndMakeVisible(*midiTriggerButton, 1);

    for (const auto& slot : knobSlots)
        (this->*slot.knob)->addListener(this);
    midiLearnButton->addListener(this);
    midiTriggerButton->addListener(this);
    for (const auto& slot : listSlots)
        (this->*slot.list)->addListener(this);

    updateParametersFromFilter();

    setSize(EditorLayout::editorWidth, EditorLayout::editorHeight);
    core.addChangeListener(this);
}

KivComponent::~KivComponent()
{
    core.removeChangeListener(this);
    removeAllChildren();
}

void KivComponent::paint(juce::Graphics& g)
{
    g.fillAll(juce::Colour(editorFill));
    const auto background = embeddedImage(Images::resource_NewJucerComponent_bmp00128_png,
                                          Images::resource_NewJucerComponent_bmp00128_pngSize);
    if (background.isValid())
        g.drawImageAt(background, 0, 0);
}

float KivComponent::readParameter(int index) const
{
    // The processor answers the framework's index-based parameter calls, which the framework
    // marks deprecated in favour of parameter objects.
    JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE("-Wdeprecated-declarations")
    return processor.getParameter(index);
    JUCE_END_IGNORE_WARNINGS_GCC_LIKE
}

void KivComponent::sendParameter(int index, float value)
{
    JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE("-Wdeprecated-declarations")
    processor.setParameterNotifyingHost(index, value);
    JUCE_END_IGNORE_WARNINGS_GCC_LIKE
}

void KivComponent::updateParametersFromFilter()
{
    float values[Parameters::numParameters] = {};
    {
        // Read between audio blocks, never in the middle of one; hold the lock for the reads
        // only, not while the controls repaint.
        const juce::ScopedLock lock(processor.getCallbackLock());
        for (const int index : readOrder)
            values[index] = readParameter(index);
    }

    for (const auto& slot : knobSlots)
    {
        // A knob shows 0..1; a value that is not a number shows as the minimum, so the knob
        // never holds a NaN that a later drag could send back.
        const float v = values[slot.parameter];
        (this->*slot.knob)
            ->setValue(std::isfinite(v) ? double(v) : 0.0, juce::dontSendNotification);
    }

    for (const auto& slot : listSlots)
    {
        const int id = quantise(values[slot.parameter], slot.steps) + 1;
        (this->*slot.list)->setSelectedId(id, juce::dontSendNotification);
    }

    midiLearnButton->setToggleState(values[Parameters::midiLearn] > 0.0f,
                                    juce::dontSendNotification);
    midiTriggerButton->setToggleState(values[Parameters::midiTrigger] > 0.0f,
                                      juce::dontSendNotification);
}

void KivComponent::changeListenerCallback(juce::ChangeBroadcaster*)
{
    updateParametersFromFilter();
}

void KivComponent::sliderValueChanged(juce::Slider* slider)
{
    for (const auto& slot : knobSlots)
        if (slider == (this->*slot.knob).get())
        {
            sendParameter(slot.parameter, float(slider->getValue()));
            return;
        }
}

void KivComponent::comboBoxChanged(juce::ComboBox* box)
{
    for (const auto& slot : listSlots)
        if (box == (this->*slot.list).get())
        {
            // Id 0 means nothing is selected: there is no value for that, so nothing is sent
            // (it would otherwise come out as -1 / steps).
            const int id = box->getSelectedId();
            if (id > 0)
                sendParameter(slot.parameter, float(id - 1) / slot.steps);
            return;
        }
}

void KivComponent::buttonClicked(juce::Button* button)
{
    // The buttons flip their state before they notify, so this is the new state.
    const float value = button->getToggleState() ? 1.0f : 0.0f;
    if (button == midiLearnButton.get())
        sendParameter(Parameters::midiLearn, value);
    else if (button == midiTriggerButton.get())
        sendParameter(Parameters::midiTrigger, value);
}
