// zelrcCDX.dll: the stand-in encoding component, ProgID "zelrcCDX.clsCodec".
// Enc64 is Base64 of the text's UTF-8 bytes; Dec64 gives the text back and
// refuses (error 5) anything that is not such an encoding, rather than hand
// out garbage.
#include <olectl.h>

#include "base/text_win.h"
#include "base64.h"
#include "stand_in_win.h"

namespace kora::suite {
namespace {

// {C29C3D5F-D357-4964-8EF1-2D6DBC0C5170}
const CLSID kClsidCodec = {0xc29c3d5f, 0xd357, 0x4964, {0x8e, 0xf1, 0x2d, 0x6d, 0xbc, 0x0c, 0x51, 0x70}};

class Codec final : public win::DispatchObject {
public:
    using DispatchObject::DispatchObject;

protected:
    enum : DISPID { Enc64 = 1, Dec64 };
    std::span<const Member> members() const noexcept override {
        static constexpr Member kMembers[] = {{L"Enc64", Enc64}, {L"Dec64", Dec64}};
        return kMembers;
    }
    std::wstring_view source() const noexcept override { return L"zelrcCDX.clsCodec"; }

    void invoke(DISPID id, WORD, const win::DispatchArgs& args, VARIANT& result) override {
        const std::wstring text = args.text(0);
        if (id == Enc64) {
            const auto bytes = win::narrowStrict(text);
            if (!bytes) throw win::DispatchError{5, L"Enc64: the text is not valid Unicode (unpaired surrogate)"};
            win::setResult(result, win::widen(encodeBase64(*bytes)));
            return;
        }
        const auto bytes = decodeBase64(win::narrow(text));
        if (!bytes) throw win::DispatchError{5, L"Dec64: the text is not valid Base64"};
        if (!isValidUtf8(*bytes)) throw win::DispatchError{5, L"Dec64: the decoded bytes are not valid UTF-8 text"};
        win::setResult(result, win::widen(*bytes));
    }
};

StandInServer g_server(kClsidCodec, L"zelrcCDX.clsCodec",
                       [](std::atomic<long>& live) -> win::DispatchObject* { return new Codec(&live); });

}  // namespace
}  // namespace kora::suite

KORA_STAND_IN_ENTRY_POINTS(kora::suite::g_server)
