#pragma once
// Every picture of the program, drawn in code: toolbar pictograms, the small view-button
// pictures, the splash and about pictures, the banner and the application icon. Flat style,
// antialiased. Call these only while the QApplication exists.

#include <QFont>
#include <QIcon>
#include <QImage>
#include <QPixmap>

#include "platform/desktop/program_font.h"

namespace vespian {

// Toolbar buttons are 30 × 40 pixels.
inline constexpr int kToolbarButtonWidth = 30;
inline constexpr int kToolbarButtonHeight = 40;
inline constexpr int kViewButtonPictureSize = 20;
inline constexpr int kSplashWidth = 468;
inline constexpr int kSplashHeight = 338;
inline constexpr int kAboutWidth = 520;
inline constexpr int kAboutHeight = 370;
// The about picture's credits strip, which the about box scrolls.
inline constexpr int kAboutStripLeft = 10;
inline constexpr int kAboutStripTop = 260;
inline constexpr int kAboutStripWidth = 400;
inline constexpr int kAboutStripHeight = 100;
// The banner strip repeats itself after this many pixels, so its scrolling wraps seamlessly.
inline constexpr int kBannerPeriod = 1420;
inline constexpr int kBannerWindowWidth = 100;
inline constexpr int kBannerHeight = 44;

// The pictogram of a toolbar command (a neutral pictogram for a command without one). Holds a
// 30 × 40 pixmap for the toolbar and square ones for menus.
QIcon commandIcon(int commandId);

// The 20 × 20 picture of a drawn view button (transparent background); buttons without a
// picture of their own give a transparent pixmap.
QPixmap viewButtonPicture(int index);

// 468 × 338; the strip from y = 296 down is left plain for the progress bar.
QPixmap splashPicture();

// 520 × 370, with the credits in the strip at (10, 260), 400 × 100, on white.
QPixmap aboutPicture();

// The banner's scrolling trace: kBannerPeriod + kBannerWindowWidth wide, 44 high; columns x and
// x + kBannerPeriod are identical.
QImage bannerStrip();
// The label laid over the banner trace (black where it adds nothing), at most 105 wide.
QImage bannerOverlay();

QIcon applicationIcon();

}  // namespace vespian
