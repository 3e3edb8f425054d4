// Small picture files on disk for tests that need entries whose files exist.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

class TestPictures {
  public:
    explicit TestPictures(const std::vector<std::string>& names) {
        folder_ = std::filesystem::temp_directory_path() /
                  ("plochar-pictures-" + std::to_string(reinterpret_cast<uintptr_t>(this)));
        std::filesystem::create_directories(folder_);
        for (const auto& n : names) {
            std::filesystem::path p = folder_ / n;
            std::ofstream(p) << "BM";
            paths_.push_back(p.u16string());
        }
    }
    ~TestPictures() {
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }
    const char16_t* operator[](size_t i) const { return paths_[i].c_str(); }
    std::filesystem::path folder() const { return folder_; }

  private:
    std::filesystem::path folder_;
    std::vector<std::u16string> paths_;
};
