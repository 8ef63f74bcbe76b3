#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/db/component.h"

namespace xbase {

// The texts of one engine call, each handed over zero-terminated. Texts are kept whole: a
// path or an expression of any length reaches the engine as it was given.
class TCStringList : public db::TComponent {
  public:
    explicit TCStringList(db::TComponent* owner = nullptr) : db::TComponent(owner) {}

    int Count() const { return static_cast<int>(items_.size()); }
    void Add(std::string_view text) { items_.emplace_back(text); }
    // Raises rtl::Exception for a slot that was never filled.
    const char* Items(int n) const;

  private:
    std::vector<std::string> items_;
};

}  // namespace xbase
