// Decisions of adding dropped files and folders: what becomes of an item a
// folder search finds, and the paths the search builds.
#pragma once

#include <cstddef>

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
