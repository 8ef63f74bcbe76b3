#pragma once

#include "monitor/book/per_msn_form.h"

namespace book {

// "Per Msn het geluidsfragment instellen ": the entry's sound choice (TIJD) per MSN.
class Tfgeluidklapper : public PerMsnForm {
    Q_OBJECT
  public:
    explicit Tfgeluidklapper(db::TDataSource* source, QWidget* parent = nullptr);
    // Makes and shows the form over the current record of the phone book's data source.
    static Tfgeluidklapper* Open(db::TDataSource* source);

  protected:
    MsnLabels Shown(const std::string& value, const MsnLabels& current) const override;
    std::string Clicked(int n, const std::string& text) const override;
    std::string Value(const MsnLabels& labels) const override;
};

}  // namespace book
