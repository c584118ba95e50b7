#pragma once
// A strict little reader for the SVG and HTML the document layer writes: every element
// closed in order (HTML's void elements excepted), attribute values quoted, no raw '<' or
// '&' outside a tag or an entity, the whole text valid UTF-8. Returns an empty string when
// the text passes, else what is wrong and where.

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>
#include <vector>

namespace ovix::test {

inline bool ValidUtf8(std::string_view s)
{
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        std::size_t extra = 0;
        if (b >= 0xC2 && b <= 0xDF)
            extra = 1;
        else if ((b & 0xF0) == 0xE0)
            extra = 2;
        else if (b >= 0xF0 && b <= 0xF4)
            extra = 3;
        else if (b >= 0x80)
            return false;
        if (i + extra >= s.size())
            return false;
        for (std::size_t k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += extra + 1;
    }
    return true;
}

inline std::string CheckMarkup(std::string_view s, bool html)
{
    if (!ValidUtf8(s))
        return "not valid UTF-8";
    static const std::vector<std::string_view> kVoid = {"meta", "br", "img", "input", "link", "hr"};
    std::vector<std::string> open;
    auto where = [&](std::size_t i) { return " at " + std::to_string(i) + ": " + std::string(s.substr(i, 40)); };
    for (std::size_t i = 0; i < s.size();) {
        const char c = s[i];
        if (c == '&') {
            const std::size_t semi = s.find(';', i);
            if (semi == std::string_view::npos || semi - i > 8)
                return "bare '&'" + where(i);
            const std::string_view ent = s.substr(i + 1, semi - i - 1);
            const bool named = ent == "amp" || ent == "lt" || ent == "gt" || ent == "quot" || ent == "apos";
            const bool numeric = ent.size() >= 2 && ent[0] == '#';
            if (!named && !numeric)
                return "unknown entity" + where(i);
            i = semi + 1;
            continue;
        }
        if (c == '>')
            return "stray '>'" + where(i);
        if (c != '<') {
            ++i;
            continue;
        }
        if (s.substr(i, 2) == "<?" || s.substr(i, 2) == "<!") {
            const std::size_t end = s.find('>', i);
            if (end == std::string_view::npos)
                return "unclosed declaration" + where(i);
            i = end + 1;
            continue;
        }
        const bool closing = s.substr(i, 2) == "</";
        std::size_t j = i + (closing ? 2 : 1);
        const std::size_t nameStart = j;
        while (j < s.size() && (std::isalnum(static_cast<unsigned char>(s[j])) || s[j] == '-' || s[j] == ':'))
            ++j;
        const std::string name(s.substr(nameStart, j - nameStart));
        if (name.empty())
            return "raw '<'" + where(i);
        bool selfClosing = false;
        // attributes: name="value" (or 'value'), nothing else
        while (j < s.size() && s[j] != '>') {
            if (s[j] == ' ' || s[j] == '\n') {
                ++j;
            } else if (s[j] == '/' && j + 1 < s.size() && s[j + 1] == '>') {
                selfClosing = true;
                ++j;
            } else {
                const std::size_t eq = s.find('=', j);
                if (eq == std::string_view::npos || eq + 1 >= s.size() || (s[eq + 1] != '"' && s[eq + 1] != '\''))
                    return "attribute without a quoted value" + where(j);
                for (std::size_t k = j; k < eq; ++k)
                    if (!(std::isalnum(static_cast<unsigned char>(s[k])) || s[k] == '-' || s[k] == ':'))
                        return "bad attribute name" + where(j);
                const std::size_t close = s.find(s[eq + 1], eq + 2);
                if (close == std::string_view::npos)
                    return "unclosed attribute value" + where(j);
                const std::string_view value = s.substr(eq + 2, close - eq - 2);
                if (value.find('<') != std::string_view::npos)
                    return "'<' in an attribute value" + where(j);
                j = close + 1;
            }
        }
        if (j >= s.size())
            return "unclosed tag" + where(i);
        i = j + 1;
        if (closing) {
            if (open.empty() || open.back() != name)
                return "</" + name + "> closes " + (open.empty() ? std::string("nothing") : "<" + open.back() + ">") +
                       where(nameStart);
            open.pop_back();
        } else if (!selfClosing && !(html && std::find(kVoid.begin(), kVoid.end(), name) != kVoid.end())) {
            open.push_back(name);
            if (html && name == "style") {  // CSS is raw text up to its end tag
                const std::size_t end = s.find("</style>", i);
                if (end == std::string_view::npos)
                    return "unclosed <style>";
                i = end;
            }
        }
    }
    if (!open.empty())
        return "<" + open.back() + "> never closed";
    return {};
}

} // namespace ovix::test
