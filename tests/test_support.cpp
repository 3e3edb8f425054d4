#include "test_support.h"

#include <atomic>
#include <fstream>
#include <random>

namespace testing_support {
namespace fs = std::filesystem;

TempDir::TempDir() {
    static std::atomic<unsigned> counter{0};
    std::random_device rd;
    for (;;) {
        fs::path candidate = fs::temp_directory_path() /
                             ("plochar-test-" + std::to_string(rd()) + "-" + std::to_string(counter++));
        std::error_code ec;
        if (fs::create_directory(candidate, ec)) {
            path_ = candidate;
            return;
        }
    }
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

std::u16string TempDir::file(const std::u16string& name) const { return (path_ / fs::path(name)).u16string(); }

std::vector<uint8_t> readAll(const std::u16string& path) {
    std::ifstream in(fs::path(path), std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool writeAll(const std::u16string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(fs::path(path), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

bool writeText(const std::u16string& path, const std::string& text) {
    return writeAll(path, std::vector<uint8_t>(text.begin(), text.end()));
}

namespace {
std::vector<MessageBoxRecorder::Box> g_boxes;
int g_answer = plat::kIdOk;

int recordBox(void*, const char16_t* text, const char16_t* caption, uint32_t flags) {
    g_boxes.push_back({text ? text : u"", caption ? caption : u"", flags});
    return g_answer;
}
} // namespace

MessageBoxRecorder::MessageBoxRecorder(int answer) {
    g_boxes.clear();
    g_answer = answer;
    plat::setMessageBoxHook(recordBox);
}
MessageBoxRecorder::~MessageBoxRecorder() { plat::setMessageBoxHook(nullptr); }
const std::vector<MessageBoxRecorder::Box>& MessageBoxRecorder::boxes() const { return g_boxes; }
void MessageBoxRecorder::clear() { g_boxes.clear(); }

} // namespace testing_support
