// User texts of the collection.
#pragma once

#include "product.h"

namespace texts {
using product::kCaption;
inline constexpr char16_t kBadFileFormat[] = u"Špatný formát souboru, nemohu rozluštit jeho formát.";
} // namespace texts
