// The core's component interfaces over late-bound IDispatch: the utility and
// encoding components of the suite, and the host's privilege collection.
#pragma once

#include <memory>
#include <string_view>

#include "base/raii_win.h"
#include "base/services.h"

namespace kora::win {

// Creates a component by its ProgID; raises 429 when it cannot.
ComPtr<IDispatch> createByProgId(std::wstring_view progId);

std::shared_ptr<UtilityComponent> dispatchUtility(ComPtr<IDispatch> component);
std::shared_ptr<CodecComponent> dispatchCodec(ComPtr<IDispatch> component);
std::shared_ptr<PrivilegeCollection> dispatchPrivileges(ComPtr<IDispatch> collection);

// The error object LogError reads: properties Number and Description.
ComPtr<IDispatch> errorObject(const Failure& failure);

}  // namespace kora::win
