#include "components/wave_file_list.h"

#include "platform/rtl/program_folder.h"

namespace {

unsigned FlagsFor(TPlayOption option) {
    switch (option) {
        case poSync:
            return os::SND_NODEFAULT | os::SND_MEMORY;
        case poLoop:
            return os::SND_ASYNC | os::SND_NODEFAULT | os::SND_MEMORY | os::SND_LOOP;
        case poAsync:
            break;
    }
    return os::SND_ASYNC | os::SND_NODEFAULT | os::SND_MEMORY;
}

}  // namespace

TCustomWave::TCustomWave(db::TComponent* owner, os::SoundPlayer* player)
    : db::TComponent(owner), player_(player) {}

os::SoundPlayer& TCustomWave::Player() const {
    return player_ != nullptr ? *player_ : os::soundPlayer();
}

unsigned TCustomWave::OptionFlags(TPlayOption option) const {
    return FlagsFor(option);
}

void TCustomWave::StoreOption(TPlayOption value) {
    flags_ = OptionFlags(value);
    play_option_ = value;
}

void TCustomWave::SetPlayOption(TPlayOption value) {
    if (value == play_option_) {
        return;
    }
    Stop();
    StoreOption(value);
}

void TCustomWave::SetSoundName(std::string name) {
    sound_image_.clear();
    sound_name_ = std::move(name);
}

void TCustomWave::SetSoundImage(std::vector<std::uint8_t> image) {
    sound_name_.clear();
    sound_image_ = std::move(image);
}

bool TCustomWave::Play() {
    if (!sound_image_.empty()) {
        return Player().PlayImage(sound_image_, Name(), flags_);
    }
    if (!sound_name_.empty()) {
        return Player().PlayFile(sound_name_, flags_);
    }
    return false;
}

void TCustomWave::Stop() {
    Player().Stop();
}

bool TCustomWaveList::PlayAll() {
    if (items_.Count() == 0) {
        return false;
    }
    return PlayRange(0, items_.Count() - 1);
}

bool TCustomWaveList::PlayRange(int from, int to) {
    if (items_.Count() == 0) {
        return false;
    }
    const TPlayOption remembered = PlayOption();
    // Going back must not stop the sequence just handed over, so the option returns quietly.
    struct Restore {
        TCustomWaveList& list;
        TPlayOption option;
        ~Restore() { list.StoreOption(option); }
    } restore{*this, remembered};
    SetPlayOption(poSync);

    std::vector<os::SoundClipPtr> clips;
    bool passed = true;
    const int step = from < to ? 1 : -1;
    try {
        for (int i = from;; i += step) {
            os::SoundClipPtr clip = ItemClip(i);
            if (!clip) {
                passed = false;
                break;
            }
            clips.push_back(std::move(clip));
            if (i == to) {
                break;
            }
        }
    } catch (...) {
        // The items before a bad index still sound, as they would have one by one.
        if (!clips.empty()) {
            Player().PlaySequence(std::move(clips));
        }
        throw;
    }
    if (clips.empty()) {
        return false;
    }
    return Player().PlaySequence(std::move(clips)) && passed;
}

TWaveFileList::TWaveFileList(db::TComponent* owner, os::SoundPlayer* player)
    : TCustomWaveList(owner, player) {
    flags_ &= ~os::SND_MEMORY;
}

unsigned TWaveFileList::OptionFlags(TPlayOption option) const {
    return TCustomWaveList::OptionFlags(option) & ~os::SND_MEMORY;
}

void TWaveFileList::SetPlayOption(TPlayOption value) {
    TCustomWaveList::SetPlayOption(value);
    flags_ &= ~os::SND_MEMORY;
}

bool TWaveFileList::Play() {
    return PlayItem(ItemIndex());
}

void TWaveFileList::SetFileName(int index) {
    std::string name = Items()[index];
    if (!file_ext_.empty()) {
        name += "." + file_ext_;
    }
    // Settings and the recorder store "intro3.wav" where the list asks for "intro3.WAV".
    file_name_ = rtl::ResolveCaseInsensitive(file_path_.empty() ? "/" : file_path_, name);
    SetSoundName(file_name_);
}

bool TWaveFileList::PlayItem(int index) {
    SetFileName(index);
    flags_ &= ~os::SND_MEMORY;
    return TCustomWave::Play();
}

os::SoundClipPtr TWaveFileList::ItemClip(int index) {
    SetFileName(index);
    return Player().Load(file_name_);
}
