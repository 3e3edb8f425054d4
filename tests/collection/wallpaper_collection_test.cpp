#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "collection/random.h"
#include "collection/wallpaper_collection.h"
#include "test_support.h"

namespace {

// Picture files named by the letters of `names`, added to c (the collection
// only needs them to exist).
struct PictureFolder {
    testing_support::TempDir dir;
    std::u16string add(const std::u16string& name) {
        testing_support::writeText(dir.file(name), "picture");
        return dir.file(name);
    }
    std::vector<std::u16string> fill(WallpaperCollection& c, const std::u16string& names) {
        std::vector<std::u16string> paths;
        for (char16_t ch : names) {
            paths.push_back(add(std::u16string(1, ch) + u".jpg"));
            EXPECT_EQ(c.addPath(paths.back().c_str()), AddOutcome::Added);
        }
        return paths;
    }
};

int g_applyResult = 1;
int apply(const WallpaperEntry&, void*) { return g_applyResult; }

std::u16string pathOf(const WallpaperEntry* e) { return e ? std::u16string(e->path) : u"<null>"; }
std::u16string pick(WallpaperCollection& c, int mode) { return pathOf(c.pickAndShow(mode, apply, nullptr)); }

} // namespace

TEST(WallpaperEntry, SetPathChecksTheFileAndAssignRechecksIt) {
    PictureFolder pictures;
    WallpaperEntry e;
    e.style = 2;
    EXPECT_FALSE(e.setPath(pictures.dir.file(u"missing.jpg").c_str()) || e.style != 2)
        << "a failed setPath leaves the settings alone";
    const std::u16string p = pictures.add(u"Hory.bmp");
    EXPECT_TRUE(e.setPath(p.c_str()));
    EXPECT_EQ(e.style, 0);
    e.style = 3;
    plat::copyText(e.previewInfo, WallpaperEntry::kPreviewInfoUnits, u"10 x 10, 24 bpp");
    WallpaperEntry copied(e);
    EXPECT_TRUE(copied.equals(e) && copied.previewInfo[0] == 0) << "the preview is not copied and does not count";
    copied.path[p.size() - 1] = u'P';
    EXPECT_FALSE(copied.equals(e)) << "paths compare case-sensitively";
    std::filesystem::remove(std::filesystem::path(p));
    WallpaperEntry verbatim(e), assigned;
    EXPECT_EQ(pathOf(&verbatim), p) << "a copy keeps a vanished path";
    assigned = e;
    EXPECT_EQ(pathOf(&assigned) + std::u16string(1, u'0' + assigned.style), u"3") << "assigning checks the file";
}

TEST(WallpaperCollection, EmptyOneAndElevenEntries) {
    WallpaperCollection c;
    PictureFolder pictures;
    EXPECT_EQ(c.addPath(u""), AddOutcome::Failed);
    EXPECT_EQ(c.addPath(pictures.dir.file(u"missing.jpg").c_str()), AddOutcome::Failed);
    for (int mode = -1; mode < 4; ++mode)
        EXPECT_EQ(pick(c, mode), u"<null>");
    const std::u16string only = pictures.fill(c, u"o")[0];
    for (int mode = -1; mode < 4; ++mode)
        EXPECT_EQ(pick(c, mode), mode < 0 || mode > 2 ? u"<null>" : only) << mode;
    pictures.fill(c, u"bcdefghij");
    WallpaperEntry* eleventh = nullptr;
    ASSERT_EQ(c.addPath(pictures.add(u"zz.jpg").c_str(), &eleventh), AddOutcome::Added);
    EXPECT_EQ(c.slotCount, 20);
    EXPECT_EQ(c.slots[10], eleventh);
    EXPECT_EQ(c.addPath(pictures.dir.file(u"ZZ.JPG").c_str()), AddOutcome::AlreadyPresent);
}

TEST(WallpaperCollection, NextAndPreviousWrapAroundInPickAndShow) {
    PictureFolder pictures;
    WallpaperCollection c;
    auto p = pictures.fill(c, u"abd");
    EXPECT_EQ(c.nextOf(c.last()), nullptr) << "no wrap-around below pickAndShow";
    WallpaperCollection copy(c);
    EXPECT_EQ(pick(copy, kChangePrevious), p[2]) << "no current: previous is the last";
    for (const auto& e : {p[0], p[1], p[2], p[0]})
        EXPECT_EQ(pick(c, kChangeNext), e);
    EXPECT_EQ(pick(c, kChangePrevious), p[2]) << "wraps to the last";
}

// A picture that cannot be shown is passed over by the next change but never
// becomes current; a cancelled one is tried again.
TEST(WallpaperCollection, AFailedEntryIsSteppedOverWithoutBecomingCurrent) {
    PictureFolder pictures;
    WallpaperCollection c;
    auto p = pictures.fill(c, u"abcd");
    const struct {
        int mode, result;
        std::u16string chosen, current;
    } steps[] = {
        {kChangeNext, 1, p[0], p[0]},     {kChangeNext, 0, p[1], p[0]}, {kChangeNext, 0, p[2], p[0]},
        {kChangeNext, 2, p[3], p[0]},     {kChangeNext, 1, p[3], p[3]}, {kChangePrevious, 0, p[2], p[3]},
        {kChangePrevious, 1, p[1], p[1]}, {kChangeNext, 0, p[2], p[1]}, {kChangeRandom, 0, u"?", p[1]},
        {kChangeNext, 1, p[3], p[3]},
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
        g_applyResult = steps[i].result;
        const std::u16string chosen = pick(c, steps[i].mode);
        EXPECT_EQ(steps[i].chosen == u"?" ? u"?" : chosen, steps[i].chosen) << i;
        EXPECT_EQ(pathOf(c.current) + pathOf(&CurrentWallpaper), steps[i].current + steps[i].current) << i;
    }
    // Removing the passed-over entry, or any other current, forgets it.
    g_applyResult = 0;
    pick(c, kChangeNext);
    c.removeEntry(c.slots[3]);
    EXPECT_EQ(pathOf(c.following(kChangeNext)), p[0]);
    pick(c, kChangeNext);
    c.current = c.slots[0];
    EXPECT_EQ(pathOf(c.following(kChangeNext)), p[1]);
    g_applyResult = 1;
}

TEST(WallpaperCollection, RandomFollowsTheProcessGeneratorAndReachesLargeCollections) {
    // The classic generator: seeded with 1 it yields 41, 18467, 6334 ... so
    // of five entries it picks the 2nd, 3rd and 5th.
    PictureFolder pictures;
    WallpaperCollection c;
    auto p = pictures.fill(c, u"abcde");
    seedRandom(1);
    for (size_t k : {1, 2, 4})
        EXPECT_EQ(pick(c, kChangeRandom), p[k]);
    // Up to 32,768 entries one draw decides, as it always did; beyond, the
    // later entries come too.
    seedRandom(1);
    EXPECT_EQ(randomEntryNumber(32768), 42);
    EXPECT_EQ(randomEntryNumber(32767), 18468);
    int32_t highest = 0;
    for (int i = 0; i < 2000; ++i)
        highest = std::max(highest, randomEntryNumber(100000));
    EXPECT_GT(highest, 90000);
}

TEST(WallpaperCollection, RemovingMovesCurrentToThePredecessor) {
    PictureFolder pictures;
    WallpaperCollection c;
    auto p = pictures.fill(c, u"abd");
    c.current = c.slots[1];
    EXPECT_EQ(pathOf(c.removeEntry(c.slots[1])), p[0]) << "returns the entry before the removed one";
    EXPECT_EQ(pathOf(c.current) + pathOf(c.slots[1]), p[0] + p[2]) << "current moves back, the gap closes";
    EXPECT_EQ(c.removeEntry(c.slots[0]), nullptr);
    EXPECT_EQ(c.current, nullptr) << "the first entry has no predecessor";
}

TEST(WallpaperCollection, CopiesCompareEqualUntilSomethingChanges) {
    PictureFolder pictures;
    WallpaperCollection c;
    pictures.fill(c, u"ab");
    c.current = c.slots[1];
    const WallpaperCollection snapshot(c);
    EXPECT_EQ(snapshot.current, snapshot.slots[1]) << "current is the copy at the same index";
    // A setting, the current entry, the order, and the same entries in a larger array.
    for (int change = 0; change < 4; ++change) {
        WallpaperCollection changed(snapshot);
        if (change == 0)
            changed.slots[0]->style = 1;
        if (change == 1)
            changed.current = changed.slots[0];
        if (change == 2)
            changed.swapEntries(changed.slots[0], changed.slots[1]);
        for (pictures.fill(changed, change == 3 ? u"cdefghijk" : u""); changed.entryCount() > 2;)
            changed.removeEntry(changed.last());
        EXPECT_FALSE(changed.equals(snapshot)) << change;
    }
}

TEST(WallpaperCollection, SortsByFileNameIgnoringCaseFolderAndExtensionEmptySlotsLast) {
    PictureFolder pictures;
    std::filesystem::create_directory(pictures.dir.path() / "z-folder");
    WallpaperCollection c;
    for (const auto& n : {u"pic7.jpg", u"z-folder/a.jpg", u"pic2.bmp", u"B.bmp", u"pic9.jpg", u"pic1.jpg"})
        c.addPath(pictures.add(n).c_str());
    WallpaperEntry* current = c.current = c.slots[5];
    std::swap(c.slots[2], c.slots[8]); // an empty slot in the middle
    c.sortByName();
    std::u16string order;
    for (int i = 0; i < c.slotCount; ++i)
        order += c.slots[i] ? std::u16string(c.slots[i]->path).substr(pictures.dir.file(u"").size()) + u" " : u"- ";
    EXPECT_EQ(order, u"z-folder/a.jpg B.bmp pic1.jpg pic2.bmp pic7.jpg pic9.jpg - - - - ");
    EXPECT_EQ(c.current, current);
}

// Duplicate checks answer as a walk of the slots with the case-insensitive
// comparison does, through adding, removing (one or many), sorting, swapping,
// copying and loading, starting from a damaged file that holds one path twice.
TEST(WallpaperCollection, FindByPathAnswersAsAWalkOfTheSlotsThroughEveryChange) {
    PictureFolder pictures;
    std::vector<std::u16string> names, folded;
    for (int i = 0; i < 40; ++i) { // Czech letters fold too
        names.push_back(pictures.add(u"FOTO-" + std::u16string(1, char16_t(u'A' + i % 26)) + (i < 26 ? u".JPG" : u"Š.JPG")));
        folded.push_back(names.back());
        for (char16_t& ch : folded.back())
            ch = plat::foldCase(ch);
    }
    WallpaperCollection c;
    c.slots = new WallpaperEntry*[3]{new WallpaperEntry(), new WallpaperEntry(), nullptr};
    c.slotCount = 3;
    plat::copyText(c.slots[0]->path, plat::kPathUnits, names[7].c_str());
    plat::copyText(c.slots[1]->path, plat::kPathUnits, names[7].c_str());
    const std::u16string file = pictures.dir.file(u"dvakrat.plk");
    ASSERT_TRUE(c.saveToFile(file.c_str()) && c.loadFromFile(file.c_str()));
    uint32_t seed = 7;
    auto next = [&seed](uint32_t n) { return (seed = seed * 1103515245u + 12345u) / 65536u % n; };
    for (int step = 0; step < 400; ++step) {
        const uint32_t what = next(10), k = next(40);
        if (what < 5)
            c.addPath(names[k].c_str());
        else if (what < 7 && !c.isEmpty() && k % 4)
            c.removeEntry(c.nthEntry(int32_t(k) % c.entryCount() + 1));
        else if (what < 7) // many at once: the paths whose last letter k picks
            c.removeEntries(
                [](const WallpaperEntry& e, void* letter) {
                    const size_t n = plat::textLength(e.path);
                    return n > 5 && e.path[n - 5] == *static_cast<char16_t*>(letter);
                },
                &names[k][names[k].size() - 5]);
        else if (what == 7)
            c.sortByName();
        else if (what == 8 && !c.isEmpty())
            c.swapEntries(c.first(), c.last());
        else if (step % 3 == 0)
            c = WallpaperCollection(c);
        else
            ASSERT_TRUE(c.saveToFile(file.c_str()) && c.loadFromFile(file.c_str()));
        for (const std::u16string& p : folded) {
            WallpaperEntry* walked = nullptr;
            for (int32_t i = c.slotCount - 1; i >= 0; --i)
                walked = c.slots[i] && plat::compareTextNoCase(c.slots[i]->path, p.c_str()) == 0 ? c.slots[i] : walked;
            ASSERT_EQ(c.findByPath(p.c_str()), walked) << step << " " << what;
        }
    }
}
