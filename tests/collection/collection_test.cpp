#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "collection/random.h"
#include "collection/wallpaper_collection.h"
#include "test_support.h"

using testing_support::TempDir;

namespace {

// A folder of real picture files (the collection only needs them to exist).
struct PictureFolder {
    TempDir dir;
    std::u16string add(const std::u16string& name) {
        std::u16string p = dir.file(name);
        testing_support::writeText(p, "picture");
        return p;
    }
    // A collection of pictures named by the letters of `names`.
    std::vector<std::u16string> fill(WallpaperCollection& c, const std::u16string& names) {
        std::vector<std::u16string> paths;
        for (char16_t ch : names) {
            paths.push_back(add(std::u16string(1, ch) + u".jpg"));
            EXPECT_EQ(c.addPath(paths.back().c_str()), AddOutcome::Added);
        }
        return paths;
    }
};

struct RecordingApply {
    int result = 1;
    static int call(const WallpaperEntry&, void* context) { return static_cast<RecordingApply*>(context)->result; }
};

std::u16string pathOf(const WallpaperEntry* e) { return e ? std::u16string(e->path) : u"<null>"; }

} // namespace

TEST(WallpaperEntry, SetPathChecksTheFileAndResetsSettingsOnlyOnSuccess) {
    PictureFolder pictures;
    WallpaperEntry e;
    EXPECT_EQ(e.fontColour, 0xFFE1FFu) << "a new entry's label colour";
    e.style = 2;
    EXPECT_FALSE(e.setPath(pictures.dir.file(u"missing.jpg").c_str()));
    EXPECT_EQ(e.path[0], 0);
    EXPECT_EQ(e.style, 2) << "a failed setPath leaves the settings alone";
    EXPECT_TRUE(e.setPath(pictures.add(u"a.jpg").c_str()));
    EXPECT_EQ(e.style, 0);
    EXPECT_EQ(e.fontColour, 0xFFFFFFu);
#ifndef _WIN32 // Windows itself refuses such long paths without the \\?\ prefix
    std::u16string folder = pictures.dir.path().u16string() + u"/";
    std::u16string exact = pictures.add(std::u16string(269 - folder.size(), u'n'));
    EXPECT_TRUE(e.setPath((exact + u"-and-more").c_str())) << "the path cut to 269 units names the file";
    EXPECT_EQ(pathOf(&e), exact);
#endif
}

TEST(WallpaperEntry, CopyKeepsVanishedPathsButAssignRechecksThem) {
    PictureFolder pictures;
    std::u16string p = pictures.add(u"Hory.bmp");
    WallpaperEntry source;
    ASSERT_TRUE(source.setPath(p.c_str()));
    source.style = 3;
    source.backgroundColour = 0x00FF8000;
    plat::copyText(source.previewInfo, WallpaperEntry::kPreviewInfoUnits, u"10 x 10, 24 bpp");
    WallpaperEntry copied(source);
    EXPECT_TRUE(copied.equals(source)) << "the preview does not count";
    EXPECT_EQ(copied.previewInfo[0], 0) << "and is never copied";
    plat::copyText(copied.path, plat::kPathUnits, (p.substr(0, p.size() - 4) + u".BMP").c_str());
    EXPECT_FALSE(copied.equals(source)) << "paths compare case-sensitively";

    std::filesystem::remove(std::filesystem::path(p));
    WallpaperEntry verbatim(source);
    EXPECT_EQ(pathOf(&verbatim), p);
    WallpaperEntry assigned;
    assigned = source;
    EXPECT_EQ(assigned.path[0], 0) << "the file has gone";
    EXPECT_EQ(assigned.style, 3);
    EXPECT_EQ(assigned.backgroundColour, 0x00FF8000u);
}

TEST(WallpaperCollection, EmptyAndSingleEntryCollections) {
    WallpaperCollection c;
    RecordingApply apply;
    EXPECT_EQ(c.first(), nullptr);
    EXPECT_EQ(c.last(), nullptr);
    EXPECT_EQ(c.nextOf(nullptr), nullptr);
    EXPECT_EQ(c.previousOf(nullptr), nullptr);
    for (int mode = 0; mode < 3; ++mode)
        EXPECT_EQ(c.pickAndShow(mode, RecordingApply::call, &apply), nullptr);

    PictureFolder pictures;
    std::u16string only = pictures.fill(c, u"o")[0];
    for (int mode : {kChangeNext, kChangePrevious, kChangeRandom, kChangeNext})
        EXPECT_EQ(pathOf(c.pickAndShow(mode, RecordingApply::call, &apply)), only);
    EXPECT_EQ(c.pickAndShow(3, RecordingApply::call, &apply), nullptr);
    EXPECT_EQ(c.pickAndShow(-1, RecordingApply::call, &apply), nullptr);
}

TEST(WallpaperCollection, AddingFillsSlotsAndGrowsByTen) {
    PictureFolder pictures;
    WallpaperCollection c;
    EXPECT_EQ(c.addPath(u""), AddOutcome::Failed);
    EXPECT_EQ(c.addPath(pictures.dir.file(u"missing.jpg").c_str()), AddOutcome::Failed);
    EXPECT_EQ(c.entryCount(), 0);
    pictures.fill(c, u"abcdefghij");
    EXPECT_EQ(c.slotCount, 10);
    WallpaperEntry* eleventh = nullptr;
    ASSERT_EQ(c.addPath(pictures.add(u"zz.jpg").c_str(), &eleventh), AddOutcome::Added);
    EXPECT_EQ(c.slotCount, 20);
    EXPECT_EQ(c.slots[10], eleventh);
    std::u16string shouted = pictures.dir.file(u"ZZ.JPG");
    EXPECT_EQ(c.addPath(shouted.c_str()), AddOutcome::AlreadyPresent);
    EXPECT_EQ(c.findByPath(shouted.c_str()), eleventh);
}

TEST(WallpaperCollection, NextAndPreviousWrapAroundInPickAndShow) {
    PictureFolder pictures;
    WallpaperCollection c;
    auto p = pictures.fill(c, u"abd");
    EXPECT_EQ(c.nextOf(c.last()), nullptr) << "no wrap-around below pickAndShow";
    EXPECT_EQ(c.previousOf(c.first()), nullptr);
    RecordingApply apply;
    WallpaperCollection copy(c);
    EXPECT_EQ(pathOf(copy.pickAndShow(kChangePrevious, RecordingApply::call, &apply)), p[2])
        << "no current: previous is the last";
    const std::u16string expected[] = {p[0], p[1], p[2], p[0]};
    for (const auto& e : expected)
        EXPECT_EQ(pathOf(c.pickAndShow(kChangeNext, RecordingApply::call, &apply)), e);
    EXPECT_EQ(pathOf(c.pickAndShow(kChangePrevious, RecordingApply::call, &apply)), p[2]) << "wraps to the last";
    EXPECT_EQ(pathOf(&CurrentWallpaper), p[2]);
    EXPECT_EQ(c.current, c.last());
}

// A picture that cannot be shown is passed over by the next change but never
// becomes current; a cancelled one is tried again.
TEST(WallpaperCollection, AFailedEntryIsSteppedOverWithoutBecomingCurrent) {
    PictureFolder pictures;
    WallpaperCollection c;
    auto p = pictures.fill(c, u"abcd");
    struct Step {
        int mode, result;
        std::u16string chosen, current;
    } steps[] = {
        {kChangeNext, 1, p[0], p[0]},     {kChangeNext, 0, p[1], p[0]}, {kChangeNext, 0, p[2], p[0]},
        {kChangeNext, 2, p[3], p[0]},     {kChangeNext, 1, p[3], p[3]}, {kChangePrevious, 0, p[2], p[3]},
        {kChangePrevious, 1, p[1], p[1]}, {kChangeNext, 0, p[2], p[1]}, {kChangeRandom, 0, u"?", p[1]},
        {kChangeNext, 1, p[3], p[3]},
    };
    RecordingApply apply;
    for (size_t i = 0; i < std::size(steps); ++i) {
        apply.result = steps[i].result;
        WallpaperEntry* chosen = c.pickAndShow(steps[i].mode, RecordingApply::call, &apply);
        if (steps[i].chosen != u"?") {
            EXPECT_EQ(pathOf(chosen), steps[i].chosen) << i;
        }
        EXPECT_EQ(pathOf(c.current), steps[i].current) << i;
        EXPECT_EQ(pathOf(&CurrentWallpaper), steps[i].current) << i;
    }
    // Removing the passed-over entry, or any other current, forgets it.
    apply.result = 0;
    c.pickAndShow(kChangeNext, RecordingApply::call, &apply);
    c.removeEntry(c.slots[3]);
    EXPECT_EQ(pathOf(c.following(kChangeNext)), p[0]);
    c.pickAndShow(kChangeNext, RecordingApply::call, &apply);
    c.current = c.slots[0];
    EXPECT_EQ(pathOf(c.following(kChangeNext)), p[1]);
}

TEST(WallpaperCollection, RandomReachesEveryEntryOfLargeCollections) {
    // Up to 32,768 entries one draw decides, exactly as it always did.
    seedRandom(7);
    std::vector<int32_t> draws;
    for (int i = 0; i < 50; ++i)
        draws.push_back(nextRandom());
    seedRandom(7);
    for (int i = 0; i < 50; ++i)
        ASSERT_EQ(randomEntryNumber(i % 2 ? 32768 : 5), draws[static_cast<size_t>(i)] % (i % 2 ? 32768 : 5) + 1);
    int32_t highest = 0, lowest = 100000;
    for (int i = 0; i < 2000; ++i) {
        const int32_t k = randomEntryNumber(100000);
        highest = std::max(highest, k);
        lowest = std::min(lowest, k);
    }
    EXPECT_GT(highest, 90000);
    EXPECT_LT(lowest, 100);
    EXPECT_EQ(randomEntryNumber(0), 0);
}

TEST(WallpaperCollection, RandomChoiceFollowsTheProcessGenerator) {
    // The classic linear congruential generator: seeded with 1 it yields
    // 41, 18467, 6334 ... so of five entries it picks the 2nd, 3rd and 5th.
    PictureFolder pictures;
    WallpaperCollection c;
    auto p = pictures.fill(c, u"abcde");
    RecordingApply apply;
    seedRandom(1);
    for (int k : {1, 2, 4})
        EXPECT_EQ(pathOf(c.pickAndShow(kChangeRandom, RecordingApply::call, &apply)), p[k]);
    seedRandom(1);
    EXPECT_EQ(nextRandom(), 41);
}

TEST(WallpaperCollection, RemovingMovesCurrentToThePredecessor) {
    PictureFolder pictures;
    WallpaperCollection c;
    auto p = pictures.fill(c, u"abd");
    WallpaperEntry* a = c.slots[0];
    c.current = c.slots[1];
    EXPECT_EQ(c.removeEntry(c.slots[1]), a) << "returns the entry before the removed one";
    EXPECT_EQ(c.current, a);
    EXPECT_EQ(pathOf(c.slots[1]), p[2]) << "the gap closes";
    EXPECT_EQ(c.slotCount, 10) << "removing never shrinks";
    EXPECT_EQ(c.removeEntry(a), nullptr);
    EXPECT_EQ(c.current, nullptr) << "the first entry has no predecessor";
    WallpaperEntry stranger;
    EXPECT_EQ(c.removeEntry(&stranger), nullptr);
    EXPECT_EQ(c.entryCount(), 1);
}

TEST(WallpaperCollection, CopiesCompareEqualUntilSomethingChanges) {
    PictureFolder pictures;
    WallpaperCollection c;
    pictures.fill(c, u"ab");
    c.current = c.slots[1];
    WallpaperCollection snapshot(c);
    EXPECT_TRUE(snapshot.equals(c));
    EXPECT_EQ(snapshot.current, snapshot.slots[1]) << "current is the copy at the same index";
    EXPECT_NE(snapshot.slots[0], c.slots[0]) << "entries are deep copies";

    c.slots[0]->style = 1;
    EXPECT_FALSE(snapshot.equals(c));
    c.slots[0]->style = 0;
    c.current = c.slots[0];
    EXPECT_FALSE(snapshot.equals(c));
    c.current = c.slots[1];
    c.swapEntries(c.slots[0], c.slots[1]);
    EXPECT_FALSE(snapshot.equals(c));
    c.swapEntries(c.slots[0], c.slots[1]);
    EXPECT_TRUE(snapshot.equals(c));

    // The same entries in a larger array are a different collection.
    pictures.fill(c, u"cdefghijk");
    for (int i = 10; i >= 2; --i)
        c.removeEntry(c.slots[i]);
    EXPECT_EQ(c.entryCount(), 2);
    EXPECT_FALSE(snapshot.equals(c));

    WallpaperCollection& alias = snapshot;
    snapshot = alias; // self-assignment changes nothing
    EXPECT_EQ(snapshot.entryCount(), 2);
    snapshot = WallpaperCollection();
    EXPECT_TRUE(snapshot.isEmpty());
    EXPECT_EQ(snapshot.current, nullptr);
}

TEST(WallpaperCollection, SortsByFileNameIgnoringCaseFolderAndExtensionEmptySlotsLast) {
    PictureFolder pictures;
    std::filesystem::create_directory(pictures.dir.path() / "z-folder");
    WallpaperCollection c;
    for (int i = 0; i < 40; ++i) {
        std::string name = "pic" + std::to_string(100 + (i * 37) % 40) + ".jpg";
        c.addPath(pictures.add(std::u16string(name.begin(), name.end())).c_str());
    }
    std::u16string a = pictures.add(u"z-folder/a.jpg"), b = pictures.add(u"B.bmp");
    c.addPath(b.c_str());
    c.addPath(a.c_str());
    WallpaperEntry* current = c.slots[5];
    c.current = current;
    std::swap(c.slots[3], c.slots[c.slotCount - 1]); // an empty slot in the middle
    c.sortByName();
    EXPECT_EQ(pathOf(c.slots[0]), a);
    EXPECT_EQ(pathOf(c.slots[1]), b);
    for (int i = 0; i < 40; ++i) {
        char16_t name[plat::kPathUnits];
        plat::fileNamePart(name, plat::kPathUnits, c.slots[i + 2]->path);
        std::string expected = "pic" + std::to_string(100 + i);
        EXPECT_EQ(std::u16string(name), std::u16string(expected.begin(), expected.end()));
    }
    for (int i = 42; i < c.slotCount; ++i)
        EXPECT_EQ(c.slots[i], nullptr);
    EXPECT_EQ(c.current, current);
}
