// clsPlugin: the COM object the host creates. It holds no state of its own;
// every operation forwards to the core through the thread's module, and
// nothing thrown inside ever leaves a method.
#pragma once

#include <atomic>

#include "base/raii_win.h"
#include "zelrcKORA_h.h"

namespace kora::win {

// Live objects of the server (plug-in objects and class factories), read by
// DllCanUnloadNow.
std::atomic<long>& liveObjects() noexcept;

// Creates a clsPlugin and queries `iid` from it.
HRESULT createPlugin(REFIID iid, void** out) noexcept;

// The uuid of PLUGIN in zelrcKORA.idl (widl declares no constant for a record).
inline constexpr GUID kPluginRecordId = {0xdea843c6, 0xade1, 0x479c, {0x92, 0x47, 0x48, 0x73, 0xa5, 0xc7, 0xa2, 0xbf}};

}  // namespace kora::win
