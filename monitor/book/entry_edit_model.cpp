#include "monitor/book/entry_edit_model.h"

#include <system_error>

#include "monitor/book/entry_sound_names.h"
#include "platform/db/data_set.h"
#include "platform/db/field.h"
#include "platform/db/holdable_text.h"
#include "platform/rtl/program_folder.h"
#include "xbase/xbase_component.h"

namespace book {
namespace {

namespace fs = std::filesystem;

constexpr const char* kRecorderFout = "Error: Sndrec32.exe";
constexpr const char* kWeg = "Het record is niet meer gevonden; er is niets opgeslagen.";
constexpr const char* kGeenRecord = "Er is geen record om te wijzigen.";

}  // namespace

EntryEditModel::EntryEditModel(db::TDataSet& table, xbase::TXbase& engine, EntryEditPorts& ports)
    : table_(table), engine_(engine), ports_(ports) {}

EntryEditModel::~EntryEditModel() = default;

void EntryEditModel::Begin(Action& action) {
    action = Action{};
    try {
        // What the edits hold but have not handed over yet belongs to this entry.
        if (table_.Active() && (table_.State() == db::dsEdit || table_.State() == db::dsInsert)) {
            table_.UpdateRecord();
        }
        action.held.Take(&table_);
        if (action.held.Held()) {
            action.nummer = table_.FieldByName("NUMMER").AsString();
            action.geluid = table_.FieldByName("GELUID").AsString();
            action.cmdline = table_.FieldByName("CMDLINE").AsString();
        }
    } catch (const std::exception& error) {
        action = Action{};
        ports_.Fout(error);
    }
}

void EntryEditModel::Write(Action& action, std::string_view field, const std::string& value) {
    try {
        switch (action.held.Write(field, value)) {
            case HeldRecord::Result::Written:
            case HeldRecord::Result::Posted:
                break;
            case HeldRecord::Result::NoRecord:
                ports_.Melding(kGeenRecord);
                break;
            case HeldRecord::Result::Gone:
                ports_.Melding(kWeg);
                break;
        }
    } catch (const std::exception& error) {
        ports_.Fout(error);
    }
}

void EntryEditModel::KleurPopup(int target) {
    kleurDoel_ = target == 2 ? 2 : 1;
    Begin(kleur_);
}

void EntryEditModel::Kleur(int item) {
    if (item < 0 || item >= static_cast<int>(kKleurItems.size())) {
        return;
    }
    Write(kleur_, kleurDoel_ == 2 ? "FONTKLEUR" : "KLEUR",
          kKleurItems[static_cast<std::size_t>(item)].word);
}

void EntryEditModel::GeluidPopup() {
    Begin(geluid_);
}

bool EntryEditModel::OpnemenStarten() {
    if (recording_.Running()) {
        return false;
    }
    const std::string naam = FragmentName(geluid_.nummer);
    if (naam.empty()) {
        ports_.Melding("Vul eerst een nummer in.");
        return false;
    }
    const std::string map = SoundFolder();
    std::error_code ec;
    fs::create_directories(map, ec);
    if (!recording_.Start(ports_.Recorder(), map + naam)) {
        ports_.Melding(kRecorderFout);
        return false;
    }
    opname_ = geluid_;
    opnameNaam_ = naam;
    return true;
}

void EntryEditModel::OpnameStoppen() {
    recording_.Stop();
}

bool EntryEditModel::OpnameAfgelopen() {
    return recording_.Ended();
}

void EntryEditModel::OpnameDoden() {
    recording_.Kill();
}

void EntryEditModel::OpnameKlaar() {
    if (!recording_.Running()) {
        return;
    }
    if (recording_.Finish()) {
        Write(opname_, "GELUID", opnameNaam_);
    } else {
        ports_.Melding(kRecorderFout);
    }
}

void EntryEditModel::Openen() {
    const std::string map = SoundFolder();
    const auto gekozen = ports_.WaveBestand(map);
    if (!gekozen) {
        return;
    }
    const ChosenWave wave = CheckChosenWave(*gekozen);
    if (!wave.refusal.empty()) {
        ports_.Waarschuwing(wave.refusal);
        return;
    }
    const SoundFolderPlace plaats = PlaceInSoundFolder(*gekozen, map, wave.name);
    if (!plaats.inFolder) {
        if (!plaats.existing.empty() && !ports_.JaAnnuleren("Bestand overschrijven ?")) {
            return;
        }
        std::string reden;
        if (!CopyIntoSoundFolder(*gekozen, map, wave.name, plaats.existing, reden)) {
            ports_.Melding("Kopier fout: " + reden);
            return;
        }
    }
    Write(geluid_, "GELUID", wave.name);
}

void EntryEditModel::Test() {
    const std::string& naam = geluid_.geluid;
    if (naam.empty() || naam == "Geen") {
        return;
    }
    const std::string map = SoundFolder();
    const std::string pad = map + naam;
    // Found as a call finds it, without regard to case.
    const std::string gevonden = rtl::ResolveCaseInsensitive(map, naam);
    std::error_code ec;
    if (!fs::is_regular_file(gevonden, ec)) {
        ports_.Melding("Bestand niet gevonden: " + pad);
        return;
    }
    if (!ports_.Speel(gevonden)) {
        ports_.Melding(kRecorderFout);
    }
}

void EntryEditModel::Wis() {
    if (!ports_.JaAnnuleren("Wis geluids fragment ?")) {
        return;
    }
    Write(geluid_, "GELUID", "Geen");
}

EntryEditModel::CommandlineEditor EntryEditModel::CommandlineOpenen() {
    Begin(commandline_);
    return {commandline_.cmdline, "Commandline voor nummer " + commandline_.nummer};
}

void EntryEditModel::cmdlineinput(const std::string& text) {
    if (const db::TField* field = table_.FindField("CMDLINE")) {
        db::CheckHoldable(*field, text);
    }
    Write(commandline_, "CMDLINE", text.empty() ? std::string("-") : text);
}

bool EntryEditModel::Sluiten() {
    try {
        // Commit posts only a pending edit or insert, so an empty phone book stays empty.
        if (table_.Active()) {
            engine_.Commit();
        }
        return true;
    } catch (const std::exception& error) {
        ports_.Fout(error);
        return false;
    }
}

}  // namespace book
