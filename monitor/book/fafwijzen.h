#pragma once

#include "monitor/book/per_msn_form.h"

namespace book {

// "Per Msn het nummer afwijzen.": the entry's reject flags (AFWIJZEN) per MSN.
class Tfafwijzen : public PerMsnForm {
    Q_OBJECT
  public:
    explicit Tfafwijzen(db::TDataSource* source, QWidget* parent = nullptr);
    // Makes and shows the form over the current record of the phone book's data source.
    static Tfafwijzen* Open(db::TDataSource* source);

  protected:
    MsnLabels Shown(const std::string& value, const MsnLabels& current) const override;
    std::string Clicked(int n, const std::string& text) const override;
    std::string Value(const MsnLabels& labels) const override;
};

}  // namespace book
