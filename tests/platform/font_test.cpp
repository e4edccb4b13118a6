// The font layer on its own: faces, cell metrics, the glyph cache and the blending kernels.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H
#include <unistd.h>

#include "font/face_file.h"
#include "font/face_library.h"
#include "font/glyph_blend.h"
#include "font/sized_font.h"
#include "core/platform_state.h"
#include "core/windows_1252.h"

namespace kd508::font {
namespace {

using kd508::platform::unicode_from_windows_1252;

SizedFont& sans(int height) { return sized_font(FontRequest{height, false, ""}); }
SizedFont& mono(int height) { return sized_font(FontRequest{height, true, ""}); }

TEST(Windows1252, MapsTheUpperControlRangeThroughTheCodePage) {
    EXPECT_EQ(unicode_from_windows_1252(0x80), U'\u20AC');
    EXPECT_EQ(unicode_from_windows_1252(0x85), U'\u2026');
    EXPECT_EQ(unicode_from_windows_1252(0x9F), U'\u0178');
    // Undefined positions and everything outside the range keep their value.
    for (unsigned char undefined : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
        EXPECT_EQ(unicode_from_windows_1252(undefined), char32_t{undefined});
    }
    EXPECT_EQ(unicode_from_windows_1252('\n'), U'\n');
    EXPECT_EQ(unicode_from_windows_1252('A'), U'A');
    EXPECT_EQ(unicode_from_windows_1252(0x7F), U'\u007F');
    EXPECT_EQ(unicode_from_windows_1252(0xA0), U'\u00A0');
    EXPECT_EQ(unicode_from_windows_1252(0xE9), U'\u00E9');
    EXPECT_EQ(unicode_from_windows_1252(0xFF), U'\u00FF');
}

TEST(FaceLibrary, FindsScalableDefaultFacesAndFallsBackForUnknownNames) {
    const Face* sans_face = find_face("", false);
    const Face* mono_face = find_face("", true);
    ASSERT_NE(sans_face, nullptr);
    ASSERT_NE(mono_face, nullptr);
    EXPECT_GT(sans_face->units_per_em, 0);
    EXPECT_GT(sans_face->cell_ascent + sans_face->cell_descent, 0);

    EXPECT_EQ(find_face("KD508-font", false), sans_face);
    EXPECT_EQ(find_face("no such face at all", false), sans_face);
    // A family the machine has is taken by name, whatever pitch was asked for.
    EXPECT_EQ(find_face(mono_face->family, false), mono_face);
    // Names are compared without regard to case.
    std::string shouted = mono_face->family;
    for (char& c : shouted) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(find_face(shouted, false), mono_face);
}

TEST(FaceLibrary, OpensEachFileOnceForTheProcess) {
    find_face("", false);
    find_face("", true);
    const auto opened = face_files_opened();
    for (int i = 0; i < 100; ++i) {
        find_face("KD508-font", false);
        find_face("", true);
        sized_font(FontRequest{-(i % 40) - 1, i % 2 == 0, "KD508-font"});
    }
    EXPECT_EQ(face_files_opened(), opened);
}

TEST(FaceLibrary, AResetOfTheLayerClosesItsFacesAndLetsItsGlyphsGo) {
    // Each reset must leave the font layer as a process start does: a reset that kept the faces
    // or the glyphs would carry one test case's fonts into the next.
    const auto draw_once = [] {
        SizedFont& font = sans(-20);
        font.glyph('R');
        return font.metrics().cell_height;
    };
    platform::reset_platform(nullptr);
    const int cell_height = draw_once();
    const auto opened = face_files_opened();
    const auto rendered = glyphs_rendered();
    const auto held = glyph_coverage_held();
    ASSERT_GT(opened, 0);
    ASSERT_GT(held, std::size_t{0});

    platform::reset_platform(nullptr);
    EXPECT_EQ(face_files_opened(), 0);
    EXPECT_EQ(glyphs_rendered(), 0);
    EXPECT_EQ(glyph_coverage_held(), std::size_t{0});
    // The same request opens its face and renders its glyph afresh, to the same measures.
    EXPECT_EQ(draw_once(), cell_height);
    EXPECT_EQ(face_files_opened(), opened);
    EXPECT_EQ(glyphs_rendered(), rendered);
    EXPECT_EQ(glyph_coverage_held(), held);
}

// The descriptors open on `path`.
int descriptors_on(const std::string& path) {
    namespace fs = std::filesystem;
    int descriptors = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        if (fs::read_symlink(entry.path(), error) == fs::path(path)) ++descriptors;
    }
    return descriptors;
}

// A face reads its file through one descriptor kept for the process and never maps it: a mapped
// file brings the pages around everything the face looks at into the process.
TEST(FaceLibrary, ReadsEachFileThroughOneDescriptorWithoutMappingIt) {
    const Face* face = find_face("", false);
    ASSERT_NE(face, nullptr);
    // Drawing reads outlines from the file after it was opened.
    const Glyph& glyph = sans(-30).glyph('W');
    EXPECT_GT(glyph.width, 0);

    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) EXPECT_EQ(line.find(face->file), std::string::npos) << line;
    EXPECT_EQ(descriptors_on(face->file), 1);
}

// Opening a face file either gives a face whose descriptor goes with it, or nothing and no
// descriptor left open, whatever the path names.
TEST(FaceFile, LeavesNoDescriptorOpenWhenThereIsNoFaceAndClosesItWithTheFace) {
    namespace fs = std::filesystem;
    FT_Library freetype = nullptr;
    ASSERT_EQ(FT_Init_FreeType(&freetype), 0);
    const fs::path directory = fs::temp_directory_path() / ("kd508-face-file-" + std::to_string(getpid()));
    fs::create_directories(directory);
    const fs::path empty = directory / "empty.ttf";
    const fs::path not_a_font = directory / "words.ttf";
    std::ofstream(empty).close();
    std::ofstream(not_a_font) << "no font here, only words long enough for a font header\n";

    for (const fs::path& path : {directory, empty, not_a_font, directory / "missing.ttf"}) {
        EXPECT_EQ(open_face_file(freetype, path.string(), 0), nullptr) << path;
        EXPECT_EQ(descriptors_on(path.string()), 0) << path;
    }

    const Face* known = find_face("", false);
    ASSERT_NE(known, nullptr);
    const int before = descriptors_on(known->file);
    FT_Face face = open_face_file(freetype, known->file, 0);
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(face->units_per_EM, known->units_per_em);
    EXPECT_EQ(FT_Load_Char(face, 'W', FT_LOAD_NO_BITMAP), 0);
    EXPECT_GT(face->glyph->metrics.width, 0);
    EXPECT_EQ(descriptors_on(known->file), before + 1);
    // A face index the file does not have gives nothing and closes its descriptor.
    EXPECT_EQ(open_face_file(freetype, known->file, 1000), nullptr);
    EXPECT_EQ(descriptors_on(known->file), before + 1);
    FT_Done_Face(face);
    EXPECT_EQ(descriptors_on(known->file), before);

    FT_Done_FreeType(freetype);
    fs::remove_all(directory);
}

// A request that differs from the one before in any one respect gets the font for itself, not
// the last one's, and asking again after another request gets the same font back.
TEST(SizedFontRequests, EachRequestGetsItsOwnFontWhateverCameBefore) {
    const Face* mono_face = find_face("", true);
    ASSERT_NE(mono_face, nullptr);
    SizedFont& small = sans(-12);
    SizedFont& large = sans(-30);
    SizedFont& fixed = mono(-12);
    SizedFont& named = sized_font(FontRequest{-12, false, mono_face->family});
    EXPECT_NE(&small, &large);
    EXPECT_NE(&small, &fixed);
    EXPECT_NE(&small, &named);
    EXPECT_EQ(&sans(-12), &small);
    EXPECT_EQ(&sans(-12), &small);
    EXPECT_EQ(&mono(-12), &fixed);
    EXPECT_EQ(&sans(-30), &large);
    EXPECT_EQ(&sized_font(FontRequest{-12, false, mono_face->family}), &named);
    EXPECT_EQ(&sans(-12), &small);
}

TEST(CellMetrics, NegativeHeightAsksForCharacterHeight) {
    for (int em : {5, 12, 127}) {
        SCOPED_TRACE(em);
        const FontMetrics& metrics = sans(-em).metrics();
        EXPECT_EQ(metrics.ascent + metrics.descent, metrics.cell_height);
        // The cell holds the em and a little more, never less.
        EXPECT_GE(metrics.cell_height, em);
        EXPECT_LE(metrics.cell_height, em * 3 / 2 + 1);
        EXPECT_EQ(metrics.internal_leading, metrics.cell_height - em);
        EXPECT_GT(metrics.ascent, metrics.descent);
        EXPECT_GT(metrics.average_width, 0);
        EXPECT_GE(metrics.max_width, metrics.average_width);
    }
    EXPECT_LT(sans(-12).metrics().cell_height, sans(-127).metrics().cell_height);
}

TEST(CellMetrics, PositiveHeightAsksForTheCellAndZeroForTheDefault) {
    for (int cell : {1, 7, 16, 40, 300}) {
        SCOPED_TRACE(cell);
        const FontMetrics& metrics = sans(cell).metrics();
        EXPECT_EQ(metrics.cell_height, cell);
        EXPECT_EQ(metrics.ascent + metrics.descent, cell);
    }
    EXPECT_EQ(sans(0).metrics().cell_height, default_cell_height);
    EXPECT_EQ(mono(0).metrics().cell_height, default_cell_height);
}

TEST(CellMetrics, ExtremeHeightsAreHeldToTheLargestSize) {
    for (int height : {INT_MIN, INT_MIN + 1, -largest_height - 1, INT_MAX}) {
        SCOPED_TRACE(height);
        const FontMetrics& metrics = sans(height).metrics();
        EXPECT_GT(metrics.cell_height, 0);
        EXPECT_LE(metrics.cell_height, largest_height * 2);
    }
    EXPECT_EQ(sans(INT_MAX).metrics().cell_height, largest_height);
}

TEST(Glyphs, FixedPitchFontHasOneAdvanceForEveryByte) {
    SizedFont& font = mono(0);
    EXPECT_TRUE(font.metrics().fixed_pitch);
    const int advance = font.advance('M');
    EXPECT_GT(advance, 0);
    EXPECT_EQ(font.metrics().average_width, advance);
    for (int byte = 0; byte < 256; ++byte) {
        EXPECT_EQ(font.advance(static_cast<unsigned char>(byte)), advance) << "byte " << byte;
    }
}

TEST(Glyphs, ProportionalFontHasNarrowAndWideLetters) {
    SizedFont& font = sans(-20);
    EXPECT_FALSE(font.metrics().fixed_pitch);
    EXPECT_LT(font.advance('i'), font.advance('W'));
}

TEST(Glyphs, ControlBytesDrawAsTheMissingGlyphAndStillAdvance) {
    SizedFont& font = sans(-16);
    const Glyph& newline = font.glyph('\n');
    const Glyph& other_control = font.glyph(0x01);
    EXPECT_GT(newline.advance, 0);
    EXPECT_EQ(newline.advance, other_control.advance);
    EXPECT_EQ(newline.coverage, other_control.coverage);
    // The euro sign is a real glyph in the upper range, not the missing box.
    EXPECT_NE(font.glyph(0x80).coverage, newline.coverage);
}

TEST(Glyphs, InkStaysInsideTheCellForOrdinaryLetters) {
    for (int height : {-5, -12, -127, 0}) {
        SCOPED_TRACE(height);
        SizedFont& font = sans(height);
        const FontMetrics& metrics = font.metrics();
        for (unsigned char byte : {'M', 'g', 'j', 'y', 'b', 'A', '_'}) {
            const Glyph& glyph = font.glyph(byte);
            EXPECT_GE(metrics.ascent - glyph.top, 0) << byte;
            EXPECT_LE(metrics.ascent - glyph.top + glyph.rows, metrics.cell_height) << byte;
        }
    }
}

TEST(Glyphs, RenderedOncePerSizeThenReused) {
    SizedFont& font = sans(-33);
    const Glyph& first = font.glyph('Q');
    const auto rendered = glyphs_rendered();
    const Glyph& again = sized_font(FontRequest{-33, false, "KD508-font"}).glyph('Q');
    EXPECT_EQ(&first, &again);
    EXPECT_EQ(glyphs_rendered(), rendered);

    // Another size is another glyph.
    sans(-34).glyph('Q');
    EXPECT_EQ(glyphs_rendered(), rendered + 1);
}

TEST(Glyphs, KeptCoverageStaysBoundedWhateverSizesAndBytesAreDrawn) {
    // Every byte at the largest heights holds far more coverage than the limit; the glyphs kept
    // are let go as it is reached, and those drawn afterwards are still whole.
    std::size_t largest_glyph = 0;
    for (int height : {largest_height, -largest_height, largest_height - 1, -(largest_height - 7)}) {
        SizedFont& font = sans(height);
        for (int byte = 0; byte < 256; ++byte) {
            const Glyph& glyph = font.glyph(static_cast<unsigned char>(byte));
            ASSERT_EQ(glyph.coverage.size(), static_cast<std::size_t>(glyph.width) * static_cast<std::size_t>(glyph.rows));
            largest_glyph = std::max(largest_glyph, glyph.coverage.size());
            ASSERT_LE(glyph_coverage_held(), glyph_coverage_limit() + largest_glyph) << height << " " << byte;
        }
    }
    EXPECT_GT(largest_glyph, std::size_t{0});
    const Glyph& again = sans(largest_height).glyph('W');
    EXPECT_GT(again.rows, largest_height / 2);
}

TEST(Glyphs, CoverageIsUnsmoothed) {
    const Glyph& glyph = sans(-40).glyph('O');
    ASSERT_EQ(glyph.coverage.size(), static_cast<std::size_t>(glyph.width * glyph.rows));
    int inked = 0;
    for (std::uint8_t value : glyph.coverage) {
        EXPECT_TRUE(value == 0 || value == 255) << int{value};
        inked += value == 255;
    }
    EXPECT_GT(inked, 40);
}

TEST(Glyphs, InkMaskHoldsExactlyTheInkedPixels) {
    // A face has the glyphs at every size as a mask drawn instead of the coverage; a mask that
    // missed a pixel or held one too many would change text everywhere.
    for (int height : {-12, -100}) {
        const Glyph& glyph = sans(height).glyph('W');
        ASSERT_GT(glyph.rows, 0);
        ASSERT_EQ(glyph.ink.size(), static_cast<std::size_t>(ink_mask_words(glyph.width) * glyph.rows));
        for (int y = 0; y < glyph.rows; ++y) {
            for (int x = 0; x < glyph.width; ++x) {
                const bool bit = (glyph.ink[static_cast<std::size_t>(y * ink_mask_words(glyph.width) + x / 64)] >> (x % 64)) & 1;
                ASSERT_EQ(bit, glyph.coverage[static_cast<std::size_t>(y * glyph.width + x)] == 255) << x << "," << y;
            }
        }
    }
}

TEST(Faces, DefaultFacesAreMetricCompatibleWithTheWindowsDefaultsAheadOfDejaVu) {
    const Face* liberation_sans = find_face("Liberation Sans", false);
    const Face* liberation_mono = find_face("Liberation Mono", true);
    if (liberation_sans == nullptr || liberation_mono == nullptr) GTEST_SKIP() << "needs fonts-liberation2";
    EXPECT_EQ(find_face("KD508", false), liberation_sans);
    EXPECT_EQ(find_face("", false), liberation_sans);
    EXPECT_EQ(find_face("", true), liberation_mono);
    // A face that is installed is still taken by its name.
    if (const Face* dejavu = find_face("DejaVu Sans", false)) {
        EXPECT_EQ(dejavu->family, "DejaVu Sans");
    }
}

// Run once more by CTest with fontconfig pointed at an empty configuration: text must still
// measure, with a cell of the usual proportions, and draw nothing.
TEST(WithoutFaces, TextStillMeasuresAndDrawsNoInk) {
    if (!std::getenv("KD508_FONT_TEST_WITHOUT_FACES")) GTEST_SKIP() << "needs a machine without fonts";
    EXPECT_EQ(find_face("", false), nullptr);
    EXPECT_EQ(find_face("", true), nullptr);
    SizedFont& font = sans(-12);
    EXPECT_EQ(font.metrics().ascent + font.metrics().descent, font.metrics().cell_height);
    EXPECT_GE(font.metrics().cell_height, 12);
    EXPECT_EQ(sans(0).metrics().cell_height, default_cell_height);
    EXPECT_GT(font.advance('a'), 0);
    EXPECT_GT(font.advance('\n'), 0);
    EXPECT_TRUE(font.glyph('a').coverage.empty());
    EXPECT_EQ(face_files_opened(), 0);
}

// ---- kernels ------------------------------------------------------------------------------

constexpr raster::Pixel white = 0xFFFFFF;
constexpr raster::Pixel red = 0xFF0000;

struct Canvas {
    std::vector<raster::Pixel> pixels;
    raster::Surface surface;
    Canvas(int width, int height) : pixels(static_cast<std::size_t>(width * height), white) {
        surface = raster::Surface{pixels.data(), width, height, width};
    }
    raster::Pixel at(int x, int y) const { return pixels[static_cast<std::size_t>(y * surface.stride + x)]; }
    int count(raster::Pixel colour) const {
        int n = 0;
        for (raster::Pixel p : pixels) n += p == colour;
        return n;
    }
};

TEST(BlendKernel, MixesColourByCoverage) {
    Canvas canvas(4, 1);
    const std::uint8_t coverage[] = {0, 128, 255};
    const TouchedArea area = blend_coverage(canvas.surface, 1, 0, coverage, 3, 1, red);
    EXPECT_EQ(canvas.at(0, 0), white);
    EXPECT_EQ(canvas.at(1, 0), white);          // no coverage leaves the pixel
    EXPECT_EQ(canvas.at(2, 0), 0xFF7F7Fu);      // half of red over white
    EXPECT_EQ(canvas.at(3, 0), red);
    EXPECT_EQ(area.left, 1);
    EXPECT_EQ(area.right, 4);
}

TEST(BlendKernel, MixedChannelsRoundToNearest) {
    // Black at coverage 100 over a channel of 1 leaves 155/255 of it, which rounds up to 1.
    Canvas canvas(1, 1);
    canvas.pixels[0] = 0x010101;
    const std::uint8_t coverage[] = {100};
    blend_coverage(canvas.surface, 0, 0, coverage, 1, 1, 0x000000);
    EXPECT_EQ(canvas.at(0, 0), 0x010101u);
}

TEST(BlendKernel, ClipsAtEveryEdge) {
    Canvas canvas(3, 3);
    const std::vector<std::uint8_t> full(25, 255);
    const TouchedArea area = blend_coverage(canvas.surface, -1, -1, full.data(), 5, 5, red);
    EXPECT_EQ(canvas.count(red), 9);
    EXPECT_EQ(area.left, 0);
    EXPECT_EQ(area.top, 0);
    EXPECT_EQ(area.right, 3);
    EXPECT_EQ(area.bottom, 3);

    // Only the corner pixel of a bitmap hanging off the bottom right.
    Canvas corner(3, 3);
    blend_coverage(corner.surface, 2, 2, full.data(), 5, 5, red);
    EXPECT_EQ(corner.count(red), 1);
    EXPECT_EQ(corner.at(2, 2), red);
}

TEST(BlendKernel, FarPositionsTouchNothing) {
    Canvas canvas(3, 3);
    const std::vector<std::uint8_t> full(4, 255);
    for (std::int64_t far : {std::int64_t{INT_MIN}, std::int64_t{INT_MAX}, std::int64_t{INT_MIN} - 600,
                             std::int64_t{INT_MAX} + 600}) {
        EXPECT_TRUE(blend_coverage(canvas.surface, far, 0, full.data(), 2, 2, red).empty());
        EXPECT_TRUE(blend_coverage(canvas.surface, 0, far, full.data(), 2, 2, red).empty());
        EXPECT_TRUE(fill_box(canvas.surface, far, far, far + 10, far + 10, red).empty());
    }
    EXPECT_EQ(canvas.count(red), 0);
    // A box from far left to far right fills the whole row band it covers.
    fill_box(canvas.surface, INT_MIN, 1, INT_MAX, 2, red);
    EXPECT_EQ(canvas.count(red), 3);
}

TEST(BlendKernel, ReversedOrEmptyBoxesFillNothing) {
    Canvas canvas(4, 4);
    EXPECT_TRUE(fill_box(canvas.surface, 3, 0, 1, 4, red).empty());
    EXPECT_TRUE(fill_box(canvas.surface, 1, 1, 1, 3, red).empty());
    EXPECT_TRUE(blend_coverage(canvas.surface, 0, 0, nullptr, 2, 2, red).empty());
    EXPECT_EQ(canvas.count(red), 0);
}

TEST(InkMask, OneBitPerFullPixelInWordsOf64Columns) {
    const std::uint8_t row[] = {255, 0, 255, 128};
    EXPECT_EQ(ink_mask(row, 4, 1), std::vector<std::uint64_t>{0b0101});
    // Column 64 starts a second word of the row; the next row starts its own first word.
    std::vector<std::uint8_t> wide(2 * 65, 0);
    wide[0] = wide[63] = wide[64] = 255;
    wide[65 + 1] = 255;
    EXPECT_EQ(ink_mask(wide.data(), 65, 2),
              (std::vector<std::uint64_t>{(std::uint64_t{1} << 63) | 1, 1, 0b10, 0}));
    EXPECT_EQ(ink_mask_words(64), 1);
    EXPECT_EQ(ink_mask_words(65), 2);
    EXPECT_TRUE(ink_mask(nullptr, 4, 1).empty());
    EXPECT_TRUE(ink_mask(row, 0, 1).empty());
}

TEST(InkMask, PartialCoverageIsFoundAnywhere) {
    const std::uint8_t binary[] = {0, 255, 255, 0};
    const std::uint8_t partial_last[] = {0, 255, 255, 1};
    const std::uint8_t partial_first[] = {254, 0, 0, 0};
    EXPECT_FALSE(has_partial_coverage(binary, 2, 2));
    EXPECT_TRUE(has_partial_coverage(partial_last, 2, 2));
    EXPECT_TRUE(has_partial_coverage(partial_first, 4, 1));
    // Only the bitmap's own bytes count.
    EXPECT_FALSE(has_partial_coverage(partial_last, 3, 1));
    EXPECT_FALSE(has_partial_coverage(partial_first, 0, 1));
}

// A bitmap of full and no coverage drawn from its ink mask and blended from its coverage, each
// on a canvas of its own: the pixels and the reported area must be the same.
void expect_mask_draws_as_coverage(const std::vector<std::uint8_t>& coverage, int width, int rows,
                                   std::int64_t left, std::int64_t top) {
    SCOPED_TRACE(::testing::Message() << "at " << left << "," << top);
    Canvas by_coverage(70, 5);
    Canvas by_mask(70, 5);
    const TouchedArea expected = blend_coverage(by_coverage.surface, left, top, coverage.data(), width, rows, red);
    const std::vector<std::uint64_t> mask = ink_mask(coverage.data(), width, rows);
    const TouchedArea area = blend_ink_mask(by_mask.surface, left, top, width, rows, mask.data(), red);
    EXPECT_EQ(by_mask.pixels, by_coverage.pixels);
    EXPECT_EQ(area.left, expected.left);
    EXPECT_EQ(area.top, expected.top);
    EXPECT_EQ(area.right, expected.right);
    EXPECT_EQ(area.bottom, expected.bottom);
}

TEST(BlendKernel, InkMaskDrawsWhatCoverageDrawsAtEveryEdge) {
    // Three rows of a small glyph: inked first and last columns, an empty row, a full row.
    const std::vector<std::uint8_t> small = {255, 0, 0, 255, 0, 0, 0, 0, 255, 255, 255, 255};
    for (const auto& [left, top] : std::vector<std::pair<std::int64_t, std::int64_t>>{
             {3, 1}, {-1, 0}, {-3, -2}, {67, 2}, {66, 4}, {0, -1}, {-4, 0}, {70, 0}, {0, 5}}) {
        expect_mask_draws_as_coverage(small, 4, 3, left, top);
    }
    // Two words a row: ink on both sides of column 64 and at the last column, clipped on the
    // left inside the first word, on the right inside the second, and beyond a whole word.
    std::vector<std::uint8_t> wide(2 * 70, 0);
    for (int x : {0, 1, 62, 63, 64, 65, 69}) wide[static_cast<std::size_t>(x)] = 255;
    for (int x : {5, 63, 66}) wide[static_cast<std::size_t>(70 + x)] = 255;
    for (const auto& [left, top] : std::vector<std::pair<std::int64_t, std::int64_t>>{
             {0, 0}, {-1, 1}, {-63, 0}, {-64, 3}, {-66, 0}, {1, 0}, {6, 2}, {-2, -1}}) {
        expect_mask_draws_as_coverage(wide, 70, 2, left, top);
    }
    for (std::int64_t far : {std::int64_t{INT_MIN} - 600, std::int64_t{INT_MAX} + 600}) {
        expect_mask_draws_as_coverage(wide, 70, 2, far, 0);
        expect_mask_draws_as_coverage(wide, 70, 2, 0, far);
    }
}

TEST(BlendKernel, UnitedAreaHoldsBoth) {
    const TouchedArea a{1, 2, 3, 4};
    const TouchedArea b{5, 0, 6, 1};
    const TouchedArea both = united(a, b);
    EXPECT_EQ(both.left, 1);
    EXPECT_EQ(both.top, 0);
    EXPECT_EQ(both.right, 6);
    EXPECT_EQ(both.bottom, 4);
    EXPECT_EQ(united(TouchedArea{}, a).left, 1);
    EXPECT_EQ(united(a, TouchedArea{}).right, 3);
}

}  // namespace
}  // namespace kd508::font
