// What a piece of an XML model's vertex and face lists may hold when it is
// parsed on its own, wrapped in a mesh element and the list it starts in:
// entries of that list with their leaves, and at most one change from the
// vertex list to the face list. Anything else (another element, a deeper
// one) sends the whole document to the sequential parse.
#pragma once

#include "formats/xml/mesh_content_handler.h"

enum class PieceStep {
    Refused,  // not in the plain layout
    Accepted,
    FirstList,  // the piece's own list: its index starts where the piece does
};

class ListPieceRules {
public:
    PieceStep Start(TagKind kind) {
        bool ok = false;
        switch (depth_) {
        case 0: ok = kind == TagKind::Mesh; break;
        case 1:
            ok = (lists_ == 0 && (kind == TagKind::VertList || kind == TagKind::FaceList)) ||
                 (lists_ == 1 && list_ == TagKind::VertList && kind == TagKind::FaceList);
            if (ok) {
                list_ = kind;
                ++lists_;
            }
            break;
        case 2: ok = kind == (list_ == TagKind::VertList ? TagKind::Vertex : TagKind::Face); break;
        case 3:
            ok = list_ == TagKind::VertList ? Within(kind, TagKind::VertX, TagKind::VertV)
                                            : Within(kind, TagKind::FaceA, TagKind::FaceC);
            break;
        default: break;
        }
        if (!ok) return PieceStep::Refused;
        ++depth_;
        return depth_ == 2 && lists_ == 1 ? PieceStep::FirstList : PieceStep::Accepted;
    }
    void End() { --depth_; }

private:
    static constexpr bool Within(TagKind kind, TagKind first, TagKind last) {
        return static_cast<int>(kind) >= static_cast<int>(first) && static_cast<int>(kind) <= static_cast<int>(last);
    }

    int depth_ = 0;
    int lists_ = 0;
    TagKind list_ = TagKind::None;
};
