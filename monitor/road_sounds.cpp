#include "monitor/road_sounds.h"

namespace monitor {

namespace {

void Add(std::vector<std::string>& items, std::string_view bestand) {
    std::string item = SoundItem(bestand);
    if (!item.empty()) {
        items.push_back(std::move(item));
    }
}

}  // namespace

std::string SoundItem(std::string_view bestand) {
    const auto punt = bestand.rfind('.');
    if (punt == std::string_view::npos) {
        return {};
    }
    return std::string(bestand.substr(0, punt));
}

std::vector<std::string> EntrySounds(char keuze, bool geluidok, bool uurAan, std::string_view intro,
                                     std::string_view geluid) {
    std::vector<std::string> items;
    if (keuze == '2' || (keuze == '1' && uurAan)) {
        if (geluidok) {
            Add(items, intro);
        }
        Add(items, geluid);
    } else if (keuze == '0' && geluidok) {
        Add(items, intro);
    }
    return items;
}

std::vector<std::string> UnknownCallerSounds(bool geluidok, std::string_view intro) {
    std::vector<std::string> items;
    if (geluidok) {
        Add(items, intro);
    }
    return items;
}

}  // namespace monitor
