#include "monitor/book/dial_number.h"

#include "platform/db/data_set.h"
#include "platform/db/field.h"
#include "platform/os/dialer.h"

namespace book {

std::string DialDestination(std::string_view prefix, std::string_view number) {
    std::string destination(prefix);
    destination += number;
    return destination;
}

std::string CutToChars(std::string_view text, std::size_t maxChars) {
    std::size_t chars = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        // A byte that does not continue a character starts one.
        if ((static_cast<unsigned char>(text[at]) & 0xC0) != 0x80) {
            if (chars == maxChars) {
                return std::string(text.substr(0, at));
            }
            ++chars;
        }
    }
    return std::string(text);
}

DialOutcome DialCurrent(db::TDataSet& data, std::string_view prefix, os::Dialer& dialer,
                        std::size_t maxChars) {
    if (!data.Active()) {
        return DialOutcome::NothingToDial;
    }
    const std::string number = data.FieldByName("nummer").AsString();
    if (number.empty()) {
        return DialOutcome::NothingToDial;
    }
    const std::string party = data.FieldByName("naam").AsString();
    return dialer.RequestMakeCall(CutToChars(DialDestination(prefix, number), maxChars), "",
                                  CutToChars(party, maxChars), "") == 0
               ? DialOutcome::Placed
               : DialOutcome::Refused;
}

}  // namespace book
