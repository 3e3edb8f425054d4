#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

#include "collection/wallpaper_collection.h"
#include "test_support.h"

using testing_support::MessageBoxRecorder;
using testing_support::readAll;
using testing_support::TempDir;
using testing_support::writeAll;

namespace {

const char16_t kBadFormat[] = u"Špatný formát souboru, nemohu rozluštit jeho formát.";

void put32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
    for (int i = 0; i < 4; ++i)
        v[at + i] = static_cast<uint8_t>(x >> (8 * i));
}

std::vector<uint8_t> le32(int32_t x) {
    std::vector<uint8_t> v(4);
    put32(v, 0, static_cast<uint32_t>(x));
    return v;
}

// A record as the program writes it, for a path of plain ASCII.
std::vector<uint8_t> record(const std::u16string& path, int32_t style = 1) {
    std::vector<uint8_t> r(2 * path.size() + 132, 0);
    r[0] = 0x35;
    r[1] = 0x12;
    put32(r, 2, static_cast<uint32_t>(path.size()));
    put32(r, 6, static_cast<uint32_t>(style));
    put32(r, 10, 2);
    put32(r, 14, 1);
    put32(r, 18, 0x00336699);
    put32(r, 22, 0x00FFFFFF);
    r[26] = 0xFF;
    r[27] = 0xFE;
    for (size_t i = 0; i < path.size(); ++i) {
        r[28 + 2 * i] = static_cast<uint8_t>(path[i]);
        r[29 + 2 * i] = static_cast<uint8_t>(path[i] >> 8);
    }
    return r;
}

std::vector<uint8_t> fileOf(const std::vector<std::vector<uint8_t>>& records, int currentIndex = -1,
                            int32_t count = -1) {
    std::vector<uint8_t> f = {0x35, 0x12};
    auto n = le32(count >= 0 ? count : static_cast<int32_t>(records.size()));
    f.insert(f.end(), n.begin(), n.end());
    for (size_t i = 0; i < records.size(); ++i) {
        auto l = le32(static_cast<int32_t>(records[i].size()));
        f.insert(f.end(), l.begin(), l.end());
        f.push_back(static_cast<int>(i) == currentIndex ? 1 : 0);
        f.insert(f.end(), records[i].begin(), records[i].end());
    }
    return f;
}

struct CollectionFiles : ::testing::Test {
    TempDir dir;
    std::u16string picture(const std::u16string& name) {
        std::u16string p = dir.file(name);
        testing_support::writeText(p, "picture");
        return p;
    }
    std::u16string plk(const std::vector<uint8_t>& bytes) {
        std::u16string p = dir.file(u"test.plk");
        writeAll(p, bytes);
        return p;
    }
    bool noTemporaryFilesLeft() const {
        for (auto& item : std::filesystem::directory_iterator(dir.path()))
            if (item.path().u16string().find(u".~tmp") != std::u16string::npos)
                return false;
        return true;
    }
};

} // namespace

TEST_F(CollectionFiles, EmptyCollectionIsSixBytes) {
    WallpaperCollection c;
    std::u16string p = dir.file(u"empty.plk");
    ASSERT_TRUE(c.saveToFile(p.c_str()));
    EXPECT_EQ(readAll(p), (std::vector<uint8_t>{0x35, 0x12, 0, 0, 0, 0}));
    WallpaperCollection loaded;
    EXPECT_TRUE(loaded.loadFromFile(p.c_str()));
    EXPECT_TRUE(loaded.isEmpty());
    EXPECT_EQ(loaded.slotCount, 0);
}

TEST_F(CollectionFiles, OneEntryWithAnEightUnitPathIs159Bytes) {
    // Paths in the temporary folder are long, so the entry is made from its
    // record, which also shows that the writer gives back the same bytes.
    auto written = record(u"C:\\a.jpg");
    WallpaperCollection c;
    c.slots = new WallpaperEntry*[10]();
    c.slotCount = 10;
    c.slots[0] = new WallpaperEntry();
    ASSERT_TRUE(c.slots[0]->parse(written.data(), static_cast<int32_t>(written.size())));
    c.current = c.slots[0];
    std::u16string p = dir.file(u"one.plk");
    ASSERT_TRUE(c.saveToFile(p.c_str()));
    std::vector<uint8_t> bytes = readAll(p);
    ASSERT_EQ(bytes.size(), 159u);
    EXPECT_EQ(bytes, fileOf({written}, 0)) << "record of 148 bytes, current flag 1";

    WallpaperCollection loaded;
    ASSERT_TRUE(loaded.loadFromFile(p.c_str()));
    EXPECT_EQ(loaded.slotCount, 2) << "one spare slot";
    ASSERT_NE(loaded.current, nullptr);
    EXPECT_TRUE(loaded.current->equals(*c.slots[0]));
}

TEST_F(CollectionFiles, RoundTripKeepsOrderSettingsCurrentAndCzechPaths) {
    WallpaperCollection c;
    std::vector<std::u16string> paths = {picture(u"Žluťoučký kůň.jpg"), picture(u"Hory a údolí.bmp"),
                                         picture(u"čtvrtý.jpeg")};
    for (auto& p : paths)
        ASSERT_EQ(c.addPath(p.c_str()), AddOutcome::Added);
    c.slots[1]->style = 3;
    c.slots[1]->fontColour = 0x0000FF00;
    c.slots[2]->changeColours = 1;
    c.current = c.slots[1];
    std::u16string p = dir.file(u"Kolekce – léto.plk");
    ASSERT_TRUE(c.saveToFile(p.c_str()));
    EXPECT_TRUE(noTemporaryFilesLeft());

    WallpaperCollection loaded;
    ASSERT_TRUE(loaded.loadFromFile(p.c_str()));
    EXPECT_EQ(loaded.slotCount, 4);
    EXPECT_EQ(loaded.entryCount(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(loaded.slots[i]->equals(*c.slots[i])) << i;
    EXPECT_EQ(loaded.current, loaded.slots[1]);
}

TEST_F(CollectionFiles, LoadingAMissingFileLeavesTheCollectionAlone) {
    WallpaperCollection c;
    c.addPath(picture(u"keep.jpg").c_str());
    EXPECT_FALSE(c.loadFromFile(dir.file(u"nothing-here.plk").c_str()));
    EXPECT_EQ(c.entryCount(), 1);
    EXPECT_FALSE(c.loadFromFile(dir.file(u"").c_str())) << "a folder is not a collection";
    EXPECT_EQ(c.entryCount(), 1);
    EXPECT_FALSE(c.loadFromFile(plk({0x35}).c_str())) << "too short to hold a magic";
    EXPECT_EQ(c.entryCount(), 1);
}

TEST_F(CollectionFiles, WrongMagicsAreReportedToTheUser) {
    MessageBoxRecorder boxes;
    WallpaperCollection c;
    c.addPath(picture(u"keep.jpg").c_str());
    EXPECT_FALSE(c.loadFromFile(plk({'P', 'K', 3, 4, 0, 0}).c_str()));
    EXPECT_TRUE(c.isEmpty()) << "the collection was cleared before the magic was checked";
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, kBadFormat);
    EXPECT_EQ(boxes.boxes()[0].caption, u"Plochar 2.12");
    EXPECT_EQ(boxes.boxes()[0].flags, plat::kMbIconWarning);

    boxes.clear();
    auto bad = record(u"C:\\x.jpg");
    bad[0] = 0x34;
    EXPECT_FALSE(c.loadFromFile(plk(fileOf({record(u"C:\\ok.jpg"), bad})).c_str()));
    EXPECT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(c.entryCount(), 2) << "the bad entry stays in its slot";
    EXPECT_EQ(c.slots[1]->path[0], 0);
    EXPECT_EQ(c.slots[1]->style, 0) << "a bad record gives the reset settings";

    boxes.clear();
    std::vector<uint8_t> shortRecord(29, 0);
    shortRecord[0] = 0x35;
    shortRecord[1] = 0x12;
    EXPECT_FALSE(c.loadFromFile(plk(fileOf({shortRecord})).c_str()));
    EXPECT_TRUE(boxes.boxes().empty()) << "a short record fails silently";
}

TEST_F(CollectionFiles, ATruncatedFileKeepsTheEntriesReadSoFar) {
    auto bytes = fileOf({record(u"C:\\1.jpg"), record(u"C:\\2.jpg"), record(u"C:\\3.jpg")}, 1);
    bytes[10] = 1; // the first entry is flagged too: the later flag wins
    bytes.resize(bytes.size() - 40);
    WallpaperCollection c;
    EXPECT_FALSE(c.loadFromFile(plk(bytes).c_str()));
    EXPECT_EQ(c.entryCount(), 2);
    EXPECT_EQ(c.slotCount, 4);
    EXPECT_EQ(std::u16string(c.slots[1]->path), u"C:\\2.jpg");
    EXPECT_EQ(c.current, c.slots[1]);
}

TEST_F(CollectionFiles, DamagedCountsAndLengthsFailWithoutAllocating) {
    WallpaperCollection c;
    // A count far beyond what six bytes can hold: damage, not an empty success.
    EXPECT_FALSE(c.loadFromFile(plk(fileOf({}, -1, 0x7FFFFFFF)).c_str()));
    EXPECT_TRUE(c.isEmpty());
    EXPECT_EQ(c.slotCount, 0);
    EXPECT_FALSE(c.loadFromFile(plk(fileOf({record(u"C:\\1.jpg")}, -1, 2)).c_str()));
    EXPECT_EQ(c.entryCount(), 1);

    auto negativeLength = fileOf({record(u"C:\\1.jpg")});
    put32(negativeLength, 6, 0xFFFFFFF0u);
    EXPECT_FALSE(c.loadFromFile(plk(negativeLength).c_str()));
    EXPECT_EQ(c.entryCount(), 0);

    auto hugeLength = fileOf({record(u"C:\\1.jpg")});
    put32(hugeLength, 6, 0x7FFFFFF0u);
    EXPECT_FALSE(c.loadFromFile(plk(hugeLength).c_str()));

    // Only a file that ends after a zero count is empty; a negative count, or
    // a zero one with entries behind it, is damage the next save must not wipe.
    const auto three = fileOf({record(u"C:\\1.jpg"), record(u"C:\\2.jpg"), record(u"C:\\3.jpg")});
    for (uint32_t count : {0u, 0xFFFFFFFFu, 0x80000000u}) {
        auto damaged = three;
        put32(damaged, 2, count);
        EXPECT_FALSE(c.loadFromFile(plk(damaged).c_str())) << count;
        damaged.resize(6);
        EXPECT_EQ(c.loadFromFile(plk(damaged).c_str()), count == 0) << count;
        EXPECT_TRUE(c.isEmpty());
    }
}

TEST(EntryRecord, ParseNeverReadsBeyondTheRecord) {
    // Exact-size heap copies, so that the sanitizers see any read past the end.
    auto parseExact = [](const std::vector<uint8_t>& r, WallpaperEntry& e) {
        std::unique_ptr<uint8_t[]> copy(new uint8_t[r.size()]);
        std::memcpy(copy.get(), r.data(), r.size());
        return e.parse(copy.get(), static_cast<int32_t>(r.size()));
    };
    WallpaperEntry e;
    // No terminator anywhere: the path ends with the record.
    std::vector<uint8_t> unterminated = record(u"C:\\abc");
    unterminated.resize(28 + 2 * 6 + 2);
    for (size_t i = 28; i < unterminated.size(); i += 2) {
        unterminated[i] = 'q';
        unterminated[i + 1] = 0;
    }
    put32(unterminated, 2, 6);
    EXPECT_TRUE(parseExact(unterminated, e));
    EXPECT_EQ(std::u16string(e.path), u"qqqqqqq");

    // An 8-bit record without its NUL.
    std::vector<uint8_t> ansi(34, 'z');
    ansi[0] = 0x35;
    ansi[1] = 0x12;
    put32(ansi, 2, 3);
    ansi[26] = 0;
    ansi[27] = 0;
    EXPECT_TRUE(parseExact(ansi, e));
    EXPECT_EQ(std::u16string(e.path), u"zzzzzz");

    // n larger than the record, or negative: rejected, settings still taken.
    std::vector<uint8_t> lying = record(u"C:\\abc", 2);
    put32(lying, 2, 1000);
    EXPECT_FALSE(parseExact(lying, e));
    EXPECT_EQ(e.style, 2);
    EXPECT_EQ(e.path[0], 0);
    put32(lying, 2, 0xFFFFFFFFu);
    EXPECT_FALSE(parseExact(lying, e));
    put32(lying, 2, 0x80000000u);
    EXPECT_FALSE(parseExact(lying, e));

    EXPECT_FALSE(e.parse(nullptr, 200));
    uint8_t one = 0x35;
    EXPECT_FALSE(e.parse(&one, 1));
}

TEST(EntryRecord, LongPathsAreCutTo268Units) {
    std::u16string longPath(300, u'k');
    WallpaperEntry e;
    ASSERT_TRUE(e.parse(record(longPath).data(), static_cast<int32_t>(record(longPath).size())));
    EXPECT_EQ(plat::textLength(e.path), 268u);
}

#ifndef _WIN32
TEST(EntryRecord, EightBitRecordsAreReadAsWindows1250) {
    // "C:\Obrázky\šťastný.jpg" in Windows-1250.
    const char ansi[] = "C:\\Obr\xE1zky\\\x9A\x9D" "astn\xFD.jpg";
    std::vector<uint8_t> r(30 + sizeof ansi, 0);
    r[0] = 0x35;
    r[1] = 0x12;
    put32(r, 2, static_cast<uint32_t>(sizeof ansi - 1));
    r[26] = 0x20; // any marker other than FEFF means 8-bit text
    std::memcpy(r.data() + 28, ansi, sizeof ansi);
    WallpaperEntry e;
    ASSERT_TRUE(e.parse(r.data(), static_cast<int32_t>(r.size())));
    EXPECT_EQ(std::u16string(e.path), u"C:\\Obrázky\\šťastný.jpg");
}

// A failed write must leave the previous file exactly as it was. The file
// size limit makes the kernel refuse writes past a few bytes, a real write
// failure in the middle of a save.
TEST_F(CollectionFiles, AFailedWriteKeepsThePreviousFileIntact) {
    WallpaperCollection c;
    for (int i = 0; i < 5; ++i)
        c.addPath(picture(u"picture" + std::u16string(1, char16_t(u'0' + i)) + u".jpg").c_str());
    std::u16string p = dir.file(u"precious.plk");
    ASSERT_TRUE(c.saveToFile(p.c_str()));
    const std::vector<uint8_t> before = readAll(p);

    c.addPath(picture(u"one-more.jpg").c_str());
    struct rlimit old;
    getrlimit(RLIMIT_FSIZE, &old);
    struct rlimit tiny = old;
    tiny.rlim_cur = 100;
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    bool saved = c.saveToFile(p.c_str());
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved);
    EXPECT_EQ(readAll(p), before);
    EXPECT_TRUE(noTemporaryFilesLeft());
}
#endif

TEST_F(CollectionFiles, AFailedReplaceKeepsTheOldTargetAndNoTemporaryFile) {
    WallpaperCollection c;
    c.addPath(picture(u"a.jpg").c_str());
    // A folder in the way of the file name: the final move must fail.
    std::filesystem::create_directory(dir.path() / "blocked.plk");
    std::filesystem::create_directory(dir.path() / "blocked.plk" / "inside");
    EXPECT_FALSE(c.saveToFile(dir.file(u"blocked.plk").c_str()));
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "blocked.plk" / "inside"));
    EXPECT_TRUE(noTemporaryFilesLeft());
    // A folder that does not exist: nothing can be created, nothing is touched.
    EXPECT_FALSE(c.saveToFile(dir.file(u"no-such-folder/x.plk").c_str()));
    EXPECT_FALSE(c.saveToFile(u""));
}
