#pragma once

#include <string>
#include <string_view>

namespace db {

class TField;

// Raises EDatabaseError when `field` cannot store every character of `text`, naming those
// characters in Dutch; nothing when it can. Forms call it before a typed text reaches the
// field, so that the text stays with the user rather than being stored with "?" in its place.
void CheckHoldable(const TField& field, std::string_view text);

}  // namespace db
