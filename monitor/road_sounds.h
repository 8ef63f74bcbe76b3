#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace monitor {

// A sound setting as the sound folder names it: cut at its last "." (so "a.b.wav" stays
// "a.b"); a name without "." gives "".
std::string SoundItem(std::string_view bestand);

// What a call plays, in order: the MSN's intro and the entry's sound, by the entry's choice
// for the MSN (TIJD: '0' never, '1' when the hour is marked, '2' always), `geluidok` (the
// hour and the MSN marked) and `uurAan` (the hour marked). Without an entry, the intro when
// `geluidok`. Empty items are left out.
std::vector<std::string> EntrySounds(char keuze, bool geluidok, bool uurAan, std::string_view intro,
                                     std::string_view geluid);
std::vector<std::string> UnknownCallerSounds(bool geluidok, std::string_view intro);

}  // namespace monitor
