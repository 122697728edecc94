#pragma once
// Where things are on the maximised main window (1920 x 1080 screen, the
// default skin): the points a user clicks and the areas a user looks at.
// Taken from the skin layouts and checked on screenshots.

#include "tests/support/scenario/ScreenPixels.h"

namespace kelvara::test::spots {

struct Spot
{
    int x;
    int y;
};

// Title bar, tool bar, status bar.
constexpr Spot kCloseBox{1899, 14};
constexpr Spot kSnap{49, 60};
constexpr Spot kSnapMenu{100, 60};
constexpr Spot kRecord{159, 60};
constexpr Spot kToolbarGap{700, 60};  // empty tool bar: takes the focus, does nothing
constexpr Spot kOutputBarSwitch{1768, 1060};
constexpr ScreenRect kStatusText{10, 1046, 900, 28};
constexpr ScreenRect kStatusTextTail{300, 1046, 600, 28};  // empty while the text is short

// The snap menu: entries, then the items of their sub-menus.
constexpr Spot kMenuFileFormat{150, 140};
constexpr Spot kMenuSeries{150, 170};
constexpr int kSubMenuX = 340;
constexpr Spot kFormatItem[4] = {{360, 140}, {360, 170}, {360, 200}, {360, 230}};  // TIFF PNG BMP JPEG
constexpr Spot kSeriesStart{330, 170};

// The live picture.
constexpr ScreenRect kPreview{0, 92, 1598, 950};
constexpr ScreenRect kPreviewMiddle{400, 300, 800, 500};
// Left of a 4:3 picture, inside a 16:9 one (output bar hidden).
constexpr ScreenRect kPreviewLeftEdge{40, 500, 80, 120};

// Side bar, camera page.
constexpr Spot kCameraTab{1679, 49};
constexpr Spot kMeasureTab{1834, 49};
constexpr Spot kCameraRow[3] = {{1640, 113}, {1640, 133}, {1640, 153}};
constexpr ScreenRect kCameraRowArea[3] = {{1610, 104, 290, 18}, {1610, 124, 290, 18}, {1610, 144, 290, 18}};
constexpr Spot kPreviewDrawer{1700, 254};
// With the preview drawer open (as after opening a camera).
constexpr Spot kSizeCombo{1757, 316};
constexpr Spot kSizeItem[3] = {{1720, 343}, {1720, 365}, {1720, 387}};  // 640x480, 1280x720, 1920x1080
constexpr Spot kFormatCombo{1757, 373};
constexpr Spot kFormatItemMjpg{1720, 399};
constexpr Spot kFormatItemYuy2{1720, 421};
constexpr ScreenRect kFormatComboText{1630, 362, 200, 22};
constexpr Spot kColourDrawerBelowPreview{1700, 484};
// With only the colour drawer open.
constexpr Spot kColourDrawer{1700, 359};
constexpr Spot kBrightnessThumbMiddle{1758, 418};
constexpr Spot kBrightnessTrackEnd{1890, 418};
constexpr int kSliderPitch = 50;  // brightness, contrast, saturation, hue, gamma, sharpness
constexpr int kGammaRow = 4;
constexpr int kVendorGammaThumbX = 1693;  // the simulated vendor camera's default gamma
constexpr Spot kDefaultsButton{1680, 1019};

// Side bar, measure page.
constexpr Spot kToolMove{1632, 127};
constexpr Spot kToolLine{1782, 127};
constexpr Spot kToolCircle{1682, 173};
constexpr Spot kToolAngle{1882, 173};
constexpr Spot kDeleteAll{1632, 265};
constexpr ScreenRect kCalibrationCombo{1608, 342, 305, 28};
constexpr Spot kCalibrationEdit{1894, 356};
// The calibration view.
constexpr Spot kCalibrationName{1824, 396};
constexpr Spot kCalibrationLength{1783, 429};
constexpr Spot kCalibrationUnit{1871, 429};
constexpr Spot kUnitMillimetre{1860, 499};
constexpr Spot kCalibrationAdd{1758, 524};
constexpr Spot kCalibrationBack{1640, 93};
// The calibration line as placed on a 640 x 480 picture, and the long
// ticks of the stage micrometer (100 picture pixels apart, 1.98 screen
// pixels per picture pixel).
constexpr Spot kCalibrationLineStart{216, 567};
constexpr Spot kCalibrationLineEnd{415, 567};
constexpr int kScreenPerPicturePixel100 = 198;

// The output bar (shown by kOutputBarSwitch).
constexpr Spot kExportCsv{1569, 919};
constexpr Spot kExportScreenshot{1569, 968};

}  // namespace kelvara::test::spots
