// Reply decoding and the update request, each beside its floor: the least
// work the same bytes could possibly cost.
#include <benchmark/benchmark.h>

#include <cstring>

#include "exchange/update.h"
#include "workload.h"

namespace kora::bench {
namespace {

// Floor of decoding: one memchr pass over the reply, stopping at every "|".
void ReplyFloorMemchr(benchmark::State& state) {
    const std::string& reply = fullReply();
    for (auto _ : state) {
        const char* at = reply.data();
        const char* const end = at + reply.size();
        size_t bars = 0;
        while ((at = static_cast<const char*>(std::memchr(at, '|', static_cast<size_t>(end - at))))) {
            ++bars;
            ++at;
        }
        benchmark::DoNotOptimize(bars);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * reply.size()));
}
KORA_BENCHMARK(ReplyFloorMemchr);

// RemoteData in LoadForm mode: split, Dec64, check, apply to every control and list.
void ReplyDecode(benchmark::State& state) {
    LoadedRig rig;
    const std::string& reply = fullReply();
    for (auto _ : state) remoteData(rig.module, reply);
    if (!rig.module.state.session.updateMaySend() || rig.boxes->count != 0)
        state.SkipWithError("the reply did not decode");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * reply.size()));
}
KORA_BENCHMARK(ReplyDecode);

const std::string& fullRequest() {
    static const std::string request = [] {
        LoadedRig rig;
        onUpdateMouseUp(rig.module, 2);
        return rig.utility->lastRequest;
    }();
    return request;
}

// Floor of the update: the final request text written once into a new string.
void UpdateFloorWriteOnce(benchmark::State& state) {
    const std::string& request = fullRequest();
    for (auto _ : state) {
        std::string text(request);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * request.size()));
}
KORA_BENCHMARK(UpdateFloorWriteOnce);

// A second floor for the update: the same request built from its plain pieces,
// with every text that must travel encoded passed through Base64 once. The
// request cannot cost less than this while each text is a codec call of its own.
void UpdateFloorEncodeOnce(benchmark::State& state) {
    LoadedRig rig;
    Form& form = rig.form();
    std::vector<std::string> texts;  // what Update hands to Enc64, in order
    for (Control c : {Control::savServerName, Control::savCountry, Control::savPassword, Control::savMessage,
                      Control::savBluePass, Control::savRedPass, Control::savSpecPass})
        if (!form.text(c).empty()) texts.push_back(form.text(c));
    for (int i = 0; i < form.itemCount(Control::lstWeapons); ++i)
        if (form.itemSelected(Control::lstWeapons, i)) texts.push_back(form.itemText(Control::lstWeapons, i));
    size_t encodedSize = 0;
    for (const auto& t : texts) encodedSize += suite::encodeBase64(t).size();
    const std::string plain(fullRequest().size() - encodedSize, '0');  // everything not encoded
    for (auto _ : state) {
        std::string text;
        text.reserve(fullRequest().size());
        text += plain;
        for (const auto& t : texts) text += suite::encodeBase64(t);
        benchmark::DoNotOptimize(text.data());
    }
}
KORA_BENCHMARK(UpdateFloorEncodeOnce);

// Update released with the right button (no button image): corrections, Enc64
// of every text and selected weapon, the request, the reply file, WriteFile.
void UpdateRequest(benchmark::State& state) {
    LoadedRig rig;
    for (auto _ : state) {
        onUpdateMouseUp(rig.module, 2);
        rig.form().pointers.clear();  // the in-memory form records every pointer change
    }
    if (rig.utility->lastRequest != fullRequest() || rig.boxes->count != 0)
        state.SkipWithError("the update did not send the full request");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fullRequest().size()));
}
KORA_BENCHMARK(UpdateRequest);

}  // namespace
}  // namespace kora::bench
