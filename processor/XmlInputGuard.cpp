#include "XmlInputGuard.h"

// The walk below follows the framework parser's control flow step by step (the same character
// classes, the same order of checks, the same places where it gives up), but only moves a
// position and counts levels; it builds nothing. Its own recursion stops at the depth limit, so
// it cannot overflow the stack itself.

bool XmlInputGuard::isSafeToParse(const juce::String& text, int maxDepth)
{
    if (!hasOnlyWellFormedReferences(text))
    {
        return false;
    }
    XmlInputGuard guard(text.getCharPointer(), maxDepth);
    return guard.walkDocument();
}

XmlInputGuard::XmlInputGuard(CharPointer text, int maxDepth) noexcept
    : input(text), depthLimit(maxDepth)
{
}

bool XmlInputGuard::hasOnlyWellFormedReferences(const juce::String& text)
{
    // Every '&' must be "&amp;", "&quot;", "&apos;", "&lt;" or "&gt;" (any letter case, as the
    // parser compares them), or "&#" with 1 to 12 decimal digits, or "&#x" with 1 to 8
    // hexadecimal digits, followed by ';'. With that, no reference can expand into elements,
    // swallow a quote, or run past the end of the text.
    static const char* const namedEntities[] = {"amp;", "quot;", "apos;", "lt;", "gt;"};

    const char* p = text.toRawUTF8();
    for (; *p != 0; ++p)
    {
        if (*p != '&')
        {
            continue;
        }
        const char* next = p + 1;
        bool wellFormed = false;
        for (const char* name : namedEntities)
        {
            const char* q = next;
            const char* n = name;
            while (*n != 0 && *q != 0 &&
                   juce::CharacterFunctions::toLowerCase((juce::juce_wchar)*q) ==
                       (juce::juce_wchar)*n)
            {
                ++q;
                ++n;
            }
            if (*n == 0)
            {
                wellFormed = true;
                break;
            }
        }
        if (!wellFormed && *next == '#')
        {
            const bool isHex = next[1] == 'x' || next[1] == 'X';
            const char* digit = next + (isHex ? 2 : 1);
            const int maxDigits = isHex ? 8 : 12;
            int numDigits = 0;
            while (numDigits <= maxDigits && (isHex ? juce::CharacterFunctions::getHexDigitValue(
                                                          (juce::juce_wchar)*digit) >= 0
                                                    : (*digit >= '0' && *digit <= '9')))
            {
                ++digit;
                ++numDigits;
            }
            wellFormed = numDigits >= 1 && numDigits <= maxDigits && *digit == ';';
        }
        if (!wellFormed)
        {
            return false;
        }
    }
    return true;
}

bool XmlInputGuard::isIdentifierChar(juce::juce_wchar c) noexcept
{
    // The parser's own set: letters, digits, '_', '-', ':' and '.', with a bit table for the
    // first 160 code points and the library's letter-or-digit test above that.
    static const juce::uint32 legalChars[] = {0, 0x7ff6000, 0x87fffffe, 0x7fffffe, 0};

    if (c >= 0 && c < 160)
    {
        return (legalChars[c >> 5] & (juce::uint32)(1u << (c & 31))) != 0;
    }
    return juce::CharacterFunctions::isLetterOrDigit(c) || c == '_' || c == '-' || c == ':' ||
           c == '.';
}

XmlInputGuard::CharPointer XmlInputGuard::findEndOfToken(CharPointer p) noexcept
{
    while (isIdentifierChar(*p))
    {
        ++p;
    }
    return p;
}

bool XmlInputGuard::walkDocument()
{
    // An empty text or an unterminated declaration makes the parser give up before it reads
    // any element: nothing to guard.
    if (input.isEmpty())
    {
        return true;
    }
    skipNextWhiteSpace();
    if (juce::CharacterFunctions::compareUpTo(input, juce::CharPointer_ASCII("<?xml"), 5) == 0)
    {
        const auto headerEnd = juce::CharacterFunctions::find(input, juce::CharPointer_ASCII("?>"));
        if (headerEnd.isEmpty())
        {
            return true;
        }
        input = headerEnd + 2;
        skipNextWhiteSpace();
    }
    if (juce::CharacterFunctions::compareUpTo(input, juce::CharPointer_ASCII("<!DOCTYPE"), 9) == 0)
    {
        return false;
    }
    readNextElement(1);
    return !tooDeep && !endless;
}

void XmlInputGuard::skipNextWhiteSpace()
{
    for (;;)
    {
        input.incrementToEndOfWhitespace();
        if (input.isEmpty())
        {
            outOfData = true;
            break;
        }
        if (*input == '<')
        {
            if (input[1] == '!' && input[2] == '-' && input[3] == '-')
            {
                input += 4;
                const auto closeComment = input.indexOf(juce::CharPointer_ASCII("-->"));
                if (closeComment < 0)
                {
                    outOfData = true;
                    break;
                }
                input += closeComment + 3;
                continue;
            }
            if (input[1] == '?')
            {
                input += 2;
                const auto closeBracket = input.indexOf(juce::CharPointer_ASCII("?>"));
                if (closeBracket < 0)
                {
                    outOfData = true;
                    break;
                }
                input += closeBracket + 2;
                continue;
            }
        }
        break;
    }
}

juce::juce_wchar XmlInputGuard::readNextChar() noexcept
{
    const auto c = input.getAndAdvance();
    if (c == 0)
    {
        outOfData = true;
        --input;
    }
    return c;
}

void XmlInputGuard::skipQuotedString()
{
    // References are well-formed (checked first) and contain no quote, so the value ends at the
    // next quote of the same kind, or the text ends.
    const auto quote = readNextChar();
    for (;;)
    {
        const auto c = *input;
        if (c == 0)
        {
            outOfData = true;
            return;
        }
        ++input;
        if (c == quote)
        {
            return;
        }
    }
}

void XmlInputGuard::skipReference()
{
    // Well-formed, so it ends at the first ';'.
    input += input.indexOf((juce::juce_wchar)';') + 1;
}

bool XmlInputGuard::readNextElement(int level)
{
    skipNextWhiteSpace();
    if (outOfData || *input != '<')
    {
        return false;
    }
    ++input;
    auto endOfToken = findEndOfToken(input);
    if (endOfToken == input)
    {
        skipNextWhiteSpace();
        endOfToken = findEndOfToken(input);
        if (endOfToken == input)
        {
            return false;
        }
    }
    if (level > depthLimit)
    {
        tooDeep = true;
        return false;
    }
    input = endOfToken;

    for (;;)
    {
        skipNextWhiteSpace();
        const auto c = *input;
        if (c == '/' && input[1] == '>')
        {
            input += 2;
            break;
        }
        if (c == '>')
        {
            ++input;
            readChildElements(level + 1);
            break;
        }
        if (isIdentifierChar(c))
        {
            const auto attNameEnd = findEndOfToken(input);
            if (attNameEnd != input)
            {
                input = attNameEnd;
                skipNextWhiteSpace();
                if (readNextChar() == '=')
                {
                    skipNextWhiteSpace();
                    const auto nextChar = *input;
                    if (nextChar == '"' || nextChar == '\'')
                    {
                        skipQuotedString();
                        continue;
                    }
                }
                else
                {
                    return true;
                }
            }
        }
        break;
    }
    return true;
}

void XmlInputGuard::readChildElements(int level)
{
    for (;;)
    {
        const auto preWhitespaceInput = input;
        skipNextWhiteSpace();
        if (outOfData)
        {
            break;
        }
        if (*input == '<')
        {
            const auto c1 = input[1];
            if (c1 == '/')
            {
                const auto closeTag = input.indexOf((juce::juce_wchar)'>');
                if (closeTag >= 0)
                {
                    input += closeTag + 1;
                }
                break;
            }
            if (c1 == '!' && juce::CharacterFunctions::compareUpTo(
                                 input + 2, juce::CharPointer_ASCII("[CDATA["), 7) == 0)
            {
                input += 9;
                for (;;)
                {
                    const auto c0 = *input;
                    if (c0 == 0)
                    {
                        outOfData = true;
                        break;
                    }
                    if (c0 == ']' && input[1] == ']' && input[2] == '>')
                    {
                        input += 3;
                        break;
                    }
                    ++input;
                }
            }
            else
            {
                if (!readNextElement(level) || tooDeep || endless)
                {
                    break;
                }
            }
        }
        else
        {
            // Character data, up to the next tag; comments inside it are skipped.
            input = preWhitespaceInput;
            for (;;)
            {
                const auto c = *input;
                if (c == '<')
                {
                    if (input[1] == '!' && input[2] == '-' && input[3] == '-')
                    {
                        input += 4;
                        const auto closeComment = input.indexOf(juce::CharPointer_ASCII("-->"));
                        if (closeComment < 0)
                        {
                            outOfData = true;
                            return;
                        }
                        input += closeComment + 3;
                        continue;
                    }
                    // A processing instruction followed by text: the white-space skip above
                    // steps over the instruction, the text read rolls back to it and stops at
                    // its '<' at once. The parser would come back here forever.
                    if (input == preWhitespaceInput)
                    {
                        endless = true;
                        return;
                    }
                    break;
                }
                if (c == 0)
                {
                    outOfData = true;
                    return;
                }
                if (c == '&')
                {
                    skipReference();
                    continue;
                }
                for (;; ++input)
                {
                    auto nextChar = *input;
                    if (nextChar == '\r' && input[1] == '\n')
                    {
                        continue;
                    }
                    if (nextChar == '<' || nextChar == '&')
                    {
                        break;
                    }
                    if (nextChar == 0)
                    {
                        outOfData = true;
                        return;
                    }
                }
            }
        }
    }
}
