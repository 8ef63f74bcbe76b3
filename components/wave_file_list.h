#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/db/component.h"
#include "platform/os/sound_player.h"
#include "platform/rtl/string_list.h"

enum TPlayOption { poAsync, poSync, poLoop };

// One sound played by the sndPlaySound flags that its play option gives.
class TCustomWave : public db::TComponent {
  public:
    // Plays through `player`, or through the program's player when none is given.
    explicit TCustomWave(db::TComponent* owner = nullptr, os::SoundPlayer* player = nullptr);

    TPlayOption PlayOption() const { return play_option_; }
    // A change stops the sound first; writing the current value does nothing.
    virtual void SetPlayOption(TPlayOption value);
    unsigned Flags() const { return flags_; }

    // The sound Play passes: a file name, or a wave image in memory; empty means none.
    void SetSoundName(std::string name);
    void SetSoundImage(std::vector<std::uint8_t> image);
    bool HasSound() const { return !sound_name_.empty() || !sound_image_.empty(); }

    virtual bool Play();
    virtual void Stop();

  protected:
    os::SoundPlayer& Player() const;
    // The option and its flags without the stop a change otherwise brings.
    void StoreOption(TPlayOption value);
    virtual unsigned OptionFlags(TPlayOption option) const;
    unsigned flags_ = os::SND_ASYNC | os::SND_NODEFAULT | os::SND_MEMORY;

  private:
    os::SoundPlayer* player_;
    TPlayOption play_option_ = poAsync;
    std::string sound_name_;
    std::vector<std::uint8_t> sound_image_;
};

// A list of items that can be played one after another.
class TCustomWaveList : public TCustomWave {
  public:
    using TCustomWave::TCustomWave;

    rtl::TStringList& Items() { return items_; }
    const rtl::TStringList& Items() const { return items_; }
    void SetItems(const rtl::TStringList& items) { items_ = items; }
    int ItemIndex() const { return item_index_; }
    void SetItemIndex(int index) { item_index_ = index; }

    // An index outside Items raises EStringListError.
    virtual bool PlayItem(int index) = 0;

    // False for an empty list; else PlayRange over all items.
    bool PlayAll();
    // Checks the items from `from` to `to` (either way round) now, in that order; the first that
    // cannot play ends the range, and the items that passed play one after another on the
    // sound channel. Answers at once: true when every item passed. A sound playing before stops;
    // the play option is what it was afterwards, also when an index raises.
    bool PlayRange(int from, int to);

  protected:
    // The item decoded and ready to play; null when it cannot play.
    virtual os::SoundClipPtr ItemClip(int index) = 0;

  private:
    rtl::TStringList items_;
    int item_index_ = -1;
};

// Plays the items as wave files of one folder: FilePath + "/" + item + "." + FileExt, the name
// found without regard to case.
class TWaveFileList : public TCustomWaveList {
  public:
    explicit TWaveFileList(db::TComponent* owner = nullptr, os::SoundPlayer* player = nullptr);

    const std::string& FileExt() const { return file_ext_; }
    void SetFileExt(std::string ext) { file_ext_ = std::move(ext); }
    const std::string& FilePath() const { return file_path_; }
    void SetFilePath(std::string path) { file_path_ = std::move(path); }
    // The file the last item resolved to.
    const std::string& FileName() const { return file_name_; }

    void SetPlayOption(TPlayOption value) override;
    bool Play() override;
    bool PlayItem(int index) override;

  protected:
    os::SoundClipPtr ItemClip(int index) override;
    // Items are files, never images.
    unsigned OptionFlags(TPlayOption option) const override;

  private:
    void SetFileName(int index);

    std::string file_ext_ = "WAV";
    std::string file_path_;
    std::string file_name_;
};
