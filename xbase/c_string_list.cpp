#include "xbase/c_string_list.h"

#include "platform/rtl/exception.h"

namespace xbase {

const char* TCStringList::Items(int n) const {
    if (n < 0 || n >= Count()) {
        throw rtl::Exception("List index out of bounds (" + std::to_string(n) + ")");
    }
    return items_[static_cast<std::size_t>(n)].c_str();
}

}  // namespace xbase
