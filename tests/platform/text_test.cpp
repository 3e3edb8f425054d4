// Sort keys against the comparison they stand for (the system's on Windows).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text.h"

namespace {

int sign(int v) { return (v > 0) - (v < 0); }

std::vector<uint8_t> keyOf(const char16_t* text) {
    std::vector<uint8_t> key(plat::sortKeyNoCase(text, nullptr, 0));
    EXPECT_FALSE(key.empty()) << plat::toUtf8(text);
    EXPECT_EQ(plat::sortKeyNoCase(text, key.data(), key.size()), key.size()) << plat::toUtf8(text);
    return key;
}

TEST(SortKeys, OrderTextsAsTheCaseInsensitiveComparison) {
    const char16_t* texts[] = {u"",  u"a",  u"A",  u"ab",     u"aB",      u"abc",  u"b",    u"c",
                               u"č", u"Č",  u"cz", u"h",      u"ch",      u"Š",    u"z",    u"Ž",
                               u"1", u"10", u"2",  u"Foto 7", u"foto 70", u"Léto", u"leto", u"Ďábel"};
    for (const char16_t* a : texts) {
        const std::vector<uint8_t> ka = keyOf(a);
        for (const char16_t* b : texts) {
            const std::vector<uint8_t> kb = keyOf(b);
            EXPECT_EQ(sign(plat::compareSortKeys(ka.data(), ka.size(), kb.data(), kb.size())),
                      sign(plat::compareTextNoCase(a, b)))
                << plat::toUtf8(a) << " / " << plat::toUtf8(b);
        }
    }
}

} // namespace
