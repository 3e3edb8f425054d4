// User texts of the collection.
#pragma once

namespace texts {
inline constexpr char16_t kCaption[] = u"Plochar 2.12";
inline constexpr char16_t kBadFileFormat[] = u"Špatný formát souboru, nemohu rozluštit jeho formát.";
} // namespace texts
