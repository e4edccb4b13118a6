// The font files of the layer: found through fontconfig, opened with FreeType once, and kept
// open until the layer is reset (font/font_state.h). Fonts (GDI objects) are created and deleted
// for every text call; the faces behind them stay, so such a call costs no file access.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

struct FT_FaceRec_;

namespace kd508::font {

// A scalable face and the design measures the cell metrics are computed from, in font units.
struct Face {
    FT_FaceRec_* handle = nullptr;
    std::string family;
    std::string file;
    int units_per_em = 0;
    // The vertical extent a cell must hold: the face's Windows ascent and descent when it has
    // them, else its horizontal-header ascender and descender. Both are positive.
    int cell_ascent = 0;
    int cell_descent = 0;
    // Line gap beyond the cell that the face asks for (external leading), never negative.
    int extra_line_gap = 0;
    // Average character width from the face's tables, 0 when it gives none.
    int average_width = 0;
    int max_advance = 0;
    bool fixed_width = false;
};

// The face for a font request. An empty or unknown face name gives the default face for the
// pitch asked for: monospace for a fixed-pitch request, sans otherwise, each a face with the
// widths of the Windows default where one is installed (Liberation Mono, Liberation Sans). When fontconfig offers
// nothing usable the first scalable face it knows is taken, and on a machine without any
// scalable face the result is null (text then measures but draws no ink).
const Face* find_face(std::string_view face_name, bool fixed_pitch);

// How many font files the layer has opened since it was last reset; tests use it to prove that
// fonts created per call never reopen a file.
std::int64_t face_files_opened();

// The open faces and what each request resolved to; its FreeType and fontconfig handles stay
// inside face_library.cpp.
class FaceLibrary;
struct FaceLibraryDeleter {
    void operator()(FaceLibrary* library) const;
};
std::unique_ptr<FaceLibrary, FaceLibraryDeleter> open_face_library();

}  // namespace kd508::font
