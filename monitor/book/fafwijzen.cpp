#include "monitor/book/fafwijzen.h"

namespace book {
namespace {

MsnLabels DesignLabels() {
    MsnLabels labels;
    for (int i = 0; i < kMsnLabels; ++i) {
        labels[i] = (i + 1 < kMsnLabels ? "Msn " + std::to_string(i + 1) : std::string("Msn10")) +
                    " = Normaal";
    }
    return labels;
}

}  // namespace

Tfafwijzen::Tfafwijzen(db::TDataSource* source, QWidget* parent)
    : PerMsnForm(source, "AFWIJZEN", DesignLabels(), parent) {
    SetCaption("Per Msn het nummer afwijzen.");
    Note1->setText("(Let op: Het gaat de beller wel een eenheid kosten)");
    Note2->setText(" Klik op de Msn om de status te veranderen ");
}

Tfafwijzen* Tfafwijzen::Open(db::TDataSource* source) {
    auto* form = new Tfafwijzen(source);
    form->show();
    return form;
}

MsnLabels Tfafwijzen::Shown(const std::string& value, const MsnLabels&) const {
    return AfwijzenLabels(value);
}

std::string Tfafwijzen::Clicked(int n, const std::string& text) const {
    return AfwijzenClick(n, text);
}

std::string Tfafwijzen::Value(const MsnLabels& labels) const {
    return AfwijzenValue(labels);
}

}  // namespace book
