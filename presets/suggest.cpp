// See suggest.h.
#include "presets/suggest.h"

#include <algorithm>
#include <cctype>

namespace jf::presets {

std::size_t EditDistance(const std::string& a, const std::string& b) {
  auto same = [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  };
  // One row of the Wagner-Fischer table at a time.
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({above + 1, row[j - 1] + 1, diagonal + (same(a[i - 1], b[j - 1]) ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

std::optional<std::size_t> ClosestIndex(const std::string& word,
                                        const std::vector<std::string>& names) {
  const std::size_t limit = std::clamp<std::size_t>(word.size() / 3, 1, 4);
  std::optional<std::size_t> best;
  std::size_t bestDistance = limit + 1;
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::size_t d = EditDistance(word, names[i]);
    if (d < bestDistance) {
      bestDistance = d;
      best = i;
    }
  }
  return best;
}

std::optional<std::string> ClosestName(const std::string& word,
                                       const std::vector<std::string>& names) {
  const auto best = ClosestIndex(word, names);
  return best ? std::optional<std::string>(names[*best]) : std::nullopt;
}

std::string DidYouMean(const std::string& word, const std::vector<std::string>& names) {
  const auto best = ClosestName(word, names);
  return best ? "did you mean \"" + *best + "\"?" : std::string();
}

}  // namespace jf::presets
