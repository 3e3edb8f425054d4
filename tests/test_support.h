// Small helpers shared by the tests: a private temporary folder, whole-file
// reads and writes, and a recorder for message boxes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/message_box.h"

namespace testing_support {

// A fresh folder below the system's temporary folder, removed with its
// contents when the object goes.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    // The UTF-16 form of a file in this folder, for the program's own APIs.
    std::u16string file(const std::u16string& name) const;

  private:
    std::filesystem::path path_;
};

std::vector<uint8_t> readAll(const std::u16string& path);
bool writeAll(const std::u16string& path, const std::vector<uint8_t>& bytes);
bool writeText(const std::u16string& path, const std::string& text);

// Records every message box while it lives and answers with `answer`.
class MessageBoxRecorder {
  public:
    struct Box {
        std::u16string text;
        std::u16string caption;
        uint32_t flags;
    };
    explicit MessageBoxRecorder(int answer = plat::kIdOk);
    ~MessageBoxRecorder();
    const std::vector<Box>& boxes() const;
    void clear();
};

} // namespace testing_support
