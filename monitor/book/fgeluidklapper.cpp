#include "monitor/book/fgeluidklapper.h"

namespace book {

Tfgeluidklapper::Tfgeluidklapper(db::TDataSource* source, QWidget* parent)
    : PerMsnForm(source, "TIJD", GeluidDesignLabels(), parent) {
    SetCaption("Per Msn het geluidsfragment instellen ");
    Note1->setText("Standaard = volgens de standaard bij instellingen");
    Note2->setText(" Klik op de Msn om de status te veranderen ");
}

Tfgeluidklapper* Tfgeluidklapper::Open(db::TDataSource* source) {
    auto* form = new Tfgeluidklapper(source);
    form->show();
    return form;
}

MsnLabels Tfgeluidklapper::Shown(const std::string& value, const MsnLabels& current) const {
    return GeluidLabels(value, current);
}

std::string Tfgeluidklapper::Clicked(int n, const std::string& text) const {
    return GeluidClick(n, text);
}

std::string Tfgeluidklapper::Value(const MsnLabels& labels) const {
    return GeluidValue(labels);
}

}  // namespace book
