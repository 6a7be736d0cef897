// Adding a file from disk to a project as a new resource: plain resources are copied into the
// project folder under a named entry; icons and cursors go through the group logic.
#pragma once

#include "common/Result.h"
#include "project/Project.h"

#include <string>

namespace vellum {

// The add operation's record, classified from the type label the user chose or typed.
struct ResourceToAdd {
    std::string sourcePath;
    std::string name;      // as the user gave it
    std::string typeLabel; // "Bitmap", "Icon Group", or the name of a named type
    int type = 0;          // the numeric type; 0 for a named type
    bool namedType = false;
    bool groupLogic = false; // cursor, icon and their groups
    bool png = false;
    int language = 1033;
    // The folder the copy goes to: the project folder when empty, else a folder inside it, which
    // the File name then includes.
    std::string destinationFolder;
    // Visual-style projects keep their files in folders: a name PREFIX_REST is stored as
    // PREFIX\REST.EXT, PREFIX being the text before the name's last '_'.
    bool visualStyleNaming = false;
    // A plain resource's copy may replace a file of that name in the project folder, unless the
    // file holds another resource's data.
    bool overwrite = false;
};

// The numeric type of an add-dialog label ("Accelerator" -> 9, case ignored), 0 for any other.
int TypeOfAddLabel(std::string_view label);

// Classifies the request. An empty language text means 1033.
ResourceToAdd ClassifyResource(const std::string& sourcePath, const std::string& name,
                               const std::string& typeLabel, const std::string& languageText,
                               const std::string& destinationFolder = {},
                               bool visualStyleNaming = false);

// The resource name a plain add records: NAME_EXT, NAME_BMP for a PNG, NAME without extension.
std::string AddedResourceName(const ResourceToAdd& request);

// The full path a plain add copies the source to; empty when it would leave the project folder.
std::string CopyTargetOf(const Project& project, const ResourceToAdd& request);

// True when the project already holds a resource the add would collide with: a plain resource
// of that name within the type, or a group with that data file for icons and cursors.
bool IsNameTaken(Project& project, const ResourceToAdd& request);

// Adds the resource to the project. A plain resource is copied to the project folder as
// name + the source's extension and recorded as NAME_EXT (NAME_BMP with Png for a PNG, whose
// stored file name is NAME.BMP). A name already taken within the type, a missing source or an
// existing copy target (unless `overwrite` allows it) is refused before anything is copied;
// nothing is left behind on failure.
// Icons and cursors always go to the project folder, where their members live.
HRESULT AddResource(Project& project, const ResourceToAdd& request);

} // namespace vellum
