#include "xbase/bde_callback.h"

namespace xbase {

TBDECallback::TBDECallback(const void* owner, SessionHandle handle, int32_t kind, void* buffer,
                           uint16_t bufferLength, Event event)
    : owner_(owner), handle_(handle), kind_(kind), event_(std::move(event)) {
    DbiGetCallBack(handle_, kind_, &previousData_, &previousBufferLength_, &previousBuffer_,
                   &previous_);
    installed_ = DbiRegisterCallBack(handle_, kind_, reinterpret_cast<intptr_t>(this), bufferLength,
                                     buffer, &Trampoline) == kOk;
}

TBDECallback::~TBDECallback() {
    if (!installed_)
        return;
    if (previous_ != nullptr) {
        DbiRegisterCallBack(handle_, kind_, previousData_, previousBufferLength_, previousBuffer_,
                            previous_);
    } else {
        DbiRegisterCallBack(handle_, kind_, 0, 0, nullptr, nullptr);
    }
}

int32_t TBDECallback::Invoke(void* info) {
    const int32_t result = event_ ? event_(info) : 0;
    if (previous_ != nullptr) {
        previous_(kind_, previousData_, info);
    }
    return result;
}

int32_t TBDECallback::Trampoline(int32_t, intptr_t clientData, void* info) {
    return reinterpret_cast<TBDECallback*>(clientData)->Invoke(info);
}

}  // namespace xbase
