#pragma once

// The nearest of a few names to a mistyped word, for "did you mean" hints.

#include <string>
#include <string_view>
#include <vector>

namespace cli {

/// The candidate closest to `word` by edit distance (insertions, deletions, substitutions and
/// swaps of neighbours), when it is close enough to be a typo of it: at most a third of the
/// word's length, and at least one edit allowed. Empty when none is.
[[nodiscard]] std::string nearestName(std::string_view word,
                                      const std::vector<std::string>& candidates);

} // namespace cli
