#include "relay_win.h"

#include <cstring>
#include <stdexcept>

namespace kora::suite {

std::vector<uint8_t> packRelayRequest(const RelayRequest& request) {
    const auto pathUnits = static_cast<uint32_t>(request.path.size());
    std::vector<uint8_t> block(sizeof pathUnits + (request.path.size() + request.text.size()) * 2);
    uint8_t* at = block.data();
    std::memcpy(at, &pathUnits, sizeof pathUnits);
    at += sizeof pathUnits;
    std::memcpy(at, request.path.data(), request.path.size() * 2);
    at += request.path.size() * 2;
    std::memcpy(at, request.text.data(), request.text.size() * 2);
    return block;
}

std::optional<RelayRequest> unpackRelayRequest(const void* data, size_t size) {
    uint32_t pathUnits = 0;
    if (!data || size < sizeof pathUnits || (size - sizeof pathUnits) % 2 != 0) return std::nullopt;
    const auto* bytes = static_cast<const uint8_t*>(data);
    std::memcpy(&pathUnits, bytes, sizeof pathUnits);
    const size_t units = (size - sizeof pathUnits) / 2;
    if (pathUnits > units) return std::nullopt;
    RelayRequest request;
    request.path.resize(pathUnits);
    request.text.resize(units - pathUnits);
    std::memcpy(request.path.data(), bytes + sizeof pathUnits, pathUnits * 2u);
    std::memcpy(request.text.data(), bytes + sizeof pathUnits + pathUnits * 2u, request.text.size() * 2);
    return request;
}

HWND findRelayWindow() {
    const DWORD self = GetCurrentProcessId();
    for (HWND w = FindWindowExW(HWND_MESSAGE, nullptr, kRelayWindowClass, nullptr); w;
         w = FindWindowExW(HWND_MESSAGE, w, kRelayWindowClass, nullptr)) {
        DWORD process = 0;
        GetWindowThreadProcessId(w, &process);
        if (process == self) return w;
    }
    return nullptr;
}

std::wstring sendToRelay(const RelayRequest& request) {
    HWND relay = findRelayWindow();
    if (!relay) return L"No host relay window (" + std::wstring(kRelayWindowClass) + L") in this process";
    std::vector<uint8_t> block = packRelayRequest(request);
    COPYDATASTRUCT data{kRelayWriteFile, static_cast<DWORD>(block.size()), block.data()};
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(relay, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, 30000, &answer))
        return L"The host relay did not answer";
    if (answer != TRUE) return L"The host relay refused the request";
    return {};
}

RelayWindow::RelayWindow(Handler onRequest)
    : onRequest_(std::move(onRequest)), class_(kRelayWindowClass, &win::windowProcedure<&RelayWindow::onMessage>) {
    window_.reset(
        CreateWindowExW(0, kRelayWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, win::codeModule(), this));
    if (!window_) throw std::runtime_error("cannot create the relay window");
}

LRESULT RelayWindow::onMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA && lParam) return onCopyData(*reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT RelayWindow::onCopyData(const COPYDATASTRUCT& data) noexcept {
    if (data.dwData != kRelayWriteFile) return FALSE;
    try {
        const auto request = unpackRelayRequest(data.lpData, data.cbData);
        return request && onRequest_ && onRequest_(*request) ? TRUE : FALSE;
    } catch (...) {
        return FALSE;
    }
}

}  // namespace kora::suite
