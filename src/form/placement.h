// Where every piece of the settings form goes, worked out from the catalogue:
// absolute positions on the form (twips) and the order in which the pieces are
// created. The order is the keyboard's: containers top to bottom, inside each
// the pieces row by row, left to right, then the container itself (it lies
// behind what it holds), and the tab control last, behind its pages.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "form/catalogue.h"

namespace kora {

enum class PieceKind : unsigned char {
    Frame,          // a frame (group box); `frame` is the frame itself
    Label,          // the caption label to the left of `control`
    Control,        // a control of the catalogue (lblMinPing and lblMaxPing included)
    OptionElement,  // one button of the option group `control`
    StaticLabel,    // a label that names no setting ("(Secs)")
    Picture,        // Picture1
    Tabs,           // SSTab2
};

struct Piece {
    PieceKind kind;
    Control control = Control::Count_;
    int element = 0;
    Frame frame = Frame::Count_;  // the container; Frame::Count_ for the form itself
    int tab = -1;                 // -1 on the form, else the page of SSTab2
    Rect rect{};                  // twips, relative to the form's client area
    std::string_view caption;
    // Twips free to the right of its left edge: up to the next piece of its row,
    // or up to its container's right edge. A caption that renders wider than
    // its design width may grow into it, and then to the left into roomLeft:
    // the free twips after the previous piece of its row (or the container's
    // left edge), less a small gap.
    int room = 0;
    int roomLeft = 0;
};

// Every piece of the form, in creation order.
const std::vector<Piece>& formPieces();

}  // namespace kora
