// Names that are nearly right: the closest of a list of names to one mistyped.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace jf::presets {

/// The Levenshtein distance between a and b (insertions, deletions and substitutions of one
/// character each cost 1), comparing letters without regard to case.
std::size_t EditDistance(const std::string& a, const std::string& b);

/// The position in names of the name closest to word, as ClosestName chooses it.
std::optional<std::size_t> ClosestIndex(const std::string& word,
                                        const std::vector<std::string>& names);

/// The name closest to word, when it is close enough to be what was meant: at most a third of
/// the word's length away (and at least 1, at most 4). Ties go to the earliest name.
std::optional<std::string> ClosestName(const std::string& word,
                                       const std::vector<std::string>& names);

/// "did you mean \"NAME\"?" for the closest name, or empty when none is close.
std::string DidYouMean(const std::string& word, const std::vector<std::string>& names);

}  // namespace jf::presets
