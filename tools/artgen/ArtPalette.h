#pragma once

#include <juce_graphics/juce_graphics.h>

// The colours and type of the whole panel, kept in one place so the knobs, the buttons and the
// background read as one instrument: dark charcoal panels in a darker case, light grey
// engraving, and one warm amber accent for what is "live" (pointers, lit buttons, titles).
struct ArtPalette
{
    // Case and panels.
    static inline const juce::Colour caseTop{0xff222428};
    static inline const juce::Colour caseBottom{0xff141518};
    static inline const juce::Colour panelTop{0xff34373d};
    static inline const juce::Colour panelBottom{0xff25272c};
    static inline const juce::Colour panelEdge{0xff0d0e10};

    // Engraving: captions, scale ticks, rules.
    static inline const juce::Colour caption{0xffb8bcc3};
    static inline const juce::Colour captionDim{0xff80858d};
    static inline const juce::Colour tickMajor{0xffc3c7cd};
    static inline const juce::Colour tickMinor{0xff70757d};

    // The accent.
    static inline const juce::Colour amber{0xffffa834};
    static inline const juce::Colour amberLight{0xffffcc7a};
    static inline const juce::Colour amberDeep{0xffe07a12};
    static inline const juce::Colour amberInk{0xff3b1e00};

    // Knob body.
    static inline const juce::Colour skirtTop{0xff50545b};
    static inline const juce::Colour skirtBottom{0xff141517};
    static inline const juce::Colour capTop{0xff60656d};
    static inline const juce::Colour capBottom{0xff2a2d32};

    // Every text on the panel is set in this family; it is the sans serif the machine ships.
    static juce::Font font(float heightPx, bool bold, float extraKerning)
    {
        juce::Font f("DejaVu Sans", heightPx, bold ? juce::Font::bold : juce::Font::plain);
        f.setExtraKerningFactor(extraKerning);
        return f;
    }
};
