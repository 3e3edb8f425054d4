// Decisions of adding dropped files and folders: what becomes of an item a
// folder search finds, and the paths the search builds.
#pragma once

#include <cstddef>
#include <cstdint>

namespace drop {

// A folder being searched, with its trailing backslash, and room for the
// "*.*" pattern behind it.
inline constexpr size_t kFolderUnits = 274;

enum class FoundItem { SearchFolder, AddPicture, Skip };

// Folders are searched unless their name starts with a dot ("." and ".."
// and the hidden folders of other programs); such a folder is never added as
// a picture, whatever its name. Anything else is added when its name has a
// picture extension.
FoundItem classifyFoundItem(const char16_t* name, bool isDirectory);

// Copies folder into dst (kFolderUnits) so that it ends with one backslash.
// False when folder plus backslash plus "*.*" would not fit: a cut folder
// path names another folder.
bool folderForSearch(char16_t* dst, const char16_t* folder);

// folderWithBackslash + name into dst (units long). False when it would not
// fit, because a cut name may name another file; dst then holds as much as
// fits, for a message.
bool joinFoundPath(char16_t* dst, size_t units, const char16_t* folderWithBackslash, const char16_t* name);

} // namespace drop

namespace drop {

// Who a folder is. Where the file system tells (volume serial and file
// index on NT, also through a link or a second path), that is it; else its
// full path with the trailing backslash, compared without case (Windows 9x
// has no links, so the path is the folder there).
struct FolderId {
    bool byIndex;
    uint32_t volume;
    uint64_t index;
    const char16_t* path; // when !byIndex; copied when recorded
};

// The folders one drop has searched, so that no folder is searched twice
// however it is reached (a link back to a parent, two dropped folders where
// one holds the other). It grows by one record per folder actually searched
// and is freed with the drop.
class SearchedFolders {
  public:
    SearchedFolders() = default;
    ~SearchedFolders();
    SearchedFolders(const SearchedFolders&) = delete;
    SearchedFolders& operator=(const SearchedFolders&) = delete;

    // Records folder and says whether it is new in this drop. Without memory
    // for the record the folder counts as new: searching one twice is better
    // than leaving it out, and a found path never grows past kFolderUnits.
    bool firstVisit(const FolderId& folder);

  private:
    struct Slot {
        uint64_t hash;
        uint64_t index;
        uint32_t volume;
        bool used;
        char16_t* path; // folded; null for a folder known by its index
    };
    bool grow();
    Slot* slots_ = nullptr;
    size_t capacity_ = 0; // a power of two, or 0
    size_t count_ = 0;
};

} // namespace drop
