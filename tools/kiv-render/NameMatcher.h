#pragma once

#include <string>
#include <vector>

/**
    Finds a name that a user typed among the plug-in's names. Three passes, each over all
    names in order, the first hit wins: the exact text; then without regard to ASCII letter
    case; then also counting every run of white space as one space and ignoring white space
    at either end (so "inverted bp env" finds "Inverted  BP Env"). Empty names never match.
*/
class NameMatcher
{
public:
    /** Index of the match in `names`, or -1. */
    static int find(const std::vector<std::string>& names, const std::string& query);

    /** The names as a readable list for error messages: "'a', 'b', 'c'" (empty names are
        left out). */
    static std::string listOf(const std::vector<std::string>& names);

private:
    static std::string folded(const std::string& text, bool collapseSpaces);
};
