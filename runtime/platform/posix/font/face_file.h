// A font file opened for FreeType, read through a descriptor instead of mapped.
#pragma once

#include <string>

struct FT_FaceRec_;
struct FT_LibraryRec_;

namespace kd508::font {

// Opens face `index` of the file at `path` for the library, or gives null when the path is not
// a regular, non-empty file or FreeType cannot read a face from it. The face reads its file
// through a descriptor of its own, which FT_Done_Face closes; a failed open leaves no
// descriptor behind.
FT_FaceRec_* open_face_file(FT_LibraryRec_* freetype, const std::string& path, int index);

}  // namespace kd508::font
