// The editor on a real processor: layout, mirroring of processor values into the controls,
// and what each control sends to the processor and the host.

#include "KivComponent.h"
#include "EditorTestSupport.h"
#include "FilmStripKnob.h"
#include "ImageToggleButton.h"
#include "KivCore.h"
#include "KivEditorImages.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace
{
// What the host learns through the processor's listener interface: values sent with
// setParameterNotifyingHost, and change gestures (the editor must send none).
struct HostRecorder : juce::AudioProcessorListener
{
    std::vector<std::pair<int, float>> values;
    int gestures = 0;

    void audioProcessorParameterChanged(juce::AudioProcessor*, int index, float value) override
    {
        values.emplace_back(index, value);
    }
    void audioProcessorChanged(juce::AudioProcessor*, const ChangeDetails&) override {}
    void audioProcessorParameterChangeGestureBegin(juce::AudioProcessor*, int) override
    {
        ++gestures;
    }
    void audioProcessorParameterChangeGestureEnd(juce::AudioProcessor*, int) override
    {
        ++gestures;
    }
};

enum class Kind
{
    knob,
    list,
    button,
    label
};

struct ChildRow
{
    const char* name;
    Kind kind;
    juce::Rectangle<int> bounds;
    int parameter; // -1: none
};

// The editor's children in order: the two buttons were inserted at the front, then the knobs
// in creation order, the three lists and the label.
const ChildRow children[] = {
    {"midiLearnButton", Kind::button, {162, 438, 69, 39}, 13},
    {"midiTriggerButton", Kind::button, {166, 177, 69, 39}, 14},
    {"cutoffKnob", Kind::knob, {168, 42, 57, 57}, 1},
    {"resonanceKnob", Kind::knob, {296, 42, 57, 57}, 2},
    {"lfoRateKnob", Kind::knob, {296, 186, 57, 57}, 5},
    {"lfoIntensityKnob", Kind::knob, {425, 186, 57, 57}, 4},
    {"volumeKnob", Kind::knob, {425, 42, 57, 57}, 8},
    {"inputDriveKnob", Kind::knob, {41, 42, 57, 57}, 9},
    {"envelopeIntensityKnob", Kind::knob, {168, 331, 57, 57}, 10},
    {"envelopeSpeedKnob", Kind::knob, {296, 331, 57, 57}, 11},
    {"lfoWidthKnob", Kind::knob, {425, 331, 57, 57}, 12},
    {"filterTypeComboBox", Kind::list, {32, 371, 100, 20}, 3},
    {"lfoWaveformComboBox", Kind::list, {30, 230, 100, 20}, 7},
    {"lfoSyncComboBox", Kind::list, {152, 230, 100, 20}, 6},
    {"versionLabel", Kind::label, {16, 440, 100, 20}, -1},
};
constexpr int numChildren = int(std::size(children));

// Divisor of each list's parameter: value = (id - 1) / N.
float listSteps(int parameter)
{
    return parameter == 3 ? 5.0f : parameter == 7 ? 6.0f : 18.0f;
}

std::string describe(juce::Component& control)
{
    if (auto* knob = dynamic_cast<FilmStripKnob*>(&control))
        return "knob " + juce::String(knob->getValue(), 3).toStdString() + " frame " +
               std::to_string(knob->currentFrame());
    if (auto* list = dynamic_cast<juce::ComboBox*>(&control))
        return "id " + std::to_string(list->getSelectedId()) + " \"" +
               list->getText().toStdString() + "\"";
    if (auto* button = dynamic_cast<ImageToggleButton*>(&control))
        return button->getToggleState() ? "on" : "off";
    return "?";
}

class KivComponentTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        editor = openEditor();
        ASSERT_NE(editor, nullptr);
        core.addListener(&host);
    }

    void TearDown() override
    {
        core.removeListener(&host);
        editor.reset();
    }

    // Built the way the plug-in builds it.
    std::unique_ptr<KivComponent> openEditor()
    {
        return std::unique_ptr<KivComponent>(dynamic_cast<KivComponent*>(core.createEditor()));
    }

    // The processor's pending change message, delivered now instead of by its timer.
    void deliverChange() { core.deliverPendingChange(); }

    static juce::Component& controlFor(KivComponent& e, int parameter)
    {
        for (int i = 0; i < numChildren; ++i)
            if (children[i].parameter == parameter)
                return *e.getChildComponent(i);
        throw std::logic_error("no control for parameter " + std::to_string(parameter));
    }
    juce::Component& controlFor(int parameter) { return controlFor(*editor, parameter); }

    template <typename T> T& childAs(int index)
    {
        auto* child = dynamic_cast<T*>(editor->getChildComponent(index));
        if (child == nullptr)
            throw std::logic_error("child " + std::to_string(index) + " is not of that type");
        return *child;
    }

    float parameter(int index)
    {
        JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE("-Wdeprecated-declarations")
        return core.getParameter(index);
        JUCE_END_IGNORE_WARNINGS_GCC_LIKE
    }

    KivCore core;
    HostRecorder host;
    std::unique_ptr<KivComponent> editor;
};

TEST_F(KivComponentTest, HasItsFixedSizeChildOrderAndBounds)
{
    EXPECT_EQ(editor->getWidth(), 520);
    EXPECT_EQ(editor->getHeight(), 480);
    EXPECT_FALSE(editor->isResizable());
    ASSERT_EQ(editor->getNumChildComponents(), numChildren);

    for (int i = 0; i < numChildren; ++i)
    {
        const auto& row = children[i];
        SCOPED_TRACE(row.name);
        auto* child = editor->getChildComponent(i);
        EXPECT_EQ(child->getBounds(), row.bounds);
        EXPECT_TRUE(child->isVisible());
        switch (row.kind)
        {
        case Kind::knob:
            ASSERT_NE(dynamic_cast<FilmStripKnob*>(child), nullptr);
            EXPECT_EQ(child->getName(), juce::String(row.parameter));
            EXPECT_EQ(dynamic_cast<FilmStripKnob*>(child)->getNumFrames(), 80);
            break;
        case Kind::list:
        {
            auto* list = dynamic_cast<juce::ComboBox*>(child);
            ASSERT_NE(list, nullptr);
            EXPECT_EQ(list->findColour(juce::ComboBox::backgroundColourId).getARGB(), 0xff4c4c4cu);
            EXPECT_EQ(list->findColour(juce::ComboBox::buttonColourId).getARGB(), 0xff808080u);
            EXPECT_EQ(list->findColour(juce::ComboBox::arrowColourId).getARGB(), 0xffe6e6e6u);
            EXPECT_FALSE(list->isTextEditable());
            break;
        }
        case Kind::button:
        {
            auto* button = dynamic_cast<ImageToggleButton*>(child);
            ASSERT_NE(button, nullptr);
            EXPECT_EQ(button->getImageWidth(), 69);
            EXPECT_EQ(button->getImageHeight(), 39);
            break;
        }
        case Kind::label:
        {
            auto* label = dynamic_cast<juce::Label*>(child);
            ASSERT_NE(label, nullptr);
            EXPECT_EQ(label->getText(), "V 2.6.0");
            EXPECT_EQ(label->findColour(juce::Label::textColourId).getARGB(), 0xcc646464u);
            break;
        }
        }
    }
}

TEST_F(KivComponentTest, ListsCarryTheirItemsInIdOrder)
{
    const std::vector<std::pair<int, std::vector<const char*>>> lists = {
        {3, {"Low Pass", "High Pass", "Band Pass", "Reserved", "Reserved", "Reserved"}},
        {7, {"sin", "tri", "saw", "sq", "s&h", "noise"}},
        {6,
         {"rate", "1/16", "1/8", "1/4", "1/2", "1/1", "2/1", "1/16.", "1/8.", "1/4.", "1/2.",
          "1/1.", "2/1.", "1/16T", "1/8T", "1/4T", "1/2T", "1/1T", "2/1T"}},
    };
    for (const auto& [index, texts] : lists)
    {
        SCOPED_TRACE("parameter " + std::to_string(index));
        auto& list = dynamic_cast<juce::ComboBox&>(controlFor(index));
        ASSERT_EQ(list.getNumItems(), int(texts.size()));
        for (int i = 0; i < list.getNumItems(); ++i)
        {
            EXPECT_EQ(list.getItemId(i), i + 1);
            EXPECT_EQ(list.getItemText(i), texts[std::size_t(i)]);
        }
    }
}

struct MirrorRow
{
    const char* name;
    int parameter;
    float decoy; // set first, so that the row's value must change what is shown
    float value;
    const char* shown;
};

const float notANumber = std::numeric_limits<float>::quiet_NaN();

const MirrorRow mirrorRows[] = {
    {"filtertype 0.4 is Band Pass", 3, 0.0f, 0.4f, "id 3 \"Band Pass\""},
    {"filtertype 0.49 rounds to Band Pass", 3, 0.0f, 0.49f, "id 3 \"Band Pass\""},
    {"filtertype 0.5 rounds up to the first Reserved", 3, 0.0f, 0.5f, "id 4 \"Reserved\""},
    {"filtertype 1 is the last Reserved", 3, 0.0f, 1.0f, "id 6 \"Reserved\""},
    {"filtertype below range selects nothing", 3, 0.0f, -1.0f, "id 0 \"\""},
    {"filtertype NaN reads as the first item", 3, 0.4f, notANumber, "id 1 \"Low Pass\""},
    {"lfowaveform 0.9 is noise", 7, 0.0f, 0.9f, "id 6 \"noise\""},
    {"lfowaveform 4/6 is s&h", 7, 0.0f, 4.0f / 6.0f, "id 5 \"s&h\""},
    {"lfowaveform 0.92 selects nothing", 7, 0.0f, 0.92f, "id 0 \"\""},
    {"lfowaveform 1 selects nothing", 7, 0.0f, 1.0f, "id 0 \"\""},
    {"lfosync 0 is rate", 6, 0.5f, 0.0f, "id 1 \"rate\""},
    {"lfosync 1/18 is 1/16", 6, 0.0f, 1.0f / 18.0f, "id 2 \"1/16\""},
    {"lfosync 0.5 is 1/4.", 6, 0.0f, 0.5f, "id 10 \"1/4.\""},
    {"lfosync 1 is 2/1T", 6, 0.0f, 1.0f, "id 19 \"2/1T\""},
    {"Midi Learn 0.001 is on", 13, 0.0f, 0.001f, "on"},
    {"Midi Learn 0 is off", 13, 1.0f, 0.0f, "off"},
    {"miditrigger 0.3 is on", 14, 0.0f, 0.3f, "on"},
    {"miditrigger below 0 is off", 14, 1.0f, -0.1f, "off"},
    {"cutoff 1/3 shows 0.333, frame 26", 1, 0.0f, 1.0f / 3.0f, "knob 0.333 frame 26"},
    {"volume 0.999 shows frame 78", 8, 0.0f, 0.999f, "knob 0.999 frame 78"},
    {"lfowidth 1 shows the last frame", 12, 0.0f, 1.0f, "knob 1.000 frame 79"},
    {"resonance above range clamps", 2, 0.0f, 1.5f, "knob 1.000 frame 79"},
    {"lforate below range clamps", 5, 0.5f, -0.5f, "knob 0.000 frame 0"},
    {"envelopespeed NaN shows the minimum", 11, 0.5f, notANumber, "knob 0.000 frame 0"},
};

TEST_F(KivComponentTest, ShowsProcessorValuesAfterAChangeAndOnOpening)
{
    for (const auto& row : mirrorRows)
    {
        SCOPED_TRACE(row.name);
        core.setParameter(row.parameter, row.decoy);
        deliverChange();
        ASSERT_NE(describe(controlFor(row.parameter)), row.shown) << "the decoy shows the same";

        core.setParameter(row.parameter, row.value);
        deliverChange();
        EXPECT_EQ(describe(controlFor(row.parameter)), row.shown);

        // The control only displays; the processor keeps exactly what it was given.
        const float kept = parameter(row.parameter);
        EXPECT_TRUE(kept == row.value || (std::isnan(kept) && std::isnan(row.value)));

        // A newly opened editor shows the same from its constructor on.
        auto fresh = openEditor();
        EXPECT_EQ(describe(controlFor(*fresh, row.parameter)), row.shown);
    }

    // Mirroring is silent: nothing went back to the host.
    EXPECT_TRUE(host.values.empty());
}

TEST_F(KivComponentTest, ProgramChangeUpdatesEveryControlInOneCallback)
{
    int numChangedControls = 0;
    for (int program = 0; program < KivCore::numPrograms; ++program)
    {
        SCOPED_TRACE("program " + std::to_string(program));
        core.setCurrentProgram(program);

        // Put every control somewhere else, silently, so each one must be set again.
        for (const auto& row : children)
        {
            if (row.parameter < 0)
                continue;
            auto& control = controlFor(row.parameter);
            const float v = parameter(row.parameter);
            if (auto* knob = dynamic_cast<FilmStripKnob*>(&control))
                knob->setValue(v < 0.5f ? 0.9 : 0.1, juce::dontSendNotification);
            else if (auto* list = dynamic_cast<juce::ComboBox*>(&control))
                list->setSelectedId(list->getSelectedId() == 1 ? 2 : 1, juce::dontSendNotification);
            else if (auto* button = dynamic_cast<ImageToggleButton*>(&control))
                button->setToggleState(!(v > 0.0f), juce::dontSendNotification);
        }

        deliverChange();

        for (const auto& row : children)
        {
            if (row.parameter < 0)
                continue;
            SCOPED_TRACE(row.name);
            auto& control = controlFor(row.parameter);
            const float v = parameter(row.parameter);
            if (auto* knob = dynamic_cast<FilmStripKnob*>(&control))
            {
                EXPECT_NEAR(knob->getValue(),
                            std::round(juce::jlimit(0.0f, 1.0f, v) * 1000.0f) / 1000.0f, 1e-6);
            }
            else if (auto* list = dynamic_cast<juce::ComboBox*>(&control))
            {
                const int id = int(std::floor(v * listSteps(row.parameter) + 0.5f)) + 1;
                EXPECT_EQ(list->getSelectedId(), id <= list->getNumItems() ? id : 0);
            }
            else if (auto* button = dynamic_cast<ImageToggleButton*>(&control))
            {
                EXPECT_EQ(button->getToggleState(), v > 0.0f);
            }
        }

        if (program > 0)
            for (const auto& row : children)
                if (row.parameter >= 0)
                    numChangedControls += core.programs[program].values[row.parameter] !=
                                                  core.programs[program - 1].values[row.parameter]
                                              ? 1
                                              : 0;
    }
    EXPECT_GT(numChangedControls, 0) << "the factory programs should differ";
    // A program switch always ends with MIDI learn off.
    EXPECT_FALSE(childAs<ImageToggleButton>(0).getToggleState());
    EXPECT_TRUE(host.values.empty());
}

TEST_F(KivComponentTest, KnobEditsSendTheirParameterAsSinglePrecision)
{
    double value = 0.05;
    for (int i = 0; i < numChildren; ++i)
    {
        const auto& row = children[i];
        if (row.kind != Kind::knob)
            continue;
        SCOPED_TRACE(row.name);
        host.values.clear();
        auto& knob = childAs<FilmStripKnob>(i);
        value += 0.1;
        knob.setValue(value, juce::sendNotificationSync);

        ASSERT_EQ(host.values.size(), 1u);
        EXPECT_EQ(host.values[0].first, row.parameter);
        EXPECT_EQ(host.values[0].second, float(knob.getValue()));
        EXPECT_EQ(parameter(row.parameter), float(knob.getValue()));
    }
    EXPECT_EQ(host.gestures, 0);
}

TEST_F(KivComponentTest, DraggingAKnobSendsThousandthsAndNoGesture)
{
    auto& knob = dynamic_cast<FilmStripKnob&>(controlFor(1));
    knob.setValue(0.5, juce::dontSendNotification);

    // Straight up by 25 pixels, one pixel at a time: 250 pixels cover the whole range.
    auto source = juce::Desktop::getInstance().getMainMouseSource();
    const juce::Point<float> start(28.0f, 40.0f);
    const auto now = juce::Time::getCurrentTime();
    auto event = [&](juce::Point<float> at, bool dragged)
    {
        return juce::MouseEvent(
            source, at, juce::ModifierKeys(juce::ModifierKeys::leftButtonModifier),
            juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation,
            juce::MouseInputSource::defaultRotation, juce::MouseInputSource::defaultTiltX,
            juce::MouseInputSource::defaultTiltY, &knob, &knob, now, start, now, 1, dragged);
    };
    knob.mouseDown(event(start, false));
    for (int dy = 1; dy <= 25; ++dy)
        knob.mouseDrag(event(start.translated(0.0f, -float(dy)), true));
    knob.mouseUp(event(start.translated(0.0f, -25.0f), true));

    ASSERT_GE(host.values.size(), 20u);
    float previous = 0.5f;
    for (const auto& [index, value] : host.values)
    {
        EXPECT_EQ(index, 1);
        EXPECT_GT(value, previous);
        const double steps = double(value) / double(0.001f);
        EXPECT_NEAR(steps, std::round(steps), 1e-3) << value << " is not on the 0.001 grid";
        previous = value;
    }
    EXPECT_NEAR(host.values.back().second, 0.6f, 1e-6f);
    EXPECT_EQ(host.gestures, 0);
}

struct ChoiceRow
{
    const char* name;
    int parameter;
    const char* item;
    float sent;
};

const ChoiceRow choiceRows[] = {
    {"High Pass", 3, "High Pass", 0.2f}, {"Band Pass", 3, "Band Pass", 0.4f},
    {"s&h", 7, "s&h", 4.0f / 6.0f},      {"noise", 7, "noise", 5.0f / 6.0f},
    {"2/1T", 6, "2/1T", 1.0f},           {"1/4.", 6, "1/4.", 0.5f},
    {"rate", 6, "rate", 0.0f},
};

TEST_F(KivComponentTest, ListChoicesSendTheirValue)
{
    for (const auto& row : choiceRows)
    {
        SCOPED_TRACE(row.name);
        auto& list = dynamic_cast<juce::ComboBox&>(controlFor(row.parameter));
        int id = 0;
        for (int i = 0; i < list.getNumItems() && id == 0; ++i)
            if (list.getItemText(i) == row.item)
                id = list.getItemId(i);
        ASSERT_NE(id, 0);

        list.setSelectedId(id == 1 ? 2 : 1, juce::dontSendNotification);
        host.values.clear();
        list.setSelectedId(id, juce::sendNotificationSync); // what a choice in the menu does

        ASSERT_EQ(host.values.size(), 1u);
        EXPECT_EQ(host.values[0].first, row.parameter);
        EXPECT_EQ(host.values[0].second, row.sent);
        EXPECT_EQ(parameter(row.parameter), row.sent);
    }

    // A list showing no selection (id 0) has no value to send; -1/N would be wrong.
    auto& waveform = dynamic_cast<juce::ComboBox&>(controlFor(7));
    core.setParameter(7, 1.0f);
    deliverChange();
    ASSERT_EQ(waveform.getSelectedId(), 0);
    host.values.clear();
    editor->comboBoxChanged(&waveform);
    EXPECT_TRUE(host.values.empty());
    EXPECT_EQ(parameter(7), 1.0f);
}

TEST_F(KivComponentTest, ButtonClicksSendTheNewState)
{
    for (const int index : {13, 14})
    {
        SCOPED_TRACE("parameter " + std::to_string(index));
        core.setParameter(index, 0.0f);
        deliverChange();
        auto& button = dynamic_cast<ImageToggleButton&>(controlFor(index));
        const auto offLook = editortest::render(button);
        host.values.clear();

        button.triggerClick();
        editortest::deliverPostedMessages();
        ASSERT_EQ(host.values.size(), 1u);
        EXPECT_EQ(host.values[0], std::make_pair(index, 1.0f));
        EXPECT_TRUE(button.getToggleState());
        EXPECT_NE(editortest::render(button).getPixelAt(34, 19), offLook.getPixelAt(34, 19));

        // The processor's echo of the change leaves the button on.
        deliverChange();
        EXPECT_TRUE(button.getToggleState());

        button.triggerClick();
        editortest::deliverPostedMessages();
        ASSERT_EQ(host.values.size(), 2u);
        EXPECT_EQ(host.values[1], std::make_pair(index, 0.0f));
        EXPECT_FALSE(button.getToggleState());
    }
}

TEST_F(KivComponentTest, ControlsThatAreNotItsOwnAreIgnored)
{
    juce::Slider slider;
    juce::ComboBox list;
    list.addItem("x", 3);
    list.setSelectedId(3, juce::dontSendNotification);
    juce::TextButton button("x");
    button.setToggleState(true, juce::dontSendNotification);

    // A knob named like one of the editor's is still not one of them.
    FilmStripKnob lookalike(juce::Image(), 80, false, 1);
    lookalike.setValue(0.9, juce::dontSendNotification);

    editor->sliderValueChanged(&slider);
    editor->sliderValueChanged(&lookalike);
    editor->comboBoxChanged(&list);
    editor->buttonClicked(&button);
    EXPECT_TRUE(host.values.empty());
}

TEST_F(KivComponentTest, MidiLearnBindsAControllerThatTheKnobThenFollows)
{
    core.setRateAndBufferSizeDetails(44100.0, 64);
    auto& learn = childAs<ImageToggleButton>(0);
    auto& cutoff = dynamic_cast<FilmStripKnob&>(controlFor(1));

    learn.triggerClick();
    editortest::deliverPostedMessages();
    ASSERT_TRUE(learn.getToggleState());
    cutoff.setValue(0.7, juce::sendNotificationSync); // the knob the controller will move

    auto play = [&](int controllerValue)
    {
        juce::AudioBuffer<float> audio(2, 64);
        audio.clear();
        juce::MidiBuffer midi;
        midi.addEvent(juce::MidiMessage::controllerEvent(5, 74, controllerValue), 0);
        core.processBlock(audio, midi);
        deliverChange();
    };

    play(64);
    EXPECT_EQ(describe(cutoff), "knob 0.504 frame 39"); // 64 / 127
    EXPECT_TRUE(learn.getToggleState());

    learn.triggerClick();
    editortest::deliverPostedMessages();
    ASSERT_FALSE(learn.getToggleState());
    play(127);
    EXPECT_EQ(describe(cutoff), "knob 1.000 frame 79");
}

TEST_F(KivComponentTest, PaintsTheBackgroundWithTheControlsOnIt)
{
    const auto shot = editor->createComponentSnapshot(editor->getLocalBounds(), true, 1.0f);
    ASSERT_EQ(shot.getWidth(), 520);
    ASSERT_EQ(shot.getHeight(), 480);

    const auto background = juce::ImageCache::getFromMemory(
        KivEditorImages::resource_NewJucerComponent_bmp00128_png,
        KivEditorImages::resource_NewJucerComponent_bmp00128_pngSize);
    ASSERT_TRUE(background.isValid());

    std::set<juce::uint32> colours;
    int sameAsBackground = 0;
    for (int y = 0; y < shot.getHeight(); ++y)
        for (int x = 0; x < shot.getWidth(); ++x)
        {
            const auto p = shot.getPixelAt(x, y);
            colours.insert(p.getARGB());
            sameAsBackground += p == background.getPixelAt(x, y) ? 1 : 0;
        }
    EXPECT_GT(colours.size(), 200u);

    // Mostly the background, unscaled at the corner; the controls cover the rest.
    const int numPixels = shot.getWidth() * shot.getHeight();
    EXPECT_GT(sameAsBackground, numPixels * 3 / 4);
    EXPECT_LT(sameAsBackground, numPixels * 97 / 100);
    EXPECT_EQ(shot.getPixelAt(2, 2), background.getPixelAt(2, 2));
    EXPECT_EQ(shot.getPixelAt(517, 477), background.getPixelAt(517, 477));

    // A knob is drawn over its well, and a list in its own colour over its placeholder.
    EXPECT_NE(shot.getPixelAt(168 + 28, 42 + 10), background.getPixelAt(168 + 28, 42 + 10));
    EXPECT_EQ(shot.getPixelAt(32 + 70, 371 + 4).getARGB(), 0xff4c4c4cu);

    // For looking at the artwork without a display: KIV_EDITOR_SNAPSHOT_OUT=file.png
    if (const char* out = std::getenv("KIV_EDITOR_SNAPSHOT_OUT"); out != nullptr && *out != '\0')
    {
        juce::MemoryOutputStream png;
        ASSERT_TRUE(juce::PNGImageFormat().writeImageToStream(shot, png));
        EXPECT_TRUE(juce::File(out).replaceWithData(png.getData(), png.getDataSize()));
    }
}
} // namespace
