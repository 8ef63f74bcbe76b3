#include "platform/outlook/item.h"

#include "platform/outlook/automation_error.h"

namespace outlook {

namespace {
DocumentOpener* g_opener = nullptr;
}

void SetDocumentOpener(DocumentOpener* opener) {
    g_opener = opener;
}

bool Item::GetBool(std::string_view property) const {
    throw EAutomationError("Type mismatch: " + std::string(property));
}

void Item::SetBool(std::string_view property, bool) {
    throw EAutomationError("Type mismatch: " + std::string(property));
}

void Item::Display() const {
    if (path_.empty()) {
        throw EAutomationError("The item has not been saved");
    }
    if (g_opener == nullptr || !g_opener->Open(path_)) {
        throw EAutomationError("Unable to display " + path_);
    }
}

void Item::Close(int saveMode) {
    if (saveMode != 0 && saveMode != 1) {
        throw EAutomationError("Invalid argument to Close: " + std::to_string(saveMode));
    }
    if (saveMode == 0) {
        Save();
    }
}

}  // namespace outlook
