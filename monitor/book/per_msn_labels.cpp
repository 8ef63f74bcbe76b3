#include "monitor/book/per_msn_labels.h"

#include "monitor/mask.h"

namespace book {
namespace {

bool Holds(const std::string& text, std::string_view part) {
    return text.find(part) != std::string::npos;
}

// "Msn n = " for labels 1 to 9; label 10 as each form writes it.
std::string Prefix(int label, bool blankBeforeTen) {
    if (label < kMsnLabels) {
        return "Msn " + std::to_string(label) + " = ";
    }
    return blankBeforeTen ? "Msn 10 = " : "Msn10 = ";
}

}  // namespace

MsnLabels AfwijzenLabels(std::string_view afwijzen) {
    MsnLabels labels;
    for (int i = 0; i < kMsnLabels; ++i) {
        labels[i] = Prefix(i + 1, true) + (monitor::MaskOn(afwijzen, i) ? "Afwijzen" : "Normaal");
    }
    return labels;
}

std::string AfwijzenClick(int label, const std::string& text) {
    return Prefix(label, false) + (Holds(text, "Normaal") ? "Afwijzen" : "Normaal");
}

std::string AfwijzenValue(const MsnLabels& labels) {
    std::string value;
    for (const std::string& text : labels) {
        value += Holds(text, "Normaal") ? '0' : '1';
    }
    return value;
}

MsnLabels GeluidDesignLabels() {
    MsnLabels labels;
    for (int i = 0; i < kMsnLabels; ++i) {
        labels[i] = Prefix(i + 1, false) + "Standaard";
    }
    return labels;
}

MsnLabels GeluidLabels(std::string_view tijd, MsnLabels labels) {
    for (int i = 0; i < kMsnLabels; ++i) {
        switch (monitor::SoundChoice(tijd, i)) {
            case '0':
                labels[i] = Prefix(i + 1, false) + "Nooit";
                break;
            case '1':
                labels[i] = Prefix(i + 1, false) + "Standaard";
                break;
            case '2':
                labels[i] = Prefix(i + 1, false) + "Altijd";
                break;
            default:
                break;
        }
    }
    return labels;
}

std::string GeluidClick(int label, const std::string& text) {
    if (Holds(text, "Sta")) {
        return Prefix(label, false) + "Altijd";
    }
    if (Holds(text, "Alt")) {
        return Prefix(label, false) + "Nooit";
    }
    if (Holds(text, "Noo")) {
        return Prefix(label, false) + "Standaard";
    }
    return text;
}

std::string GeluidValue(const MsnLabels& labels) {
    std::string value;
    for (const std::string& text : labels) {
        value += Holds(text, "Noo") ? '0' : Holds(text, "Sta") ? '1' : '2';
    }
    return value;
}

}  // namespace book
