// The image view's geometry.
#include "imaging/ImageLayout.h"

#include <algorithm>

namespace vellum {

namespace {

constexpr int kColumnGap = 24; // between the info band's two columns, and at its right edge

} // namespace

int ImageAreaTop(bool infoBand, int toolbarBand) {
    return toolbarBand + (infoBand ? kInfoBand : 0);
}

int ZoomFor(int imageWidth, int imageHeight, int clientWidth, int clientHeight, bool infoBand,
            bool trueSize, int toolbarBand) {
    if (trueSize)
        return 1;
    int freeWidth = std::min(clientWidth - kFreeAreaInset, kMaxFreeWidth);
    int freeHeight = clientHeight - ImageAreaTop(infoBand, toolbarBand) - kFreeAreaInset;
    int zoom = std::min(freeWidth / std::max(imageWidth, 1), freeHeight / std::max(imageHeight, 1));
    return std::max(zoom, 1);
}

PixelRect ImageRectFor(int imageWidth, int imageHeight, int zoom, bool infoBand, int toolbarBand) {
    return {kImageMargin, ImageAreaTop(infoBand, toolbarBand) + kImageMargin,
            std::max(imageWidth, 1) * zoom, std::max(imageHeight, 1) * zoom};
}

int ListingHeight(int members) {
    return kListingLineStep * members + kListingExtra;
}

std::vector<PixelRect> StackGroupMembers(const std::vector<MemberSize>& members, int toolbarBand) {
    std::vector<PixelRect> rects;
    int y = toolbarBand + ListingHeight(int(members.size())) + kMemberGap;
    for (const MemberSize& member : members) {
        if (member.width <= 0 || member.height <= 0) {
            rects.push_back({kImageMargin, y, 0, 0});
            continue;
        }
        rects.push_back({kImageMargin, y, member.width, member.height});
        y += member.height + kMemberGap;
    }
    return rects;
}

PixelRect ColorizerPanelRect(const std::vector<PixelRect>& drawn, bool group, int clientWidth,
                             int clientHeight, int toolbarBand) {
    int right = 0;
    int top = ImageAreaTop(!group, toolbarBand);
    for (const PixelRect& rect : drawn)
        right = std::max(right, rect.width);
    if (group && !drawn.empty())
        top = std::max(toolbarBand, drawn.front().y - kGroupPanelRaise);
    int x = std::max(right + kPanelGap, kMaxFreeWidth);
    return {x, top, std::max(clientWidth - x, 0), std::max(clientHeight - top, 0)};
}

InfoColumns AlignInfoColumns(int leftWidth, int upperColon, int upperWidth, int lowerColon,
                             int lowerWidth, int bandWidth) {
    int colon = std::max(upperColon, lowerColon);
    int afterColon = std::max(upperWidth - upperColon, lowerWidth - lowerColon);
    int leftmost = kImageMargin + leftWidth + kColumnGap + colon;
    int rightmost = bandWidth - kColumnGap - afterColon;
    int colonX = std::max(leftmost, rightmost);
    return {colonX - upperColon, colonX - lowerColon};
}

} // namespace vellum
