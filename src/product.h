// The product's name and version as its windows and boxes show them.
#pragma once

namespace product {
inline constexpr char16_t kCaption[] = u"Plochar 2.12";
} // namespace product
