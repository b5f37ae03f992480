#pragma once
// Relocation of track paths: "FROM=TO" rules that rewrite the start of a path, for a collection
// whose music moved to another drive, folder or computer.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace deckshift::settings {

struct RelocationRule {
    std::string from;
    std::string to;
};

/// Splits "FROM=TO" at its first "=". nullopt when there is no "=" or FROM is empty.
std::optional<RelocationRule> parseRelocationRule(std::string_view text);

/// Applies a set of rules to track paths. A rule matches a path that begins with its FROM,
/// compared without regard to letter case (a-z, A-Z) and with "\" and "/" taken as equal, and only
/// at a component boundary: FROM ends with a separator, or the path goes on with a separator or
/// ends there. The longest matching FROM wins. The matched part becomes TO; in the rest of the
/// path every separator becomes "/" when TO holds "/" and no "\", "\" when TO holds "\" and no
/// "/", and stays as it is otherwise. TO and the rest are joined by exactly one separator, whether
/// or not FROM and TO end in one; an empty TO leaves the rest without its leading separator.
class Relocator {
public:
    explicit Relocator(std::vector<RelocationRule> rules = {});

    bool empty() const { return m_rules.empty(); }
    /// Rewrites `path` in place; false when no rule matched (the path is left as it is).
    bool apply(std::string& path);
    /// As above for a path that stays where it lies: when a rule matches, `out` gets the
    /// rewritten path and true is returned; otherwise `out` is left as it is. `path` must not
    /// view `out`.
    bool apply(std::string_view path, std::string& out);

    const std::vector<RelocationRule>& rules() const { return m_rules; }
    /// How many paths each rule (in the order given) has rewritten.
    const std::vector<std::uint64_t>& matches() const { return m_matches; }
    std::uint64_t relocated() const { return m_relocated; }

private:
    enum class SeparatorRewrite { Keep, ToSlash, ToBackslash };
    std::vector<RelocationRule> m_rules;
    std::vector<std::string> m_folded;   ///< each FROM as it is compared: lower case, "/" for "\\"
    std::vector<std::size_t> m_byLength; ///< rule indices, longest FROM first
    std::vector<SeparatorRewrite> m_rewrite;
    std::vector<std::uint64_t> m_matches;
    std::uint64_t m_relocated = 0;
    std::string m_scratch;
};

} // namespace deckshift::settings
