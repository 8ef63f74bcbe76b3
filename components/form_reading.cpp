#include "components/form_reading.h"

#include <algorithm>

#include "components/labelled_control.h"
#include "components/sub_label.h"

namespace {
std::vector<FormReading*>& Active() {
    static std::vector<FormReading*> active;
    return active;
}
}  // namespace

FormReading::FormReading(QWidget* form) : form_(form) {
    Active().push_back(this);
}

FormReading::~FormReading() {
    auto& active = Active();
    active.erase(std::remove(active.begin(), active.end(), this), active.end());
    // Loaded may free components read earlier; each is looked at through its guard.
    for (const QPointer<QObject>& component : read_) {
        if (component.isNull()) {
            continue;
        }
        if (auto* control = dynamic_cast<LabelledControl*>(component.data())) {
            control->Loaded();
        } else if (auto* label = qobject_cast<TSubLabel*>(component.data())) {
            label->Loaded();
        }
    }
}

FormReading* FormReading::Of(const QWidget* form) {
    if (form == nullptr) {
        return nullptr;
    }
    for (FormReading* reading : Active()) {
        if (reading->form_ == form) {
            return reading;
        }
    }
    return nullptr;
}
