#include "NameMatcher.h"

#include <gtest/gtest.h>

TEST(NameMatcher, ExactBeforeCaseBeforeSpacing)
{
    const std::vector<std::string> names = {"", "Lfo 2/1 BP", "lfo 2/1 bp", "Inverted  BP Env",
                                            "Midi Learn"};

    struct Row
    {
        const char* query;
        int expected;
    };

    const Row rows[] = {
        {"lfo 2/1 bp", 2},       // exact wins over the earlier case-insensitive match
        {"LFO 2/1 BP", 1},       // first case-insensitive match
        {"Inverted  BP Env", 3}, // exact, two spaces
        {"inverted bp env", 3},  // spacing folded
        {"  midi   learn ", 4},
        {"Midi", -1}, // no prefix matches
        {"", -1},     // the empty name is no parameter
        {"   ", -1},
    };

    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.query);
        EXPECT_EQ(NameMatcher::find(names, row.query), row.expected);
    }
}
