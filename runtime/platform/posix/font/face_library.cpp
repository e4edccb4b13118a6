#include "font/face_library.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <array>
#include <cctype>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "font/face_file.h"
#include "font/font_state.h"

namespace kd508::font {

namespace {

// The default faces, first choice first. Windows maps an unknown face name to its default
// proportional face and the fixed font to its default monospace face; text must take the width
// it takes there, so faces metric-compatible with those come before whatever fontconfig calls
// sans-serif or monospace (DejaVu on Debian, whose letters are wider).
constexpr std::array default_sans_names{"Liberation Sans", "Arimo"};
constexpr std::array default_monospace_names{"Liberation Mono", "Cousine"};
constexpr const char* generic_sans_name = "sans-serif";
constexpr const char* generic_monospace_name = "monospace";

// A face without usable vertical measures still needs a cell: these shares of the em are used.
constexpr double fallback_ascent_share = 0.8;
constexpr double fallback_descent_share = 0.2;

// The OS/2 table's version field reads 0xFFFF when a face has no such table.
constexpr FT_UShort missing_os2_version = 0xFFFF;

struct FontFile {
    std::string path;
    int index = 0;
};

std::string lower_case(std::string_view text) {
    std::string lowered(text);
    std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lowered;
}

std::string file_key(const FontFile& file) { return file.path + '#' + std::to_string(file.index); }

}  // namespace

class FaceLibrary {
public:
    FaceLibrary() {
        if (FT_Init_FreeType(&freetype_) != 0) freetype_ = nullptr;
        // The process's own configuration, which the toolkit loads as well: loading a second
        // copy of every configuration file and font list would cost memory and match the same.
        config_ = FcConfigReference(nullptr);
    }

    ~FaceLibrary() {
        for (auto& [key, face] : faces_) {
            if (face) FT_Done_Face(face->handle);
        }
        if (freetype_) FT_Done_FreeType(freetype_);
        if (config_) FcConfigDestroy(config_);
    }

    FaceLibrary(const FaceLibrary&) = delete;
    FaceLibrary& operator=(const FaceLibrary&) = delete;

    const Face* find(std::string_view face_name, bool fixed_pitch) {
        // The key is built in a buffer kept for it: fonts are looked up on every text call, and
        // the key is longer than a string holds without allocating.
        std::string& request = request_key_;
        request.assign(face_name);
        std::transform(request.begin(), request.end(), request.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        request.append(fixed_pitch ? "|fixed" : "|variable");
        if (const auto known = resolved_.find(request); known != resolved_.end()) return known->second;
        const Face* face = face_name.empty() ? nullptr : open_named(face_name);
        if (!face) face = default_face(fixed_pitch);
        resolved_.emplace(request, face);
        return face;
    }

    std::int64_t files_opened() const { return files_opened_; }

private:
    // A face name counts as known only when fontconfig's best match carries that family name;
    // otherwise fontconfig would hand back its default, which may not be the one for the pitch.
    const Face* open_named(std::string_view face_name) {
        const auto file = match(face_name, true);
        return file ? open(*file) : nullptr;
    }

    const Face* default_face(bool fixed_pitch) {
        for (const char* name : fixed_pitch ? default_monospace_names : default_sans_names) {
            if (const Face* face = open_named(name)) return face;
        }
        if (const auto file = match(fixed_pitch ? generic_monospace_name : generic_sans_name, false)) {
            if (const Face* face = open(*file)) return face;
        }
        return any_scalable_face();
    }

    std::optional<FontFile> match(std::string_view family, bool family_must_agree) {
        if (!config_) return std::nullopt;
        const std::string family_text(family);
        FcPattern* pattern = FcPatternCreate();
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family_text.c_str()));
        FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
        FcConfigSubstitute(config_, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        FcPattern* matched = FcFontMatch(config_, pattern, &result);
        FcPatternDestroy(pattern);
        if (!matched) return std::nullopt;

        std::optional<FontFile> file;
        if (!family_must_agree || has_family(matched, family)) file = file_of(matched);
        FcPatternDestroy(matched);
        return file;
    }

    static bool has_family(FcPattern* pattern, std::string_view family) {
        const std::string wanted = lower_case(family);
        FcChar8* name = nullptr;
        for (int i = 0; FcPatternGetString(pattern, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
            if (lower_case(reinterpret_cast<const char*>(name)) == wanted) return true;
        }
        return false;
    }

    static std::optional<FontFile> file_of(FcPattern* pattern) {
        FcChar8* path = nullptr;
        if (FcPatternGetString(pattern, FC_FILE, 0, &path) != FcResultMatch) return std::nullopt;
        int index = 0;
        if (FcPatternGetInteger(pattern, FC_INDEX, 0, &index) != FcResultMatch) index = 0;
        return FontFile{reinterpret_cast<const char*>(path), index};
    }

    // The last resort when the default names lead nowhere usable: every scalable face fontconfig
    // lists, in file order so that the choice is the same from run to run.
    const Face* any_scalable_face() {
        if (!config_) return nullptr;
        FcPattern* scalable = FcPatternCreate();
        FcPatternAddBool(scalable, FC_SCALABLE, FcTrue);
        FcObjectSet* wanted = FcObjectSetBuild(FC_FILE, FC_INDEX, nullptr);
        FcFontSet* listed = FcFontList(config_, scalable, wanted);
        FcObjectSetDestroy(wanted);
        FcPatternDestroy(scalable);
        if (!listed) return nullptr;

        std::vector<FontFile> files;
        for (int i = 0; i < listed->nfont; ++i) {
            if (auto file = file_of(listed->fonts[i])) files.push_back(*file);
        }
        FcFontSetDestroy(listed);
        std::sort(files.begin(), files.end(), [](const FontFile& a, const FontFile& b) {
            return a.path != b.path ? a.path < b.path : a.index < b.index;
        });
        for (const FontFile& file : files) {
            if (const Face* face = open(file)) return face;
        }
        return nullptr;
    }

    // Opens a file at most once; a file that failed to open, or that is not scalable, is
    // remembered as such and not tried again.
    const Face* open(const FontFile& file) {
        const std::string key = file_key(file);
        if (const auto known = faces_.find(key); known != faces_.end()) return known->second.get();
        if (!freetype_) return nullptr;

        ++files_opened_;
        std::unique_ptr<Face> face;
        if (FT_Face handle = open_face_file(freetype_, file.path, file.index)) {
            if (FT_IS_SCALABLE(handle) && handle->units_per_EM > 0) {
                face = describe(handle, file.path);
            } else {
                FT_Done_Face(handle);
            }
        }
        const Face* opened = face.get();
        faces_.emplace(key, std::move(face));
        return opened;
    }

    static std::unique_ptr<Face> describe(FT_Face handle, const std::string& path) {
        // Faces whose only character map is not Unicode keep FreeType's choice.
        FT_Select_Charmap(handle, FT_ENCODING_UNICODE);

        auto face = std::make_unique<Face>();
        face->handle = handle;
        face->file = path;
        face->family = handle->family_name ? handle->family_name : "";
        face->units_per_em = handle->units_per_EM;
        face->max_advance = handle->max_advance_width;
        face->fixed_width = FT_IS_FIXED_WIDTH(handle);

        const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(handle, FT_SFNT_OS2));
        const bool has_os2 = os2 && os2->version != missing_os2_version;
        if (has_os2 && os2->usWinAscent + os2->usWinDescent > 0) {
            face->cell_ascent = os2->usWinAscent;
            face->cell_descent = os2->usWinDescent;
        } else {
            face->cell_ascent = std::max<int>(0, handle->ascender);
            face->cell_descent = std::max<int>(0, -handle->descender);
        }
        if (face->cell_ascent + face->cell_descent <= 0) {
            face->cell_ascent = static_cast<int>(face->units_per_em * fallback_ascent_share);
            face->cell_descent = static_cast<int>(face->units_per_em * fallback_descent_share);
        }
        if (has_os2) face->average_width = std::max<int>(0, os2->xAvgCharWidth);

        // External leading is the line gap the horizontal header asks for beyond the part of
        // it that the cell already holds.
        const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(handle, FT_SFNT_HHEA));
        const int line_height = hhea ? hhea->Ascender - hhea->Descender + hhea->Line_Gap
                                     : handle->height;
        face->extra_line_gap = std::max(0, line_height - (face->cell_ascent + face->cell_descent));
        return face;
    }

    FT_Library freetype_ = nullptr;
    FcConfig* config_ = nullptr;
    std::map<std::string, std::unique_ptr<Face>> faces_;  // by file and index; null: unusable
    std::map<std::string, const Face*> resolved_;         // by request
    std::string request_key_;
    std::int64_t files_opened_ = 0;
};

void FaceLibraryDeleter::operator()(FaceLibrary* library) const { delete library; }

std::unique_ptr<FaceLibrary, FaceLibraryDeleter> open_face_library() {
    return std::unique_ptr<FaceLibrary, FaceLibraryDeleter>(new FaceLibrary);
}

const Face* find_face(std::string_view face_name, bool fixed_pitch) {
    return font_state().faces->find(face_name, fixed_pitch);
}

std::int64_t face_files_opened() { return font_state().faces->files_opened(); }

}  // namespace kd508::font
