// The built-in problem catalogue: eighteen 25 x 25 maps keyed by Problem_ID.
#pragma once

#include <array>
#include <string_view>

namespace solver {

struct CatalogueEntry {
  std::string_view id;   // four-digit Problem_ID, e.g. "0001"
  std::string_view map;  // 625 cells, row after row, top row first
};

inline constexpr int kCatalogueSize = 18;

// In listing order, which is also the order in which a typed ID is compared.
extern const std::array<CatalogueEntry, kCatalogueSize> kCatalogue;

}  // namespace solver
