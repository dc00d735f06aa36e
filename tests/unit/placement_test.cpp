#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "form/placement.h"

namespace kora {
namespace {

// What the pieces of one container are called, in creation order.
std::vector<std::string> namesIn(Frame f) {
    std::vector<std::string> out;
    for (const Piece& p : formPieces()) {
        if (p.frame != f) continue;
        switch (p.kind) {
        case PieceKind::Label:
        case PieceKind::StaticLabel: out.emplace_back(p.caption); break;
        case PieceKind::Control: out.emplace_back(name(p.control)); break;
        case PieceKind::OptionElement:
            out.push_back(std::string(name(p.control)) + "(" + std::to_string(p.element) + ")");
            break;
        case PieceKind::Frame: out.emplace_back(frames()[static_cast<size_t>(f)].name); break;
        default: break;
        }
    }
    return out;
}

TEST(Placement, FrameContentsComeRowByRowLeftToRightThenTheFrame) {
    EXPECT_EQ(namesIn(Frame::Frame2),
              (std::vector<std::string>{"Name:", "savServerName", "Country:", "savCountry", "Sesstion Type:",
                                        "savSession", "Password:", "savPassword", "Max Players:", "savPlayers",
                                        "Punkbuster:", "savPunkbuster(1)", "savPunkbuster(0)", "Frame2"}));
    EXPECT_EQ(namesIn(Frame::Frame8),
              (std::vector<std::string>{"Voting Enabled:", "savVoting", "Min. Players for Vote:", "savVoteMin",
                                        "Voting Period:", "savVoteTime", "(Secs)", "Frame8"}));
    EXPECT_EQ(namesIn(Frame::Frame7), (std::vector<std::string>{"Enable Min Ping Check:", "savMinPingChk", "lblMinPing",
                                                                "savMinPing", "Enable Max Ping Check:", "savMaxPingChk",
                                                                "lblMaxPing", "savMaxPing", "Frame7"}));
    EXPECT_EQ(namesIn(Frame::Frame11),
              (std::vector<std::string>{"lstWeapons", "optWeapons(0)", "optWeapons(1)", "Frame11"}));
    EXPECT_EQ(namesIn(Frame::Frame12), (std::vector<std::string>{"chkAutoLoad", "Frame12"}));
}

TEST(Placement, ContainersInVisualOrderAndTheTabControlLast) {
    std::vector<std::string> order;
    for (const Piece& p : formPieces())
        if (p.kind == PieceKind::Frame) order.emplace_back(frames()[static_cast<size_t>(p.frame)].name);
    EXPECT_EQ(order, (std::vector<std::string>{"Frame2", "Frame1", "Frame3", "Frame4", "Frame5", "Frame8", "Frame9",
                                               "Frame6", "Frame7", "Frame13", "Frame10", "Frame11", "Frame12"}));
    ASSERT_GE(formPieces().size(), 2u);
    EXPECT_EQ(formPieces().back().kind, PieceKind::Tabs);
    EXPECT_EQ(formPieces()[formPieces().size() - 2].kind, PieceKind::Picture);
}

TEST(Placement, EveryControlAndOptionElementAppearsOnce) {
    std::map<std::string, int> seen;
    for (const Piece& p : formPieces()) {
        if (p.kind == PieceKind::Control) ++seen[std::string(name(p.control))];
        if (p.kind == PieceKind::OptionElement)
            ++seen[std::string(name(p.control)) + "(" + std::to_string(p.element) + ")"];
    }
    for (const ControlRow& r : controls()) {
        if (r.kind == Kind::Option) {
            for (size_t e = 0; e < r.elements.size(); ++e)
                EXPECT_EQ((seen[std::string(r.name) + "(" + std::to_string(e) + ")"]), 1) << r.name << e;
        } else {
            EXPECT_EQ(seen[std::string(r.name)], 1) << r.name;
        }
    }
}

TEST(Placement, PositionsAreOnTheFormWithFrameAndTabOffsetsAdded) {
    std::map<std::string, Rect> at;
    for (const Piece& p : formPieces())
        if (p.kind == PieceKind::Control) at[std::string(name(p.control))] = p.rect;
    // Frame2 at 240, 240 on the form.
    EXPECT_EQ(at["savServerName"].left, 240 + 1080);
    EXPECT_EQ(at["savServerName"].top, 240 + 360);
    EXPECT_EQ(at["savServerName"].width, 3855);
    // Frame4 at 240, 480 inside SSTab2 at 5520, 360.
    EXPECT_EQ(at["savBluePass"].left, 5520 + 240 + 2040);
    EXPECT_EQ(at["savBluePass"].top, 360 + 480 + 360);
    // Frame11 at 240, 1680 inside SSTab2.
    EXPECT_EQ(at["lstWeapons"].left, 5520 + 240 + 120);
    EXPECT_EQ(at["lstWeapons"].top, 360 + 1680 + 240);
    EXPECT_EQ(at["lstWeapons"].height, 2535);
    // chkAutoLoad's place is given on the form itself.
    EXPECT_EQ(at["chkAutoLoad"].left, 6480);
    EXPECT_EQ(at["chkAutoLoad"].top, 5400);
}

TEST(Placement, CaptionsMayGrowUpToTheNextPieceOfTheirRow) {
    std::map<std::string, int> room;
    for (const Piece& p : formPieces())
        if (p.kind == PieceKind::Label || p.kind == PieceKind::StaticLabel) room[std::string(p.caption)] = p.room;
    EXPECT_EQ(room["Sesstion Type:"], 3720 - 2520);  // up to savSession
    EXPECT_EQ(room["Friendly Fire Warning:"], 4560 - 2880);
    EXPECT_EQ(room["LFP Speed:"], 1920 - 240);          // up to the first option button
    EXPECT_EQ(room["(Secs)"], 4935 - 4320 - 60);        // up to Frame8's edge
    EXPECT_EQ(room["Host Message:"], 5055 - 360 - 60);  // alone on its row

    std::map<std::string, int> roomLeft;
    for (const Piece& p : formPieces())
        if (p.kind == PieceKind::Label) roomLeft[std::string(p.caption)] = p.roomLeft;
    EXPECT_EQ(roomLeft["Show Friendly Tags:"], 3000 - (1560 + 255) - 45);  // after savFFKills
    EXPECT_EQ(roomLeft["Voting Period:"], 2520 - (1800 + 615) - 45);       // after savVoteMin
    EXPECT_EQ(roomLeft["Respawn Time:"], 360 - 60);                        // first of its row
}

int pageOf(PieceKind kind, Control c) {
    for (const Piece& p : formPieces())
        if (p.kind == kind && p.control == c) return p.tab;
    return -99;
}

TEST(Placement, PagesOfTheTabControl) {
    EXPECT_EQ(pageOf(PieceKind::Control, Control::savMaxFF), 0);
    EXPECT_EQ(pageOf(PieceKind::OptionElement, Control::savLFPSpd), 1);
    EXPECT_EQ(pageOf(PieceKind::Control, Control::savLFPSpd), -99);  // a group is its elements
    EXPECT_EQ(pageOf(PieceKind::Control, Control::savGamePort), 2);
    EXPECT_EQ(pageOf(PieceKind::Control, Control::lstRoles), 3);
    EXPECT_EQ(pageOf(PieceKind::Control, Control::savServerName), -1);
    EXPECT_EQ(pageOf(PieceKind::Control, Control::chkAutoLoad), -1);
}

}  // namespace
}  // namespace kora
