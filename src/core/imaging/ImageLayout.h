// Where the image view puts things: the bands at the top, the zoom that fits an image into the
// free area, the rectangles images and group members are drawn into, the colorizer panel beside
// them and the aligned columns of the info band. Sizes are in pixels of the view.
#pragma once

#include "common/PixelRect.h"

#include <vector>

namespace vellum {

// The toolbar's band. A toolkit whose buttons need more room for their text under the icons
// passes its own height to the functions below; everything under the band moves down with it.
constexpr int kToolbarBand = 30;
constexpr int kInfoBand = 37;      // file name, sizes and depth, below the toolbar
constexpr int kInfoLineStep = 18;  // between the two lines of the info band
constexpr int kImageMargin = 8;    // left of the image and above it
constexpr int kFreeAreaInset = 16; // the free area's width and height lose this much
// The free area never counts wider than this, which leaves the colorizer panel its place.
constexpr int kMaxFreeWidth = 260;
constexpr int kMemberGap = 4;        // between the stacked images of a group
constexpr int kListingLineStep = 18; // per member in the group listing
constexpr int kListingExtra = 36;    // the listing's two heading lines
constexpr int kPanelGap = 7;         // between the image and the colorizer panel
constexpr int kGroupPanelRaise = 21; // the panel stands this much higher beside a group

// The top of the image area: below the toolbar and, for single images, the info band.
int ImageAreaTop(bool infoBand, int toolbarBand = kToolbarBand);

// The whole-number zoom that fits the image into the free area (the client area below the bands,
// less the inset each way, its width at most kMaxFreeWidth); 1 with True Size or when the image
// does not fit at all. A side of 0 counts as 1.
int ZoomFor(int imageWidth, int imageHeight, int clientWidth, int clientHeight, bool infoBand,
            bool trueSize, int toolbarBand = kToolbarBand);

// The zoomed image at kImageMargin right of the left edge and below the image area's top.
PixelRect ImageRectFor(int imageWidth, int imageHeight, int zoom, bool infoBand,
                       int toolbarBand = kToolbarBand);

// The group listing's height for `members` entries.
int ListingHeight(int members);

// Members stacked downward from the left below the listing, kMemberGap apart, at true size.
// A member of no size takes no room and gets an empty rectangle.
struct MemberSize {
    int width = 0;
    int height = 0;
};
std::vector<PixelRect> StackGroupMembers(const std::vector<MemberSize>& members,
                                         int toolbarBand = kToolbarBand);

// The colorizer panel: right of the widest drawn rectangle (at least at kMaxFreeWidth), from the
// top of the image area (raised for groups) down to the view's bottom right corner.
PixelRect ColorizerPanelRect(const std::vector<PixelRect>& drawn, bool group, int clientWidth,
                             int clientHeight, int toolbarBand = kToolbarBand);

// The info band's second column: where the texts "Image Size: ..." and "Pixel Depth/...: ..."
// start so that their colons line up, given the widths of the texts up to their colons, of the
// whole texts, of the wider left-hand text and of the band. The pair stands behind the left-hand
// column and moves towards the right edge when the band has room.
struct InfoColumns {
    int upperX = 0; // the first line's right-hand text
    int lowerX = 0; // the second line's
};
InfoColumns AlignInfoColumns(int leftWidth, int upperColon, int upperWidth, int lowerColon,
                             int lowerWidth, int bandWidth);

} // namespace vellum
