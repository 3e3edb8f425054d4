// The collection file. (Reads past a record's end are the fuzz corpus's.)
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

#include "collection/wallpaper_collection.h"
#include "test_support.h"

using testing_support::readAll;

namespace {

void put32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
    for (int i = 0; i < 4; ++i)
        v.at(at + i) = static_cast<uint8_t>(x >> (8 * i));
}

// A record as the program writes it, for a path of plain ASCII.
std::vector<uint8_t> record(const std::u16string& path) {
    std::vector<uint8_t> r(2 * path.size() + 132, 0);
    r[0] = 0x35;
    r[1] = 0x12;
    put32(r, 2, static_cast<uint32_t>(path.size()));
    put32(r, 6, 1);
    put32(r, 18, 0x00336699);
    r[26] = 0xFF;
    r[27] = 0xFE;
    for (size_t i = 0; i < path.size(); ++i)
        r[28 + 2 * i] = static_cast<uint8_t>(path[i]);
    return r;
}

std::vector<uint8_t> fileOf(const std::vector<std::vector<uint8_t>>& records, int currentIndex = -1) {
    std::vector<uint8_t> f = {0x35, 0x12, 0, 0, 0, 0};
    put32(f, 2, static_cast<uint32_t>(records.size()));
    for (size_t i = 0; i < records.size(); ++i) {
        std::vector<uint8_t> block(5, static_cast<int>(i) == currentIndex ? 1 : 0);
        put32(block, 0, static_cast<uint32_t>(records[i].size()));
        f.insert(f.end(), block.begin(), block.end());
        f.insert(f.end(), records[i].begin(), records[i].end());
    }
    return f;
}

struct CollectionFiles : ::testing::Test {
    testing_support::TempDir dir;
    std::u16string picture(const std::u16string& name) {
        testing_support::writeText(dir.file(name), "picture");
        return dir.file(name);
    }
    std::u16string plk(const std::vector<uint8_t>& bytes) {
        testing_support::writeAll(dir.file(u"test.plk"), bytes);
        return dir.file(u"test.plk");
    }
    size_t files() const { return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir.path()), {})); }
};

} // namespace

TEST_F(CollectionFiles, TheWrittenBytesAndTheirRoundTrip) {
    WallpaperCollection c;
    std::u16string p = dir.file(u"Kolekce – léto.plk");
    ASSERT_TRUE(c.saveToFile(p.c_str()));
    EXPECT_EQ(readAll(p), (std::vector<uint8_t>{0x35, 0x12, 0, 0, 0, 0}));
    EXPECT_TRUE(c.loadFromFile(p.c_str()));
    // An eight-unit path: a record of 148 bytes, a file of 159.
    auto written = record(u"C:\\a.jpg");
    c.slots = new WallpaperEntry*[10]();
    c.slotCount = 10;
    c.slots[1] = c.current = new WallpaperEntry();
    ASSERT_TRUE(c.current->parse(written.data(), static_cast<int32_t>(written.size())));
    c.slots[0] = new WallpaperEntry(*c.current);
    c.slots[0]->fontColour = 0x0000FF00;
    ASSERT_TRUE(c.saveToFile(p.c_str()));
    EXPECT_EQ(files(), 1u) << "nothing left beside it";
    auto changed = written;
    put32(changed, 22, 0x0000FF00);
    EXPECT_EQ(readAll(p), fileOf({changed, written}, 1));
    WallpaperCollection loaded;
    ASSERT_TRUE(loaded.loadFromFile(p.c_str()));
    EXPECT_EQ(loaded.slotCount, 3) << "one spare slot";
    EXPECT_TRUE(loaded.slots[0]->equals(*c.slots[0]) && loaded.current == loaded.slots[1]);
}

TEST_F(CollectionFiles, UnreadableFilesAndWrongMagics) {
    testing_support::MessageBoxRecorder boxes;
    WallpaperCollection c;
    c.addPath(picture(u"keep.jpg").c_str());
    for (const std::u16string& name : {dir.file(u"nothing-here.plk"), dir.file(u""), plk({0x35})})
        EXPECT_FALSE(c.loadFromFile(name.c_str()));
    EXPECT_EQ(c.entryCount(), 1) << "a file that cannot be read leaves the collection alone";
    EXPECT_FALSE(c.loadFromFile(plk({'P', 'K', 3, 4, 0, 0}).c_str()));
    EXPECT_TRUE(c.isEmpty()) << "the collection was cleared before the magic was checked";
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, u"Špatný formát souboru, nemohu rozluštit jeho formát.");
    EXPECT_EQ(boxes.boxes()[0].flags, plat::kMbIconWarning);
    auto bad = record(u"C:\\x.jpg");
    bad[0] = 0x34;
    std::vector<uint8_t> shortRecord(29, 0);
    shortRecord[0] = 0x35;
    shortRecord[1] = 0x12;
    EXPECT_FALSE(c.loadFromFile(plk(fileOf({record(u"C:\\ok.jpg"), bad, shortRecord})).c_str()));
    EXPECT_EQ(boxes.boxes().size(), 2u);
    EXPECT_EQ(c.slots[1]->path[0], 0) << "the bad entry stays in its slot";
    EXPECT_FALSE(c.loadFromFile(plk(fileOf({shortRecord})).c_str()));
    EXPECT_EQ(boxes.boxes().size(), 2u) << "a short record fails silently";
}

TEST_F(CollectionFiles, DamageKeepsTheEntriesReadSoFarAndNeverPassesForEmpty) {
    const auto three = fileOf({record(u"C:\\1.jpg"), record(u"C:\\2.jpg"), record(u"C:\\3.jpg")}, 1);
    auto truncated = three;
    truncated[10] = 1; // the first entry is flagged too: the later flag wins
    truncated.resize(truncated.size() - 40);
    WallpaperCollection c;
    EXPECT_FALSE(c.loadFromFile(plk(truncated).c_str()));
    EXPECT_EQ(c.entryCount(), 2);
    EXPECT_EQ(c.current, c.slots[1]);
    // A negative count, or a zero one with entries behind it, is damage the
    // next save must not wipe; a count the file cannot hold even at five bytes
    // a block allocates nothing; one it could hold reads what is there.
    const int32_t fits = static_cast<int32_t>(three.size() - 6) / 5;
    const struct {
        size_t at;
        uint32_t value;
        int32_t slots;
    } damage[] = {{2, 0, 0}, {2, 0xFFFFFFFF, 0}, {2, 0x80000000, 0}, {2, uint32_t(fits) + 1, 0},
                  {2, uint32_t(fits), fits + 1}, {6, 0xFFFFFFF0, 4}, {6, 0x7FFFFFF0, 4}};
    for (const auto& d : damage) {
        auto damaged = three;
        put32(damaged, d.at, d.value);
        EXPECT_FALSE(c.loadFromFile(plk(damaged).c_str())) << d.value;
        EXPECT_EQ(c.slotCount, d.slots) << d.value;
    }
    auto empty = fileOf({});
    EXPECT_TRUE(c.loadFromFile(plk(empty).c_str())) << "only a file that ends after a zero count is empty";
    put32(empty, 2, 0xFFFFFFFF);
    EXPECT_FALSE(c.loadFromFile(plk(empty).c_str()));
}

// A record may end right after its path's terminator, in both text forms;
// one byte less is damage.
TEST(EntryRecord, EndsAfterThePathAndCutsLongPathsTo268Units) {
    WallpaperEntry e;
    const std::u16string path = u"C:\\a.bmp";
    auto wide = record(path);
    wide.resize(2 * path.size() + 30);
    std::vector<uint8_t> narrow(wide.begin(), wide.begin() + 26);
    narrow.resize(path.size() + 30, 0);
    for (size_t i = 0; i < path.size(); ++i)
        narrow[28 + i] = static_cast<uint8_t>(path[i]);
    for (auto* r : {&wide, &narrow}) {
        EXPECT_TRUE(e.parse(r->data(), static_cast<int32_t>(r->size())));
        EXPECT_EQ(std::u16string(e.path), path);
        EXPECT_FALSE(e.parse(r->data(), static_cast<int32_t>(r->size()) - 1));
    }
    const auto longRecord = record(std::u16string(300, u'k'));
    ASSERT_TRUE(e.parse(longRecord.data(), static_cast<int32_t>(longRecord.size())));
    EXPECT_EQ(plat::textLength(e.path), 268u);
}

#ifndef _WIN32
// A failed write must leave the previous file exactly as it was: the file
// size limit makes the kernel refuse a write in the middle of a save.
TEST_F(CollectionFiles, AFailedSaveKeepsThePreviousFileIntact) {
    WallpaperCollection c;
    for (const auto& name : {u"a.jpg", u"b.jpg", u"c.jpg", u"d.jpg", u"e.jpg"})
        c.addPath(picture(name).c_str());
    std::u16string p = dir.file(u"precious.plk");
    ASSERT_TRUE(c.saveToFile(p.c_str()));
    const std::vector<uint8_t> before = readAll(p);
    c.addPath(picture(u"one-more.jpg").c_str());
    struct rlimit old, tiny;
    getrlimit(RLIMIT_FSIZE, &old);
    tiny = old;
    tiny.rlim_cur = 100;
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    const bool saved = c.saveToFile(p.c_str());
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(saved);
    EXPECT_EQ(readAll(p), before);
    // A folder in the way of the file name: the final move fails.
    std::filesystem::create_directories(dir.path() / "blocked.plk" / "inside");
    EXPECT_FALSE(c.saveToFile(dir.file(u"blocked.plk").c_str()));
    EXPECT_EQ(files(), 8u) << "six pictures, the file and the folder: no temporary file left";
}
#endif
