#include "monitor/book/entry_sound_names.h"

#include <cctype>
#include <filesystem>
#include <system_error>

#include "monitor/settings.h"
#include "monitor/settings_dialog_model.h"
#include "platform/rtl/program_folder.h"
#include "platform/rtl/text_encoding.h"

namespace book {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kWav = ".wav";

std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool Allowed(unsigned char ch) {
    return std::isalnum(ch) != 0 || ch == '+' || ch == '-' || ch == '_';
}

std::string Upper(std::string text) {
    for (char& ch : text) {
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    }
    return text;
}

}  // namespace

std::string SoundFolder() {
    return monitor::programmadir() + "geluid/";
}

std::string FragmentName(std::string_view nummer) {
    const std::string_view text = Trimmed(nummer);
    std::string base;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto ch = static_cast<unsigned char>(text[i]);
        if (ch >= 0x80 && (ch & 0xC0) == 0x80) {
            continue;  // the rest of a character already replaced
        }
        base.push_back(Allowed(ch) ? static_cast<char>(ch) : '_');
    }
    if (base.empty()) {
        return {};
    }
    base.resize(std::min(base.size(), kGeluidWidth - kWav.size()));
    return base + std::string(kWav);
}

ChosenWave CheckChosenWave(const std::string& path) {
    const fs::path file(path);
    ChosenWave chosen;
    chosen.name = file.filename().string();
    const std::string extension = file.extension().string();
    if (Upper(extension) != ".WAV") {
        chosen.refusal = "FOUT: " + extension + " is geen 'wav' bestand ";
        return chosen;
    }
    const std::string cp1252 = rtl::Utf8ToCp1252(chosen.name);
    if (!rtl::IsValidUtf8(chosen.name) || rtl::Cp1252ToUtf8(cp1252) != chosen.name) {
        chosen.refusal = "De bestandsnaam \"" + chosen.name +
                         "\" bevat tekens die niet opgeslagen kunnen worden; kies een andere naam.";
    } else if (cp1252.size() > kGeluidWidth) {
        chosen.refusal = "De bestandsnaam \"" + chosen.name + "\" is langer dan " +
                         std::to_string(kGeluidWidth) + " tekens; kies een kortere naam.";
    }
    return chosen;
}

SoundFolderPlace PlaceInSoundFolder(const std::string& path, const std::string& folder,
                                    const std::string& name) {
    SoundFolderPlace place;
    std::error_code ec;
    const std::string target = rtl::JoinPath(folder, name);
    if (fs::exists(target, ec) && fs::equivalent(path, target, ec)) {
        place.inFolder = true;
        return place;
    }
    const std::string found = rtl::ResolveCaseInsensitive(folder, name);
    if (fs::exists(found, ec)) {
        place.existing = found;
    }
    return place;
}

bool CopyIntoSoundFolder(const std::string& path, const std::string& folder,
                         const std::string& name, const std::string& existing,
                         std::string& reason) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    const std::string target = rtl::JoinPath(folder, name);
    if (!monitor::KopieerHeel(path, target, &reason)) {
        return false;
    }
    if (!existing.empty() && existing != target && fs::exists(existing, ec) &&
        !fs::equivalent(existing, target, ec)) {
        fs::remove(existing, ec);
    }
    return true;
}

}  // namespace book
