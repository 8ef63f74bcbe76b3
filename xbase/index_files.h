#pragma once

#include <string>
#include <string_view>

#include "platform/rtl/string_list.h"

namespace xbase {

class TTable;

// Extra index files of a table. Adding opens the file in the layer while the table is
// open; removing closes it (the index in use is left first).
class TIndexFiles {
  public:
    explicit TIndexFiles(TTable& owner) : owner_(owner) {}

    int Count() const { return list_.Count(); }
    const std::string& Strings(int index) const { return list_.Strings(index); }
    const std::string& operator[](int index) const { return list_[index]; }
    int IndexOf(std::string_view name) const { return list_.IndexOf(name); }
    int Add(std::string name);
    void Insert(int index, std::string name);
    void Delete(int index);
    void Clear();

  private:
    void Opened(const std::string& name);
    void Closing(const std::string& name);

    TTable& owner_;
    rtl::TStringList list_;
};

}  // namespace xbase
