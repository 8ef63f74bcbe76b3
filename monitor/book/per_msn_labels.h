#pragma once

#include <array>
#include <string>
#include <string_view>

namespace book {

// The ten labels of the per-MSN forms, label 1 for MSN 0. The texts are what the user reads
// and what OK turns back into the field, so the rules work on the texts.
inline constexpr int kMsnLabels = 10;
using MsnLabels = std::array<std::string, kMsnLabels>;

// Reject flags (AFWIJZEN): "Normaal" or "Afwijzen".
// The labels as the form is shown for the field; a position past the field's end is "0".
MsnLabels AfwijzenLabels(std::string_view afwijzen);
// A click toggles; label 10 then loses its blank ("Msn10 = ...").
std::string AfwijzenClick(int label, const std::string& text);
// "0" for each label reading "Normaal", else "1".
std::string AfwijzenValue(const MsnLabels& labels);

// Sound choice (TIJD): "Nooit" 0, "Standaard" 1, "Altijd" 2.
// The design texts, as the form is made.
MsnLabels GeluidDesignLabels();
// The labels as the form is shown; a position past the field's end is "1", and any other
// character leaves its label as it was.
MsnLabels GeluidLabels(std::string_view tijd, MsnLabels labels);
// A click cycles Standaard, Altijd, Nooit.
std::string GeluidClick(int label, const std::string& text);
std::string GeluidValue(const MsnLabels& labels);

}  // namespace book
