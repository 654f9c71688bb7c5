#pragma once

#include <juce_core/juce_core.h>

// Decides whether a text from outside (a host's stored chunk) is safe to hand to the framework's
// XML parser. That parser descends recursively, one level of the C++ stack per level of element
// nesting, so a chunk of a few hundred kilobytes of nested tags would overflow the stack of the
// thread that loads it. It also expands entities of a document type declaration and
// reference-like "&...;" runs into further elements, and it steps past the end of the text on a
// hexadecimal character reference that the text ends in.
//
// The guard walks the text with the parser's own rules for whitespace, comments, processing
// instructions, tags, quoted attribute values, character data and closing tags, counting the
// nesting depth the parser would reach, and refuses:
//   - nesting deeper than the given limit,
//   - a document type declaration,
//   - any '&' that does not start one of the five named entities or a well-formed decimal or
//     hexadecimal character reference,
//   - text right after a processing instruction inside an element, on which the parser loops
//     forever.
// None of these occur in state that this plug-in writes. A refused text is treated as "not XML".
class XmlInputGuard
{
public:
    // Deep enough for any hand-edited state; the stored format itself nests three levels.
    static constexpr int defaultMaxDepth = 64;

    static bool isSafeToParse(const juce::String& text, int maxDepth = defaultMaxDepth);

private:
    using CharPointer = juce::String::CharPointerType;

    explicit XmlInputGuard(CharPointer text, int maxDepth) noexcept;

    static bool hasOnlyWellFormedReferences(const juce::String& text);
    static bool isIdentifierChar(juce::juce_wchar c) noexcept;
    static CharPointer findEndOfToken(CharPointer p) noexcept;

    bool walkDocument();
    void skipNextWhiteSpace();
    juce::juce_wchar readNextChar() noexcept;
    void skipQuotedString();
    void skipReference();
    bool readNextElement(int level);
    void readChildElements(int level);

    CharPointer input;
    const int depthLimit;
    bool outOfData = false;
    bool tooDeep = false;
    bool endless = false;
};
