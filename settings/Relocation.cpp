#include "settings/Relocation.h"

#include <algorithm>
#include <array>
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

// Every separator of `text` becomes `wanted`, written without a branch so that the loop runs over
// many bytes at once.
void rewriteSeparators(char* text, std::size_t size, char wanted) {
    const char other = wanted == '/' ? '\\' : '/';
    for (std::size_t i = 0; i < size; ++i)
        text[i] = text[i] == other ? wanted : text[i];
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
    for (std::size_t index : m_byLength) {
        const auto& rule = m_rules[index];
        if (!matchesAt(path, m_folded[index]))
            continue;
        std::string_view rest = std::string_view(path).substr(rule.from.size());
        const auto rewrite = m_rewrite[index];
        m_scratch.assign(rule.to);
        // Exactly one separator between TO and the rest, whether or not FROM and TO end in one;
        // an empty TO leaves the rest relative.
        if (!rest.empty()) {
            const bool toEnds = !rule.to.empty() && isSeparator(rule.to.back());
            if (rule.to.empty() || toEnds) {
                if (isSeparator(rest.front()))
                    rest.remove_prefix(1);
            } else if (!isSeparator(rest.front())) {
                m_scratch += rule.from.back();
            }
        }
        const std::size_t restStart = rule.to.size();
        m_scratch.append(rest);
        if (rewrite != SeparatorRewrite::Keep)
            rewriteSeparators(m_scratch.data() + restStart, m_scratch.size() - restStart,
                              rewrite == SeparatorRewrite::ToSlash ? '/' : '\\');
        path.swap(m_scratch);
        ++m_matches[index];
        ++m_relocated;
        return true;
    }
    return false;
}

} // namespace deckshift::settings
