// "Save Colorization...": writes the colorizer's result into the shown image, every image of its
// resource type, or every image file of the project folder, after the user confirms.
#pragma once

#include "common/Result.h"

#include <string>
#include <vector>

namespace vellum {

class Colorizer;
class Prompter;
class XmlDocument;
struct XmlNode;

enum class ColorizeScope {
    CurrentImage = 0, // the shown file, or each member of the shown group
    ImagesOfType = 1, // every file of the resource's type
    AllImages = 2,    // every file directly inside the project folder
};

// How the image view was asked to show the resource.
enum class ImageRequest { Plain, IconGroup, CursorGroup };

// What the image view shows: the file and the resource's File node in the manifest (its "Name"
// is the file's path relative to the project folder).
struct ShownImage {
    std::string path;
    XmlDocument* manifest = nullptr;
    XmlNode* fileNode = nullptr;
    ImageRequest request = ImageRequest::Plain;
};

// The project folder: the shown path less the node's "Name" (as many characters as it has).
// Empty when the name is missing or longer than the path.
std::string ProjectFolderOf(const ShownImage& shown);

// The category a type number is shown as: 1 "Cursor", 2 "Bitmap" ... 14 "Icon Group"; other
// numbers (13, and above 14) as the number itself.
std::string CategoryName(int type);

// The files a scope rewrites (scopes 0 and 1; scope 2 is the whole folder), each once, in
// manifest order. Group types give their member icons or cursors.
std::vector<std::string> FilesToColorize(const ShownImage& shown, ColorizeScope scope);

// Asks for confirmation (Yes/No, exclamation icon) naming the file, the category or the folder,
// then colorizes. S_FALSE when the user answers No (nothing is written); otherwise S_OK or the
// first failure, after every other file was still processed.
HRESULT ApplyColorization(const Colorizer& colorizer, const ShownImage& shown, ColorizeScope scope,
                          Prompter& prompter);

} // namespace vellum
