#include "settings/Relocation.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <numeric>

namespace deckshift::settings {

namespace {

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

// Letters a-z and A-Z compare alike, and so do "\" and "/": each byte's form for comparing.
constexpr std::array<char, 256> kFolded = [] {
    std::array<char, 256> table{};
    for (int i = 0; i < 256; ++i) {
        char c = static_cast<char>(i);
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c == '\\')
            c = '/';
        table[static_cast<std::size_t>(i)] = c;
    }
    return table;
}();

char foldCase(char c) {
    return kFolded[static_cast<unsigned char>(c)];
}

std::string folded(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = foldCase(c);
    return out;
}

/// `foldedFrom` is FROM in its folded form.
bool matchesAt(std::string_view path, std::string_view foldedFrom) {
    if (path.size() < foldedFrom.size())
        return false;
    // Rules often share their start ("C:\Music\" and "C:\Music\Collection 5"): their last
    // characters tell them apart soonest.
    if (foldCase(path[foldedFrom.size() - 1]) != foldedFrom.back())
        return false;
    for (std::size_t i = 0; i + 1 < foldedFrom.size(); ++i) {
        if (foldCase(path[i]) != foldedFrom[i])
            return false;
    }
    // Only at a component boundary: "C:\Music" does not match "C:\Musicals\x.mp3".
    return foldedFrom.back() == '/' || path.size() == foldedFrom.size() ||
           isSeparator(path[foldedFrom.size()]);
}

// Copies `size` bytes of `from` to `to`, every separator becoming `wanted`, written without a
// branch so that the loop runs over many bytes at once.
void copyRewritingSeparators(char* to, const char* from, std::size_t size, char wanted) {
    const char other = wanted == '/' ? '\\' : '/';
    for (std::size_t i = 0; i < size; ++i)
        to[i] = from[i] == other ? wanted : from[i];
}

} // namespace

std::optional<RelocationRule> parseRelocationRule(std::string_view text) {
    const auto equals = text.find('=');
    if (equals == std::string_view::npos || equals == 0)
        return std::nullopt;
    return RelocationRule{std::string(text.substr(0, equals)),
                          std::string(text.substr(equals + 1))};
}

Relocator::Relocator(std::vector<RelocationRule> rules)
    : m_rules(std::move(rules)), m_byLength(m_rules.size()), m_matches(m_rules.size(), 0) {
    std::iota(m_byLength.begin(), m_byLength.end(), std::size_t{0});
    std::stable_sort(m_byLength.begin(), m_byLength.end(), [&](std::size_t a, std::size_t b) {
        return m_rules[a].from.size() > m_rules[b].from.size();
    });
    for (const auto& rule : m_rules) {
        m_folded.push_back(folded(rule.from));
        const bool slash = rule.to.find('/') != std::string::npos;
        const bool backslash = rule.to.find('\\') != std::string::npos;
        m_rewrite.push_back(slash && !backslash   ? SeparatorRewrite::ToSlash
                            : backslash && !slash ? SeparatorRewrite::ToBackslash
                                                  : SeparatorRewrite::Keep);
    }
}

bool Relocator::apply(std::string& path) {
    if (!apply(std::string_view(path), m_scratch))
        return false;
    path.swap(m_scratch);
    return true;
}

bool Relocator::apply(std::string_view path, std::string& out) {
    for (std::size_t index : m_byLength) {
        const auto& rule = m_rules[index];
        if (!matchesAt(path, m_folded[index]))
            continue;
        std::string_view rest = path.substr(rule.from.size());
        // Exactly one separator between TO and the rest, whether or not FROM and TO end in one;
        // an empty TO leaves the rest relative.
        bool addSeparator = false;
        if (!rest.empty()) {
            const bool toEnds = !rule.to.empty() && isSeparator(rule.to.back());
            if (rule.to.empty() || toEnds) {
                if (isSeparator(rest.front()))
                    rest.remove_prefix(1);
            } else if (!isSeparator(rest.front())) {
                addSeparator = true;
            }
        }
        // Sized once and filled in place. The separator put between TO and the rest is FROM's
        // last character, and is rewritten as the rest's separators are.
        const std::size_t restStart = rule.to.size() + (addSeparator ? 1 : 0);
        out.resize(restStart + rest.size());
        char* to = out.data();
        if (!rule.to.empty())
            std::memcpy(to, rule.to.data(), rule.to.size());
        switch (m_rewrite[index]) {
        case SeparatorRewrite::Keep:
            if (addSeparator)
                to[rule.to.size()] = rule.from.back();
            if (!rest.empty())
                std::memcpy(to + restStart, rest.data(), rest.size());
            break;
        case SeparatorRewrite::ToSlash:
            if (addSeparator)
                to[rule.to.size()] = '/';
            copyRewritingSeparators(to + restStart, rest.data(), rest.size(), '/');
            break;
        case SeparatorRewrite::ToBackslash:
            if (addSeparator)
                to[rule.to.size()] = '\\';
            copyRewritingSeparators(to + restStart, rest.data(), rest.size(), '\\');
            break;
        }
        ++m_matches[index];
        ++m_relocated;
        return true;
    }
    return false;
}

} // namespace deckshift::settings
