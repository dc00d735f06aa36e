#include "form/placement.h"

#include <algorithm>

namespace kora {
namespace {

constexpr int kFrameBorder = 60;  // twips kept free inside a frame's edges
constexpr int kGap = 45;          // twips kept between a grown caption and the piece before it

Rect offset(Rect r, const Rect& origin) {
    r.left += origin.left;
    r.top += origin.top;
    return r;
}

const FrameRow& frameRow(Frame f) { return frames()[static_cast<size_t>(f)]; }

// The pieces a frame holds, each at its place on the form.
std::vector<Piece> contentsOf(Frame f) {
    const Rect origin = frameOnForm(f);
    const int tab = frameRow(f).tab;
    std::vector<Piece> out;
    for (const ControlRow& r : controls()) {
        if (r.frame != f) continue;
        if (r.kind == Kind::Label) {
            out.push_back({PieceKind::Control, r.id, 0, f, tab, offset(r.labelRect, origin), r.label, 0});
            continue;
        }
        if (!r.label.empty())
            out.push_back({PieceKind::Label, r.id, 0, f, tab, offset(r.labelRect, origin), r.label, 0});
        if (r.kind == Kind::Option) {
            for (size_t e = 0; e < r.elements.size(); ++e)
                out.push_back({PieceKind::OptionElement, r.id, static_cast<int>(e), f, tab,
                               offset(r.elements[e].rect, origin), r.elements[e].caption, 0});
        } else if (r.id == Control::chkAutoLoad) {
            // It lies over Frame12 but its place is given on the form.
            out.push_back({PieceKind::Control, r.id, 0, f, tab, layout::AutoLoad, layout::AutoLoadCaption, 0});
        } else {
            out.push_back({PieceKind::Control, r.id, 0, f, tab, offset(r.rect, origin), {}, 0});
        }
    }
    const auto statics = staticLabels();
    for (size_t i = 0; i < statics.size(); ++i)
        if (statics[i].frame == f)
            out.push_back({PieceKind::StaticLabel, Control::Count_, 0, f, tab, offset(statics[i].rect, origin),
                           statics[i].caption, i});
    std::stable_sort(out.begin(), out.end(), [](const Piece& a, const Piece& b) {
        return a.rect.top != b.rect.top ? a.rect.top < b.rect.top : a.rect.left < b.rect.left;
    });
    // Room: to the next piece of the row, else to the frame's edge less its border.
    const Rect box = frameOnForm(f);
    for (size_t i = 0; i < out.size(); ++i) {
        const bool nextOnRow = i + 1 < out.size() && out[i + 1].rect.top == out[i].rect.top;
        const bool previousOnRow = i > 0 && out[i - 1].rect.top == out[i].rect.top;
        const int right = nextOnRow ? out[i + 1].rect.left : box.left + box.width - kFrameBorder;
        const int left = previousOnRow ? out[i - 1].rect.left + out[i - 1].rect.width + kGap : box.left + kFrameBorder;
        out[i].room = right - out[i].rect.left;
        out[i].roomLeft = std::max(0, out[i].rect.left - left);
    }
    return out;
}

std::vector<Piece> buildPieces() {
    std::vector<Piece> out;
    for (const FrameRow& f : frames()) {
        for (Piece& p : contentsOf(f.id)) out.push_back(p);
        out.push_back({PieceKind::Frame, Control::Count_, 0, f.id, f.tab, frameOnForm(f.id), f.caption, 0});
    }
    out.push_back({PieceKind::Picture, Control::Count_, 0, Frame::Count_, -1, layout::Picture1, {}, 0});
    out.push_back({PieceKind::Tabs, Control::Count_, 0, Frame::Count_, -1, layout::Tabs, {}, 0});
    return out;
}

}  // namespace

Rect frameOnForm(Frame f) {
    const FrameRow& row = frameRow(f);
    if (row.tab < 0) return row.rect;
    return offset(row.rect, layout::Tabs);
}

const std::vector<Piece>& formPieces() {
    static const std::vector<Piece> pieces = buildPieces();
    return pieces;
}

}  // namespace kora
