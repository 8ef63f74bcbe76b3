#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace book {

// GELUID holds the bare name of a sound in the program's sound folder, at most this many
// characters; a longer name is cut on write and never matches its file again.
inline constexpr std::size_t kGeluidWidth = 20;

// The sound folder below the program folder, with its trailing "/".
std::string SoundFolder();

// The name an entry's recording gets: NUMMER (trimmed) with ".wav". Anything but ASCII letters,
// digits, "+", "-" and "_" becomes "_", so the file stays inside the sound folder, and the
// number is cut so that the name fits GELUID. Empty for an empty NUMMER.
std::string FragmentName(std::string_view nummer);

// A file the user chose to become an entry's sound.
struct ChosenWave {
    std::string name;     // the bare file name, as GELUID will hold it
    std::string refusal;  // what to tell the user; empty when the name can be used
};
// Refuses anything but a ".wav" file (any case) and a name GELUID cannot hold (too long, or a
// character outside Windows-1252).
ChosenWave CheckChosenWave(const std::string& path);

// Where a chosen file stands to the sound folder.
struct SoundFolderPlace {
    bool inFolder = false;  // it is the folder's file of that name itself
    std::string existing;   // else: the folder's file of that name in any case, empty for none
};
SoundFolderPlace PlaceInSoundFolder(const std::string& path, const std::string& folder,
                                    const std::string& name);

// Copies `path` into `folder` as `name` through a temporary file renamed over the target, so a
// failed copy leaves an old file whole; `existing` (a file of that name in another case) is
// removed afterwards, so one file of the name remains. Makes the folder when it is missing.
// False with the reason when it fails.
bool CopyIntoSoundFolder(const std::string& path, const std::string& folder,
                         const std::string& name, const std::string& existing, std::string& reason);

}  // namespace book
