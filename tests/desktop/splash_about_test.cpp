#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QScreen>
#include <QThread>

#include <functional>
#include <set>
#include <vector>

#include "app/command_ids.h"
#include "app/desktop/about_box.h"
#include "app/desktop/artwork.h"
#include "app/desktop/banner.h"
#include "app/desktop/splash_window.h"
#include "paint_count.h"

namespace vespian {
namespace {

const QRgb kBarColour = qRgb(0, 200, 255);

// Runs the event loop until the condition holds or the time is up.
bool waitFor(const std::function<bool()>& condition, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    return true;
}

QPoint screenCentredTopLeft(QSize size) {
    const QRect area = QGuiApplication::primaryScreen()->geometry();
    return {area.left() + (area.width() - size.width()) / 2, area.top() + (area.height() - size.height()) / 2};
}

// ---- splash window -----------------------------------------------------------------------

TEST(SplashWindow, FramelessAndCentredOnTheScreen) {
    SplashWindow splash;
    EXPECT_EQ(splash.size(), QSize(468, 338));
    EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(splash.pos(), screenCentredTopLeft(QSize(468, 338)));
}

TEST(SplashWindow, BarHasABlackFrameWhiteInsideAndItsText) {
    SplashWindow splash;
    splash.show();
    splash.setTotal(1000);
    const QImage image = splash.grab().toImage();
    EXPECT_EQ(image.pixel(10, 310), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(269, 329), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(140, 310), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(10, 320), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(11, 311), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(268, 328), qRgb(255, 255, 255));
    // The text, centred: black pixels inside the bar, on both sides of its middle.
    int left = 0, right = 0;
    for (int y = 311; y < 329; ++y)
        for (int x = 11; x < 269; ++x)
            if (image.pixel(x, y) == qRgb(0, 0, 0)) (x < 140 ? left : right)++;
    EXPECT_GT(left, 40);
    EXPECT_GT(right, 40);
    EXPECT_NEAR(left, right, (left + right) / 3);
    // Outside the bar the picture is untouched by it.
    EXPECT_NE(image.pixel(9, 320), qRgb(0, 0, 0));
}

TEST(SplashWindow, StepsColourTheBarFromTheLeftAndKeepTheText) {
    SplashWindow splash;
    splash.show();
    splash.setTotal(10);
    const QImage before = splash.grab().toImage();
    for (int i = 0; i < 3; ++i) splash.step();
    QImage image = splash.grab().toImage();
    for (int x = 11; x < 14; ++x) EXPECT_EQ(image.pixel(x, 312), kBarColour) << x;
    EXPECT_EQ(image.pixel(14, 312), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(10, 312), qRgb(0, 0, 0));  // frame stays

    for (int i = 0; i < 400; ++i) splash.step();
    image = splash.grab().toImage();
    int white = 0;
    int textKept = 0;
    int textBefore = 0;
    for (int y = 311; y < 329; ++y)
        for (int x = 11; x < 269; ++x) {
            if (image.pixel(x, y) == qRgb(255, 255, 255)) ++white;
            if (before.pixel(x, y) == qRgb(0, 0, 0)) {
                ++textBefore;
                if (image.pixel(x, y) == qRgb(0, 0, 0)) ++textKept;
            }
        }
    EXPECT_EQ(white, 0);
    EXPECT_EQ(textKept, textBefore);
    EXPECT_EQ(image.pixel(269, 320), qRgb(0, 0, 0));  // right frame not overpainted

    // A new total starts from an empty bar.
    splash.setTotal(1000);
    EXPECT_EQ(splash.grab().toImage().pixel(11, 312), qRgb(255, 255, 255));
}

// The steps are cheap: the window repaints at most once every kRepaintIntervalMs, however many
// steps fall in between (counted, so a busy machine cannot make it pass or fail).
TEST(SplashWindow, AScreenfulOfStepsRepaintsOnlyEveryFewMilliseconds) {
    SplashWindow splash;
    splash.show();
    QApplication::processEvents();
    splash.setTotal(4000);
    testing::PaintCount count(&splash);
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 4000; ++i) splash.step();
    const qint64 elapsed = clock.elapsed();
    EXPECT_LE(count.paints(), elapsed / SplashWindow::kRepaintIntervalMs + 1) << elapsed << " ms";
    EXPECT_EQ(splash.progress().drawnBlocks(), 258);
}

TEST(SplashWindow, Screenshot) {
    SplashWindow splash;
    splash.show();
    splash.setTotal(1280);
    for (int i = 0; i < 700; ++i) splash.step();
    QApplication::processEvents();
    EXPECT_TRUE(splash.grab().save(VESPIAN_BUILD_DIR "/splash_window.png"));
}

// ---- about box -----------------------------------------------------------------------------

TEST(AboutScroll, ScrollsUpThenReentersFromEightyRowsBelow) {
    AboutScroll scroll;
    EXPECT_EQ(scroll.sourceRow, 0);
    EXPECT_EQ(scroll.offset, 0);
    EXPECT_EQ(scroll.height(), 100);
    scroll.tick();
    EXPECT_EQ(scroll.sourceRow, 1);
    EXPECT_EQ(scroll.offset, 0);
    for (int i = 0; i < 98; ++i) scroll.tick();
    EXPECT_EQ(scroll.sourceRow, 99);
    EXPECT_EQ(scroll.offset, 0);
    scroll.tick();  // the 100th: out of sight, start again from below
    EXPECT_EQ(scroll.sourceRow, 0);
    EXPECT_EQ(scroll.offset, 80);
    EXPECT_EQ(scroll.height(), 20);
    scroll.tick();
    EXPECT_EQ(scroll.sourceRow, 0);
    EXPECT_EQ(scroll.offset, 79);
    for (int i = 0; i < 79; ++i) scroll.tick();
    EXPECT_EQ(scroll.sourceRow, 0);
    EXPECT_EQ(scroll.offset, 0);
    scroll.tick();
    EXPECT_EQ(scroll.sourceRow, 1);
    EXPECT_EQ(scroll.offset, 0);
}

TEST(AboutBox, CentredAndClosedByALeftButtonRelease) {
    AboutBox box;
    EXPECT_EQ(box.size(), QSize(520, 370));
    EXPECT_EQ(box.pos(), screenCentredTopLeft(QSize(520, 370)));
    box.show();
    const QPointF at(300, 200);
    QMouseEvent right(QEvent::MouseButtonRelease, at, box.mapToGlobal(at), Qt::RightButton, Qt::NoButton,
                      Qt::NoModifier);
    QApplication::sendEvent(&box, &right);
    EXPECT_TRUE(box.isVisible());
    QMouseEvent left(QEvent::MouseButtonRelease, at, box.mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&box, &left);
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(box.result(), QDialog::Accepted);
}

// The strip as the box must show it for the current scroll state: credits rows from the source
// row on, drawn offset rows below the strip's top, white beyond the credits.
void expectStripDrawn(const AboutBox& box, const QImage& picture) {
    const AboutScroll& s = box.scroll();
    for (int r = 0; r < s.height(); r += 3) {
        const int source = s.sourceRow + r;
        for (int x = 0; x < 400; x += 7) {
            const QRgb expected = source < 100 ? picture.pixel(10 + x, 260 + source) : qRgb(255, 255, 255);
            ASSERT_EQ(box.canvas().pixel(10 + x, 260 + s.offset + r), expected)
                << "row " << s.sourceRow << " offset " << s.offset << " r " << r << " x " << x;
        }
    }
}

TEST(AboutBox, CapturesTheCreditsOnceAfterASecondThenScrollsThem) {
    AboutBox::forgetCredits();
    const QImage picture = aboutPicture().toImage().convertToFormat(QImage::Format_RGB32);
    {
        AboutBox box;
        box.show();
        EXPECT_TRUE(box.grab().save(VESPIAN_BUILD_DIR "/about_box.png"));
        // Nothing moves during the first second.
        waitFor([] { return false; }, 600);
        EXPECT_FALSE(AboutBox::creditsCaptured());
        EXPECT_EQ(box.scroll().sourceRow, 0);
        ASSERT_TRUE(waitFor([] { return AboutBox::creditsCaptured(); }, 5000));
        ASSERT_TRUE(waitFor([&] { return box.scroll().sourceRow > 0; }, 3000));
        // Step by hand through a whole cycle, checking the drawing as it scrolls out and back in.
        bool sawReentry = false;
        for (int i = 0; i < 185; ++i) {
            box.scrollTick();
            if (box.scroll().offset > 0) sawReentry = true;
            if (i % 9 == 0 || box.scroll().offset == 80 || box.scroll().sourceRow == 99) expectStripDrawn(box, picture);
        }
        EXPECT_TRUE(sawReentry);
    }
    // A later opening scrolls at once, from the credits captured the first time.
    AboutBox again;
    again.show();
    EXPECT_TRUE(waitFor([&] { return again.scroll().sourceRow > 0; }, 700));
}

// ---- banner --------------------------------------------------------------------------------

TEST(Banner, SourceColumnAdvancesTwoPixelsAndWrapsAfter1420) {
    EXPECT_EQ(bannerSourceColumn(0), 0);
    EXPECT_EQ(bannerSourceColumn(1), 2);
    EXPECT_EQ(bannerSourceColumn(709), 1418);
    EXPECT_EQ(bannerSourceColumn(710), 1420);
    EXPECT_EQ(bannerSourceColumn(711), 0);
    EXPECT_EQ(bannerSourceColumn(712), 2);
    EXPECT_EQ(bannerSourceColumn(711LL * 1000000 + 5), 10);
}

TEST(Banner, CopiesTheStripColumnAndOrsTheLabelTenRowsLower) {
    // A strip whose pixels name their column; a label that adds blue 0x80.
    QImage strip(1520, 44, QImage::Format_RGB32);
    for (int y = 0; y < 44; ++y)
        for (int x = 0; x < 1520; ++x) strip.setPixel(x, y, qRgb(x & 0xFF, (x >> 8) & 0xFF, 0x01));
    QImage overlay(105, 12, QImage::Format_RGB32);
    overlay.fill(qRgb(0, 0, 0x80));
    overlay.setPixel(3, 2, qRgb(0, 0, 0));  // black adds nothing
    const Banner banner(strip, overlay);

    const QImage image = banner.render(300);  // column 600
    ASSERT_EQ(image.size(), QSize(100, 44));
    EXPECT_EQ(image.pixel(5, 5), qRgb((605) & 0xFF, 605 >> 8, 0x01));
    EXPECT_EQ(image.pixel(50, 9), qRgb((650) & 0xFF, 650 >> 8, 0x01));
    EXPECT_EQ(image.pixel(50, 10), qRgb((650) & 0xFF, 650 >> 8, 0x81));
    EXPECT_EQ(image.pixel(98, 21), qRgb((698) & 0xFF, 698 >> 8, 0x81));
    EXPECT_EQ(image.pixel(3, 12), qRgb((603) & 0xFF, 603 >> 8, 0x01));
    EXPECT_EQ(image.pixel(50, 22), qRgb((650) & 0xFF, 650 >> 8, 0x01));  // below the label
    // The frame: dark grey top and left, white bottom and right.
    EXPECT_EQ(image.pixel(0, 0), qRgb(80, 80, 80));
    EXPECT_EQ(image.pixel(60, 0), qRgb(80, 80, 80));
    EXPECT_EQ(image.pixel(0, 30), qRgb(80, 80, 80));
    EXPECT_EQ(image.pixel(60, 43), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(99, 30), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(99, 43), qRgb(255, 255, 255));
    // At the last column the window shows the strip's last 100 pixels.
    EXPECT_EQ(banner.render(710).pixel(98, 5), qRgb(1518 & 0xFF, 1518 >> 8, 0x01));
}

TEST(Banner, ProgramStripRepeatsSoTheWrapIsSeamless) {
    const QImage strip = bannerStrip();
    ASSERT_GE(strip.width(), 1520);
    ASSERT_EQ(strip.height(), 44);
    EXPECT_LE(bannerOverlay().width(), 105);
    for (int y = 0; y < 44; ++y)
        for (int x = 0; x < 100; ++x) ASSERT_EQ(strip.pixel(x, y), strip.pixel(x + 1420, y)) << x << "," << y;
    const Banner banner;
    EXPECT_EQ(banner.render(710), banner.render(0));
    EXPECT_NE(banner.render(10), banner.render(0));
}

// ---- artwork ---------------------------------------------------------------------------------

// How many pixels of a picture are drawn (not transparent).
int opaquePixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 128) ++count;
    return count;
}

TEST(Artwork, EveryToolbarCommandHasAPictogramOfItsOwn) {
    const int commands[] = {kCmdNewDatabase, kCmdOpen, kCmdSave, kCmdPrint, kCmdZeroSignal, kCmdRestoreSignal,
                            kCmdManualPeak, kCmdReadout, kCmdDeleteStretch, kCmdZoomIn, kCmdZoomOut, kCmdZoomBox,
                            kCmdSettings, kCmdTemperatureProgram, kCmdFlowSetting, kCmdGasPath, kCmdInvertPolarity,
                            kCmdStartMeasurement, kCmdStopMeasurement, kCmdCalibration, kCmdClearTrace,
                            kCmdComparisonMethod, kCmdBetMethod, kCmdShowStandards, kCmdShowComparisonSamples,
                            kCmdShowBetSamples};
    std::vector<QImage> seen;
    seen.push_back(commandIcon(1).pixmap(QSize(30, 40)).toImage());  // the neutral one
    for (int command : commands) {
        const QImage image = commandIcon(command).pixmap(QSize(30, 40)).toImage();
        ASSERT_EQ(image.size(), QSize(30, 40)) << command;
        EXPECT_GT(opaquePixels(image), 60) << command;
        for (const QImage& other : seen) EXPECT_NE(image, other) << command;
        seen.push_back(image);
    }
    EXPECT_FALSE(commandIcon(kCmdSettings).pixmap(QSize(24, 24)).isNull());
}

TEST(Artwork, ViewButtonsHaveTheirOwnPicturesAndTheUnusedAreBlank) {
    std::vector<QImage> seen;
    for (int index : {0, 1, 2, 3, 4, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 20}) {
        const QImage image = viewButtonPicture(index).toImage();
        ASSERT_EQ(image.size(), QSize(20, 20)) << index;
        EXPECT_GT(opaquePixels(image), 40) << index;
        for (const QImage& other : seen) EXPECT_NE(image, other) << index;
        seen.push_back(image);
    }
    for (int index : {5, 16, 19}) EXPECT_EQ(opaquePixels(viewButtonPicture(index).toImage()), 0) << index;
}

TEST(Artwork, SplashLeavesTheBarStripPlainAndAboutHasAWhiteCreditsStrip) {
    const QImage splash = splashPicture().toImage();
    ASSERT_EQ(splash.size(), QSize(468, 338));
    const QRgb plain = splash.pixel(0, 300);
    for (int y = 300; y < 338; ++y)
        for (int x = 0; x < 468; ++x) ASSERT_EQ(splash.pixel(x, y), plain) << x << "," << y;

    const QImage about = aboutPicture().toImage();
    ASSERT_EQ(about.size(), QSize(520, 370));
    int white = 0, dark = 0;
    for (int y = 260; y < 360; ++y)
        for (int x = 10; x < 410; ++x) {
            const QRgb pixel = about.pixel(x, y);
            if (pixel == qRgb(255, 255, 255)) ++white;
            if (qGray(pixel) < 100) ++dark;
        }
    EXPECT_GT(white, 400 * 100 * 3 / 4);
    EXPECT_GT(dark, 300);  // the credits are written there
    EXPECT_FALSE(applicationIcon().pixmap(QSize(32, 32)).isNull());
}

}  // namespace
}  // namespace vespian
