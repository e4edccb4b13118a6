// Selecting pens, brushes and bitmaps into device contexts: shapes draw with what the latest
// successful SelectObject put there, refused selections change nothing, and a deleted object
// lives exactly as long as some context still has it selected.
#include <gtest/gtest.h>

#include "gdi/gdi_objects.h"
#include "headless/headless_driver.h"
#include "raster_canvas.h"

namespace {

using kd508::testing::blue;
using kd508::testing::RasterCanvas;
using kd508::testing::red;

class Selection : public ::testing::Test {
protected:
    kd508::headless::Driver driver_;
};

TEST_F(Selection, ShapesDrawWithTheObjectsOfTheLastSuccessfulSelection) {
    RasterCanvas canvas(19, 3);
    HDC dc = canvas.dc();
    const std::size_t objects_before = kd508::platform::live_gdi_object_count();

    // A new context's stock black pen and white brush.
    Rectangle(dc, 0, 0, 3, 3);

    HPEN pen = CreatePen(PS_SOLID, 1, red);
    HBRUSH brush = CreateSolidBrush(blue);
    HGDIOBJ old_pen = SelectObject(dc, pen);
    HGDIOBJ old_brush = SelectObject(dc, brush);
    EXPECT_EQ(old_pen, GetStockObject(BLACK_PEN));
    EXPECT_EQ(old_brush, GetStockObject(WHITE_BRUSH));
    Rectangle(dc, 4, 0, 7, 3);

    // Refused selections leave the red pen and blue brush in place, and deleting the selected
    // pen only marks it.
    HPEN stale = CreatePen(PS_SOLID, 1, 0);
    DeleteObject(stale);
    EXPECT_EQ(SelectObject(dc, stale), nullptr);
    EXPECT_EQ(SelectObject(dc, reinterpret_cast<HGDIOBJ>(dc)), nullptr);
    EXPECT_EQ(SelectObject(dc, nullptr), nullptr);
    EXPECT_EQ(SelectObject(dc, pen), pen) << "selecting the selected pen again returns it";
    EXPECT_TRUE(DeleteObject(pen));
    Rectangle(dc, 8, 0, 11, 3);

    // Putting the old pen back draws with it and frees the deleted one, selected once only
    // however often it was selected.
    EXPECT_EQ(SelectObject(dc, old_pen), pen);
    EXPECT_EQ(kd508::platform::find_gdi_object(pen), nullptr);
    Rectangle(dc, 12, 0, 15, 3);

    // Without a pen the brush covers one pixel less on the right and bottom.
    SelectObject(dc, GetStockObject(NULL_PEN));
    Rectangle(dc, 16, 0, 19, 3);

    EXPECT_EQ(canvas.picture(),
              "###.rrr.rrr.###.bb.\n"
              "#.#.rbr.rbr.#b#.bb.\n"
              "###.rrr.rrr.###....\n");

    SelectObject(dc, old_pen);
    SelectObject(dc, old_brush);
    DeleteObject(brush);
    EXPECT_EQ(kd508::platform::live_gdi_object_count(), objects_before);
}

TEST_F(Selection, ADeletedPenLivesUntilTheLastContextLetsGoOfIt) {
    HDC first = CreateCompatibleDC(nullptr);
    HDC second = CreateCompatibleDC(nullptr);
    const std::size_t objects_before = kd508::platform::live_gdi_object_count();
    HPEN pen = CreatePen(PS_SOLID, 3, red);
    HGDIOBJ stock_pen = SelectObject(first, pen);
    SelectObject(second, pen);
    EXPECT_TRUE(DeleteObject(pen));
    SelectObject(first, stock_pen);
    EXPECT_NE(kd508::platform::find_gdi_object(pen), nullptr) << "still selected in the second context";
    EXPECT_EQ(SelectObject(first, pen), stock_pen) << "a deleted pen can still be selected until it is freed";
    SelectObject(first, stock_pen);
    // Deleting the context lets go of its selections.
    EXPECT_TRUE(DeleteDC(second));
    EXPECT_EQ(kd508::platform::find_gdi_object(pen), nullptr);
    EXPECT_EQ(kd508::platform::live_gdi_object_count(), objects_before);
    EXPECT_EQ(SelectObject(first, pen), nullptr);
    DeleteDC(first);
}

TEST_F(Selection, ShapesGoToTheSelectedBitmapAndABitmapIsSelectedOnce) {
    HDC dc = CreateCompatibleDC(nullptr);
    HDC other = CreateCompatibleDC(nullptr);
    HBITMAP first = CreateCompatibleBitmap(dc, 4, 4);
    HBITMAP second = CreateCompatibleBitmap(dc, 4, 4);
    HBRUSH brush = CreateSolidBrush(blue);
    HGDIOBJ default_bitmap = SelectObject(dc, first);
    ASSERT_NE(default_bitmap, nullptr);
    HGDIOBJ old_pen = SelectObject(dc, GetStockObject(NULL_PEN));
    HGDIOBJ old_brush = SelectObject(dc, brush);
    Rectangle(dc, 0, 0, 3, 3);

    EXPECT_EQ(SelectObject(dc, second), first);
    EXPECT_FALSE(DeleteObject(second)) << "a selected bitmap cannot be deleted";
    SetPixel(dc, 3, 3, red);
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 0, 0)) << "the rectangle stayed on the first bitmap";
    EXPECT_EQ(GetPixel(dc, 3, 3), red);

    // The first bitmap, now in the other context, kept its rectangle and never saw the pixel.
    EXPECT_NE(SelectObject(other, first), nullptr);
    EXPECT_EQ(SelectObject(dc, first), nullptr) << "already selected into the other context";
    EXPECT_EQ(GetPixel(dc, 3, 3), red) << "the refused selection left the second bitmap in place";
    EXPECT_EQ(GetPixel(other, 1, 1), blue);
    EXPECT_EQ(GetPixel(other, 2, 2), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(other, 3, 3), RGB(0, 0, 0));

    // A bitmap goes into memory contexts only.
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(SelectObject(screen, second), nullptr);
    EXPECT_EQ(GetPixel(screen, 0, 0), CLR_INVALID);
    ReleaseDC(nullptr, screen);

    SelectObject(dc, old_pen);
    SelectObject(dc, old_brush);
    DeleteDC(dc);
    DeleteDC(other);
    EXPECT_TRUE(DeleteObject(first));
    EXPECT_TRUE(DeleteObject(second));
    EXPECT_TRUE(DeleteObject(brush));
}

}  // namespace
