// The host relay: how the utility component hands a WriteFile request to the
// host in the same process. The host (or a test harness) owns a message-only
// window of the class kRelayWindowClass; WriteFile sends it WM_COPYDATA with
// the reply file path and the request text as UTF-16:
//   dwData  kRelayWriteFile
//   lpData  uint32 path length in UTF-16 units, the path, then the text
//           (the rest of the block; neither is terminated)
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/raii_win.h"
#include "base/window_win.h"

namespace kora::suite {

inline constexpr wchar_t kRelayWindowClass[] = L"KorastandHostRelay";
inline constexpr ULONG_PTR kRelayWriteFile = 0x4B525746;  // "KRWF"

struct RelayRequest {
    std::wstring path;
    std::wstring text;
};

std::vector<uint8_t> packRelayRequest(const RelayRequest& request);
// nullopt for a block that is not a well-formed request.
std::optional<RelayRequest> unpackRelayRequest(const void* data, size_t size);

// The relay window of this process, or null when there is none. Windows of
// the class that belong to other processes are ignored.
HWND findRelayWindow();

// Hands the request to the relay window. Empty on success, else why not.
std::wstring sendToRelay(const RelayRequest& request);

// The host side: owns the message-only relay window and passes every request
// to `onRequest` (which returns whether it accepted it). Lives on the thread
// that created it; one per process.
class RelayWindow {
public:
    using Handler = std::function<bool(const RelayRequest&)>;
    explicit RelayWindow(Handler onRequest);
    RelayWindow(const RelayWindow&) = delete;
    RelayWindow& operator=(const RelayWindow&) = delete;
    ~RelayWindow() = default;

    HWND handle() const noexcept { return window_.get(); }

private:
    LRESULT onMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT onCopyData(const COPYDATASTRUCT& data) noexcept;

    Handler onRequest_;
    win::WindowClass class_;
    win::Window window_;
};

}  // namespace kora::suite
