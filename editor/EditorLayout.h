#pragma once

// Where every control of the editor sits, in pixels from the editor's top-left corner.
// The editor places its controls from this table and the artwork generator draws the scale
// rings, captions and list placeholders of the background around the same boxes, so the two
// can never drift apart. Plain data without the framework, so that both sides can include it.
struct EditorLayout
{
    struct Box
    {
        int x;
        int y;
        int width;
        int height;
    };

    // The editor is exactly the size of its background picture and cannot be resized.
    static constexpr int editorWidth = 520;
    static constexpr int editorHeight = 480;

    // One film-strip frame is square; the knobs are drawn unscaled at this size.
    static constexpr int knobSize = 57;
    static constexpr int numKnobFrames = 80;

    // The two image toggle buttons.
    static constexpr int buttonWidth = 69;
    static constexpr int buttonHeight = 39;

    // Top panel: the four main knobs.
    static constexpr Box inputDriveKnob{41, 42, knobSize, knobSize};
    static constexpr Box cutoffKnob{168, 42, knobSize, knobSize};
    static constexpr Box resonanceKnob{296, 42, knobSize, knobSize};
    static constexpr Box volumeKnob{425, 42, knobSize, knobSize};

    // Middle panel: the LFO section.
    static constexpr Box midiTriggerButton{166, 177, buttonWidth, buttonHeight};
    static constexpr Box lfoRateKnob{296, 186, knobSize, knobSize};
    static constexpr Box lfoIntensityKnob{425, 186, knobSize, knobSize};
    static constexpr Box lfoWaveformList{30, 230, 100, 20};
    static constexpr Box lfoSyncList{152, 230, 100, 20};

    // Lower panel: filter type and envelope.
    static constexpr Box envelopeIntensityKnob{168, 331, knobSize, knobSize};
    static constexpr Box envelopeSpeedKnob{296, 331, knobSize, knobSize};
    static constexpr Box lfoWidthKnob{425, 331, knobSize, knobSize};
    static constexpr Box filterTypeList{32, 371, 100, 20};

    // The strip below the panels.
    static constexpr Box midiLearnButton{162, 438, buttonWidth, buttonHeight};
    static constexpr Box versionLabel{16, 440, 100, 20};
};
