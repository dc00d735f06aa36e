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

// The origin of a frame's contents on the form, in twips.
Rect frameOnForm(Frame f) {
    const FrameRow& row = frameRow(f);
    return row.tab < 0 ? row.rect : offset(row.rect, layout::Tabs);
}

// The pieces a frame holds, each at its place on the form.
std::vector<Piece> contentsOf(Frame f) {
    const Rect origin = frameOnForm(f);
    const int tab = frameRow(f).tab;
    std::vector<Piece> out;
    auto add = [&](PieceKind kind, Control c, int element, Rect rect, std::string_view caption) {
        out.push_back({kind, c, element, f, tab, rect, caption});
    };
    for (const ControlRow& r : controls()) {
        if (r.frame != f) continue;
        if (r.kind == Kind::Label) {
            add(PieceKind::Control, r.id, 0, offset(r.labelRect, origin), r.label);
            continue;
        }
        if (!r.label.empty()) add(PieceKind::Label, r.id, 0, offset(r.labelRect, origin), r.label);
        if (r.kind == Kind::Option) {
            for (size_t e = 0; e < r.elements.size(); ++e)
                add(PieceKind::OptionElement, r.id, static_cast<int>(e), offset(r.elements[e].rect, origin),
                    r.elements[e].caption);
        } else if (r.id == Control::chkAutoLoad) {
            // It lies over Frame12 but its place is given on the form.
            add(PieceKind::Control, r.id, 0, layout::AutoLoad, layout::AutoLoadCaption);
        } else {
            add(PieceKind::Control, r.id, 0, offset(r.rect, origin), {});
        }
    }
    for (const StaticLabel& label : staticLabels())
        if (label.frame == f)
            add(PieceKind::StaticLabel, Control::Count_, 0, offset(label.rect, origin), label.caption);
    std::stable_sort(out.begin(), out.end(), [](const Piece& a, const Piece& b) {
        return a.rect.top != b.rect.top ? a.rect.top < b.rect.top : a.rect.left < b.rect.left;
    });
    // Room: to the next piece of the row, else to the frame's edge less its border.
    for (size_t i = 0; i < out.size(); ++i) {
        const bool nextOnRow = i + 1 < out.size() && out[i + 1].rect.top == out[i].rect.top;
        const bool previousOnRow = i > 0 && out[i - 1].rect.top == out[i].rect.top;
        const int right = nextOnRow ? out[i + 1].rect.left : origin.left + origin.width - kFrameBorder;
        const int left =
            previousOnRow ? out[i - 1].rect.left + out[i - 1].rect.width + kGap : origin.left + kFrameBorder;
        out[i].room = right - out[i].rect.left;
        out[i].roomLeft = std::max(0, out[i].rect.left - left);
    }
    return out;
}

std::vector<Piece> buildPieces() {
    std::vector<Piece> out;
    for (const FrameRow& f : frames()) {
        for (Piece& p : contentsOf(f.id)) out.push_back(p);
        out.push_back({PieceKind::Frame, Control::Count_, 0, f.id, f.tab, frameOnForm(f.id), f.caption});
    }
    out.push_back({PieceKind::Picture, Control::Count_, 0, Frame::Count_, -1, layout::Picture1, {}});
    out.push_back({PieceKind::Tabs, Control::Count_, 0, Frame::Count_, -1, layout::Tabs, {}});
    return out;
}

}  // namespace

const std::vector<Piece>& formPieces() {
    static const std::vector<Piece> pieces = buildPieces();
    return pieces;
}

}  // namespace kora
