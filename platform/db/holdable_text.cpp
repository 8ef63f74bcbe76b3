#include "platform/db/holdable_text.h"

#include <cstdio>

#include "platform/db/database_error.h"
#include "platform/db/field.h"
#include "platform/rtl/text_encoding.h"

namespace db {

void CheckHoldable(const TField& field, std::string_view text) {
    const std::u32string characters = field.Unholdable(text);
    if (characters.empty()) {
        return;
    }
    // Each with its code, since some show as nothing at all (joiners, variation selectors).
    std::string list;
    for (const char32_t c : characters) {
        char code[16];
        std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
        list += (list.empty() ? "" : ", ") + rtl::Utf8Of(c) + " (" + code + ")";
    }
    const bool one = characters.size() == 1;
    throw EDatabaseError(std::string(one ? "Dit teken kan" : "Deze tekens kunnen") +
                         " niet worden opgeslagen in " + field.DisplayLabel() + ": " + list +
                         ". Pas de tekst aan.");
}

}  // namespace db
