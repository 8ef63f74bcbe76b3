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

DialOutcome DialCurrent(db::TDataSet& data, std::string_view prefix, os::Dialer& dialer) {
    if (!data.Active()) {
        return DialOutcome::NothingToDial;
    }
    const std::string number = data.FieldByName("nummer").AsString();
    if (number.empty()) {
        return DialOutcome::NothingToDial;
    }
    const std::string party = data.FieldByName("naam").AsString();
    return dialer.RequestMakeCall(DialDestination(prefix, number), "", party, "") == 0
               ? DialOutcome::Placed
               : DialOutcome::Refused;
}

}  // namespace book
