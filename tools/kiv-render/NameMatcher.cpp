#include "NameMatcher.h"

#include <cctype>

std::string NameMatcher::folded(const std::string& text, bool collapseSpaces)
{
    std::string out;
    bool pendingSpace = false;

    for (const char c : text)
    {
        const auto u = static_cast<unsigned char>(c);

        if (collapseSpaces && std::isspace(u))
        {
            pendingSpace = !out.empty();
            continue;
        }

        if (pendingSpace)
        {
            out += ' ';
            pendingSpace = false;
        }

        out += static_cast<char>(std::tolower(u));
    }

    return out;
}

int NameMatcher::find(const std::vector<std::string>& names, const std::string& query)
{
    if (query.empty())
        return -1;

    for (std::size_t i = 0; i < names.size(); ++i)
        if (!names[i].empty() && names[i] == query)
            return static_cast<int>(i);

    for (const bool collapse : {false, true})
    {
        const std::string wanted = folded(query, collapse);

        if (wanted.empty())
            return -1;

        for (std::size_t i = 0; i < names.size(); ++i)
            if (!names[i].empty() && folded(names[i], collapse) == wanted)
                return static_cast<int>(i);
    }

    return -1;
}

std::string NameMatcher::listOf(const std::vector<std::string>& names)
{
    std::string out;

    for (const auto& name : names)
    {
        if (name.empty())
            continue;

        if (!out.empty())
            out += ", ";

        out += "'" + name + "'";
    }

    return out;
}
