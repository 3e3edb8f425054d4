#include <gtest/gtest.h>

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
};

struct RecordingApply {
    std::vector<std::u16string> applied;
    int result = 1;
    static int call(const WallpaperEntry& e, void* context) {
        auto* self = static_cast<RecordingApply*>(context);
        self->applied.push_back(e.path);
        return self->result;
    }
};

std::u16string pathOf(const WallpaperEntry* e) { return e ? std::u16string(e->path) : u"<null>"; }

} // namespace

TEST(WallpaperEntry, NewEntryAndSetPathFollowTheirOwnDefaults) {
    PictureFolder pictures;
    WallpaperEntry e;
    EXPECT_EQ(e.fontColour, 0xFFE1FFu);
    EXPECT_EQ(e.fontMode, 1);
    e.style = 2;
    e.fontColour = 0x123456;
    EXPECT_FALSE(e.setPath(pictures.dir.file(u"missing.jpg").c_str()));
    EXPECT_EQ(e.path[0], 0);
    EXPECT_EQ(e.style, 2) << "a failed setPath leaves the settings alone";

    EXPECT_TRUE(e.setPath(pictures.add(u"a.jpg").c_str()));
    EXPECT_EQ(e.style, 0);
    EXPECT_EQ(e.fontColour, 0xFFFFFFu);
}

#ifndef _WIN32 // Windows itself refuses such long paths without the \\?\ prefix
TEST(WallpaperEntry, SetPathCutsLongPathsTo269Units) {
    PictureFolder pictures;
    std::u16string folder = pictures.dir.path().u16string() + u"/";
    std::u16string exact = folder + std::u16string(269 - folder.size(), u'n');
    testing_support::writeText(exact, "picture");
    WallpaperEntry e;
    EXPECT_TRUE(e.setPath((exact + u"-and-more").c_str())) << "the cut path names the existing file";
    EXPECT_EQ(pathOf(&e), exact);
    EXPECT_FALSE(e.setPath((folder + std::u16string(300, u'm')).c_str()));
    EXPECT_EQ(e.path[0], 0);
}
#endif

TEST(WallpaperEntry, CopyKeepsVanishedPathsButAssignRechecksThem) {
    PictureFolder pictures;
    std::u16string p = pictures.add(u"gone.bmp");
    WallpaperEntry source;
    ASSERT_TRUE(source.setPath(p.c_str()));
    source.style = 3;
    source.changeColours = 1;
    source.backgroundColour = 0x00FF8000;
    std::filesystem::remove(std::filesystem::path(p));

    WallpaperEntry copied(source);
    EXPECT_EQ(pathOf(&copied), p);
    EXPECT_TRUE(copied.equals(source));

    WallpaperEntry assigned;
    assigned = source;
    EXPECT_EQ(assigned.path[0], 0) << "the file has gone";
    EXPECT_EQ(assigned.style, 3);
    EXPECT_EQ(assigned.changeColours, 1);
    EXPECT_EQ(assigned.backgroundColour, 0x00FF8000u);
    EXPECT_FALSE(assigned.equals(source));

    WallpaperEntry empty;
    WallpaperEntry fromEmpty(empty);
    EXPECT_EQ(fromEmpty.fontColour, 0xFFE1FFu) << "an empty source leaves the defaults";
}

TEST(WallpaperEntry, EqualityIgnoresThePreviewButNotTheCaseOfThePath) {
    PictureFolder pictures;
    std::u16string p = pictures.add(u"Hory.jpg");
    WallpaperEntry a, b;
    a.setPath(p.c_str());
    b.setPath(p.c_str());
    plat::copyText(b.previewInfo, WallpaperEntry::kPreviewInfoUnits, u"10 x 10, 24 bpp");
    EXPECT_TRUE(a.equals(b));
    b.fontMode = 2;
    EXPECT_FALSE(a.equals(b));
    b.fontMode = a.fontMode;
    std::u16string upper = p;
    upper[upper.size() - 5] = u'Y'; // "HorY.jpg"
    plat::copyText(b.path, plat::kPathUnits, upper.c_str());
    EXPECT_FALSE(a.equals(b));
}

TEST(WallpaperCollection, EmptyCollectionHasNothingToShow) {
    WallpaperCollection c;
    RecordingApply apply;
    EXPECT_EQ(c.first(), nullptr);
    EXPECT_EQ(c.last(), nullptr);
    EXPECT_EQ(c.nextOf(nullptr), nullptr);
    EXPECT_EQ(c.previousOf(nullptr), nullptr);
    EXPECT_EQ(c.entryCount(), 0);
    for (int mode = 0; mode < 3; ++mode)
        EXPECT_EQ(c.pickAndShow(mode, RecordingApply::call, &apply), nullptr);
    EXPECT_TRUE(apply.applied.empty());
}

TEST(WallpaperCollection, AddingFillsSlotsAndGrowsByTen) {
    PictureFolder pictures;
    WallpaperCollection c;
    EXPECT_EQ(c.addPath(u""), AddOutcome::Failed);
    EXPECT_EQ(c.addPath(nullptr), AddOutcome::Failed);
    EXPECT_EQ(c.addPath(pictures.dir.file(u"missing.jpg").c_str()), AddOutcome::Failed);
    EXPECT_EQ(c.entryCount(), 0) << "a failed add may grow the array but adds nothing";
    for (int i = 0; i < 10; ++i)
        ASSERT_EQ(c.addPath(pictures.add(u"p" + std::u16string(1, char16_t(u'a' + i)) + u".jpg").c_str()),
                  AddOutcome::Added);
    EXPECT_EQ(c.slotCount, 10);
    WallpaperEntry* eleventh = nullptr;
    ASSERT_EQ(c.addPath(pictures.add(u"zz.jpg").c_str(), &eleventh), AddOutcome::Added);
    EXPECT_EQ(c.slotCount, 20);
    EXPECT_EQ(c.slots[10], eleventh);
    EXPECT_EQ(c.entryCount(), 11);

    std::u16string shouted = pictures.dir.file(u"ZZ.JPG");
    EXPECT_EQ(c.addPath(shouted.c_str()), AddOutcome::AlreadyPresent);
    EXPECT_EQ(c.findByPath(shouted.c_str()), eleventh);
}

TEST(WallpaperCollection, NavigationWrapsOnlyInPickAndShow) {
    PictureFolder pictures;
    WallpaperCollection c;
    std::u16string a = pictures.add(u"a.jpg"), b = pictures.add(u"b.jpg"), d = pictures.add(u"d.jpg");
    for (auto* p : {&a, &b, &d})
        c.addPath(p->c_str());
    EXPECT_EQ(c.nextOf(c.last()), nullptr);
    EXPECT_EQ(c.previousOf(c.first()), nullptr);

    RecordingApply apply;
    EXPECT_EQ(pathOf(c.pickAndShow(kChangeNext, RecordingApply::call, &apply)), a) << "no current: next is first";
    EXPECT_EQ(pathOf(c.pickAndShow(kChangeNext, RecordingApply::call, &apply)), b);
    EXPECT_EQ(pathOf(c.pickAndShow(kChangeNext, RecordingApply::call, &apply)), d);
    EXPECT_EQ(pathOf(c.pickAndShow(kChangeNext, RecordingApply::call, &apply)), a) << "wraps to the first";
    EXPECT_EQ(pathOf(c.pickAndShow(kChangePrevious, RecordingApply::call, &apply)), d) << "wraps to the last";
    EXPECT_EQ(pathOf(&CurrentWallpaper), d);
    EXPECT_EQ(c.current, c.last());
    EXPECT_EQ(c.pickAndShow(3, RecordingApply::call, &apply), nullptr);
    EXPECT_EQ(c.pickAndShow(-1, RecordingApply::call, &apply), nullptr);

    WallpaperCollection previousFirst;
    previousFirst.addPath(a.c_str());
    previousFirst.addPath(b.c_str());
    EXPECT_EQ(pathOf(previousFirst.pickAndShow(kChangePrevious, RecordingApply::call, &apply)), b)
        << "no current: previous is last";
}

TEST(WallpaperCollection, OneEntryIsEveryChoice) {
    PictureFolder pictures;
    WallpaperCollection c;
    std::u16string only = pictures.add(u"only.bmp");
    c.addPath(only.c_str());
    RecordingApply apply;
    for (int mode : {kChangeNext, kChangePrevious, kChangeRandom, kChangeNext})
        EXPECT_EQ(pathOf(c.pickAndShow(mode, RecordingApply::call, &apply)), only);
}

TEST(WallpaperCollection, FailedApplyKeepsCurrentAndRetriesTheSameEntry) {
    PictureFolder pictures;
    WallpaperCollection c;
    std::u16string a = pictures.add(u"a.jpg"), b = pictures.add(u"b.jpg");
    c.addPath(a.c_str());
    c.addPath(b.c_str());
    RecordingApply apply;
    c.pickAndShow(kChangeNext, RecordingApply::call, &apply);
    WallpaperEntry* before = c.current;
    WallpaperEntry shownBefore(CurrentWallpaper);

    apply.result = 0; // b's file went missing: apply reports failure
    EXPECT_EQ(pathOf(c.pickAndShow(kChangeNext, RecordingApply::call, &apply)), b);
    EXPECT_EQ(c.current, before);
    EXPECT_TRUE(CurrentWallpaper.equals(shownBefore));
    EXPECT_EQ(pathOf(c.pickAndShow(kChangeNext, RecordingApply::call, &apply)), b);
    apply.result = 2; // cancelled counts as not shown too
    EXPECT_EQ(pathOf(c.pickAndShow(kChangeNext, RecordingApply::call, &apply)), b);
    EXPECT_EQ(c.current, before);
}

TEST(WallpaperCollection, RandomChoiceFollowsTheProcessGenerator) {
    // The generator is the classic linear congruential one: seeded with 1 it
    // yields 41, 18467, 6334, 26500, 19169.
    seedRandom(1);
    EXPECT_EQ(nextRandom(), 41);
    EXPECT_EQ(nextRandom(), 18467);
    EXPECT_EQ(nextRandom(), 6334);

    PictureFolder pictures;
    WallpaperCollection c;
    std::vector<std::u16string> paths;
    for (char16_t ch = u'a'; ch <= u'e'; ++ch) {
        paths.push_back(pictures.add(std::u16string(1, ch) + u".jpg"));
        c.addPath(paths.back().c_str());
    }
    RecordingApply apply;
    seedRandom(1);
    // 41 % 5 = 1 → the 2nd entry; 18467 % 5 = 2 → the 3rd; 6334 % 5 = 4 → the 5th.
    EXPECT_EQ(pathOf(c.pickAndShow(kChangeRandom, RecordingApply::call, &apply)), paths[1]);
    EXPECT_EQ(pathOf(c.pickAndShow(kChangeRandom, RecordingApply::call, &apply)), paths[2]);
    EXPECT_EQ(pathOf(c.pickAndShow(kChangeRandom, RecordingApply::call, &apply)), paths[4]);
}

TEST(WallpaperCollection, RemovingMovesCurrentToThePredecessor) {
    PictureFolder pictures;
    WallpaperCollection c;
    std::u16string a = pictures.add(u"a.jpg"), b = pictures.add(u"b.jpg"), d = pictures.add(u"d.jpg");
    for (auto* p : {&a, &b, &d})
        c.addPath(p->c_str());
    WallpaperEntry* ea = c.slots[0];
    WallpaperEntry* eb = c.slots[1];

    c.current = eb;
    EXPECT_EQ(c.removeEntry(eb), ea) << "returns the entry before the removed one";
    EXPECT_EQ(c.current, ea);
    EXPECT_EQ(pathOf(c.slots[1]), d) << "the gap closes";
    EXPECT_EQ(c.slots[9], nullptr);
    EXPECT_EQ(c.slotCount, 10) << "removing never shrinks";

    EXPECT_EQ(c.removeEntry(ea), nullptr);
    EXPECT_EQ(c.current, nullptr) << "the first entry has no predecessor";
    EXPECT_EQ(c.removeEntry(nullptr), nullptr);
    WallpaperEntry stranger;
    EXPECT_EQ(c.removeEntry(&stranger), nullptr);
    EXPECT_EQ(c.entryCount(), 1);
}

TEST(WallpaperCollection, CopiesCompareEqualUntilSomethingChanges) {
    PictureFolder pictures;
    WallpaperCollection c;
    std::u16string a = pictures.add(u"a.jpg"), b = pictures.add(u"b.jpg");
    c.addPath(a.c_str());
    c.addPath(b.c_str());
    c.current = c.slots[1];

    WallpaperCollection snapshot(c);
    EXPECT_TRUE(snapshot.equals(c));
    EXPECT_EQ(snapshot.slotCount, c.slotCount);
    ASSERT_NE(snapshot.current, nullptr);
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
    WallpaperCollection grown;
    for (int i = 0; i < 11; ++i)
        grown.addPath(pictures.add(u"g" + std::u16string(1, char16_t(u'a' + i)) + u".jpg").c_str());
    for (int i = 10; i >= 2; --i)
        grown.removeEntry(grown.slots[i]);
    WallpaperCollection small;
    small.addPath(grown.slots[0]->path);
    small.addPath(grown.slots[1]->path);
    EXPECT_NE(small.slotCount, grown.slotCount);
    EXPECT_FALSE(small.equals(grown));

    WallpaperCollection& alias = snapshot;
    snapshot = alias; // self-assignment changes nothing
    EXPECT_EQ(snapshot.entryCount(), 2);
    WallpaperCollection empty;
    snapshot = empty;
    EXPECT_TRUE(snapshot.isEmpty());
    EXPECT_EQ(snapshot.current, nullptr);
}

TEST(WallpaperCollection, SortsByFileNameIgnoringCaseFolderAndExtension) {
    PictureFolder pictures;
    std::filesystem::create_directory(pictures.dir.path() / "z-folder");
    WallpaperCollection c;
    std::u16string b = pictures.add(u"B.bmp");
    std::u16string a = pictures.add(u"z-folder/a.jpg");
    std::u16string cc = pictures.add(u"c.jpeg");
    for (auto* p : {&cc, &b, &a})
        c.addPath(p->c_str());
    WallpaperEntry* current = c.slots[0];
    c.current = current;
    c.sortByName();
    EXPECT_EQ(pathOf(c.slots[0]), a);
    EXPECT_EQ(pathOf(c.slots[1]), b);
    EXPECT_EQ(pathOf(c.slots[2]), cc);
    for (int i = 3; i < c.slotCount; ++i)
        EXPECT_EQ(c.slots[i], nullptr) << "empty slots stay last";
    EXPECT_EQ(c.current, current);
}

TEST(WallpaperCollection, SortHandlesManyEntriesAndEmptySlotsInBetween) {
    PictureFolder pictures;
    WallpaperCollection c;
    for (int i = 0; i < 57; ++i) {
        int k = (i * 37) % 57;
        std::string name = "pic" + std::to_string(100 + k) + ".jpg";
        c.addPath(pictures.add(std::u16string(name.begin(), name.end())).c_str());
    }
    // Break the prefix on purpose: the sort must still put empties last.
    std::swap(c.slots[3], c.slots[c.slotCount - 1]);
    c.sortByName();
    for (int i = 0; i < 57; ++i) {
        char16_t name[plat::kPathUnits];
        plat::fileNamePart(name, plat::kPathUnits, c.slots[i]->path);
        std::string expected = "pic" + std::to_string(100 + i);
        EXPECT_EQ(std::u16string(name), std::u16string(expected.begin(), expected.end()));
    }
    for (int i = 57; i < c.slotCount; ++i)
        EXPECT_EQ(c.slots[i], nullptr);
}
