// The guides, connection views and preparation windows, the entry points the main window calls,
// and the simulator's fault menu, on the offscreen platform; a guide page and every picture saved.

#include "control/desktop/guide_window.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include "control/desktop/connection_pictures.h"
#include "control/desktop/connection_view.h"
#include "control/desktop/gas_path_picture.h"
#include "control/desktop/instrument_control.h"
#include "control/desktop/preparation_window.h"
#include "control/desktop/programme_dialog.h"
#include "control/desktop/simulator_menu.h"
#include "control_fixture.h"
#include "sim/simulated_analyser.h"

namespace vespian {
namespace {

using testing::ControlFixture;

class GuidesTest : public ControlFixture {};

TEST_F(GuidesTest, TwoPositionGuideScrollsByThePictureLessTheWindow) {
    GuideWindow w(GuideKind::Tpd);
    EXPECT_EQ(w.windowTitle(), "TPD操作说明");
    EXPECT_EQ(w.size(), QSize(1050, 700));
    EXPECT_EQ(w.scrollBar()->maximum(), 1);
    EXPECT_EQ(w.offset(), 0);
    w.scrollBar()->setValue(1);
    EXPECT_EQ(w.offset(), 1312 - 700);
    QKeyEvent home(QEvent::KeyPress, Qt::Key_Home, Qt::NoModifier);
    QApplication::sendEvent(&w, &home);
    EXPECT_EQ(w.offset(), 0);
    EXPECT_EQ(GuideWindow::picture(GuideKind::Tpd).size(), QSize(1000, 1312));
    savePicture(w.grab().toImage(), "control_guide_tpd.png");
}

TEST_F(GuidesTest, TitrationGuideStepsByTheWindowHeight) {
    GuideWindow w(GuideKind::Titration);
    EXPECT_EQ(w.scrollBar()->maximum(), 5);
    QKeyEvent down(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
    QApplication::sendEvent(&w, &down);
    QApplication::sendEvent(&w, &down);
    EXPECT_EQ(w.offset(), 1200);
    w.scrollBar()->setValue(5);
    EXPECT_EQ(w.offset(), 3000);
    w.scrollBar()->setValue(3);
    savePicture(w.grab().toImage(), "control_guide_titration_page4.png");
}

TEST_F(GuidesTest, PreparationWindowBlinksItsPorts) {
    PreparationWindow w(GuideKind::Tpd);
    EXPECT_EQ(w.windowTitle(), "TPD测试准备");
    EXPECT_EQ(w.size(), QSize(1000, 600));
    EXPECT_EQ(w.blinkTimer()->interval(), 200);
    EXPECT_FALSE(w.lit());
    w.show();
    const QImage dark = w.grab().toImage();
    w.blinkTick();
    EXPECT_TRUE(w.lit());
    EXPECT_EQ(w.blinkTimer()->interval(), 400);
    const QImage lit = w.grab().toImage();
    // The two ports change; the strip between them does not.
    EXPECT_NE(dark.copy(504, 114, 45, 102), lit.copy(504, 114, 45, 102));
    EXPECT_NE(dark.copy(635, 114, 45, 102), lit.copy(635, 114, 45, 102));
    EXPECT_EQ(dark.copy(569, 114, 45, 102), lit.copy(569, 114, 45, 102)) << "treatment 1 is not used in a TPD";
    savePicture(lit, "control_tpd_preparation.png");
    w.blinkTick();
    EXPECT_FALSE(w.lit());
    w.okButton()->click();
    EXPECT_TRUE(w.isVisible()) << "确定 does nothing";
    w.cancelButton()->click();
    EXPECT_FALSE(w.isVisible());
    // The neutral image is the strip itself.
    EXPECT_EQ(portHighlightPicture(GasPort::Carrier, false), portStripPicture().copy(504 - 285, 114 - 30, 45, 102));
}

TEST_F(GuidesTest, EveryPictureIsDrawn) {
    for (GuideKind kind : {GuideKind::Tpd, GuideKind::Tpo, GuideKind::Tpr, GuideKind::Titration}) {
        const QImage& picture = GuideWindow::picture(kind);
        EXPECT_EQ(picture.size(), QSize(guideInfo(kind).pictureWidth, guideInfo(kind).pictureHeight));
        savePicture(picture, QString("control_guide_picture_%1.png").arg(static_cast<int>(kind)).toUtf8().constData());
    }
    ConnectionView rear(ConnectionView::Side::Rear);
    EXPECT_EQ(rear.windowTitle(), "仪器后视接口图");
    EXPECT_EQ(rear.size(), QSize(808, 496));
    ConnectionView right(ConnectionView::Side::Right);
    EXPECT_EQ(right.windowTitle(), "仪器右视接口图");
    EXPECT_EQ(right.size(), QSize(496, 250));
    EXPECT_EQ(right.picture().size(), QSize(496, 224));
    savePicture(rearViewPicture(), "control_rear_view.png");
    savePicture(rightViewPicture(), "control_right_view.png");
    savePicture(gasPathPicture(0), "control_gas_path_picture.png");
    for (GuideKind kind : {GuideKind::Tpo, GuideKind::Tpr, GuideKind::Titration}) {
        PreparationWindow w(kind);
        w.blinkTick();
        savePicture(w.grab().toImage(), QString("control_preparation_%1.png").arg(static_cast<int>(kind)).toUtf8().constData());
    }
}

// Each command opens its window: the window that comes up modally is noted and closed.
TEST_F(GuidesTest, EntryPointsOpenTheirWindows) {
    InstrumentControl windows(context);
    QStringList titles;
    auto closeNext = [&] {
        QTimer::singleShot(0, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr) return;
            titles << modal->windowTitle();
            if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->done(QDialog::Rejected);
        });
    };
    for (int id : {32819, 32821, 32816, 32818, 1025, 1026, 1027, 1028, 32822, 32823, 32824, 32825, 32826, 32827}) {
        closeNext();
        EXPECT_TRUE(windows.openCommand(id)) << id;
    }
    EXPECT_FALSE(windows.openCommand(32813)) << "the injector dialog has its own entry";
    EXPECT_EQ(titles, (QStringList{"程序升温设定", "程序升温设定", "流量设定", "气路控制", "TPD操作说明", "TPO操作说明",
                                   "TPR操作说明", "氢氧滴定操作说明", "仪器后视接口图", "仪器右视接口图", "TPD测试准备",
                                   "TPO测试准备", "TPR测试准备", "氢氧滴定测试准备"}));
    EXPECT_EQ(ProgrammeDialog::openDialog(), nullptr) << "a closed dialog is no longer recorded";
    closeNext();
    EXPECT_FALSE(windows.openInjector().has_value());
    EXPECT_TRUE(sent.empty());
}

TEST_F(GuidesTest, SimulatorMenuProvokesTheFaults) {
    sim::SimulatedAnalyser analyser(3);
    const Command start = StartStream();
    analyser.receive(start.bytes.data(), start.length);
    QMenuBar bar;
    QMenu* menu = addSimulatorMenu(&bar, analyser, 1.0);
    EXPECT_EQ(menu->title(), "模拟仪器");
    QStringList labels;
    for (QAction* a : menu->actions()) {
        if (!a->isSeparator()) labels << a->text();
    }
    ASSERT_EQ(labels.size(), 10);
    EXPECT_EQ(labels[0], "报警1：温度传感器故障");
    EXPECT_EQ(labels[4], "报警10秒后自动解除") << "after \"解除报警\"";
    menu->actions()[0]->trigger();
    std::vector<uint8_t> bytes(sim::kMaxPeriodBytes);
    bytes.resize(analyser.emitPeriod(bytes.data(), bytes.size()));
    bool alarmSeen = false;
    for (size_t i = 0; i + 3 < bytes.size(); i += 4) alarmSeen |= bytes[i] == 0x61 && bytes[i + 1] == 1;
    EXPECT_TRUE(alarmSeen);
    QAction* insert = menu->findChild<QAction*>("simulatorFault8");
    ASSERT_NE(insert, nullptr);
    insert->trigger();
    bytes.resize(sim::kMaxPeriodBytes);
    EXPECT_EQ(analyser.emitPeriod(bytes.data(), bytes.size()), sim::kPeriodBytes + 1);

    // Set to clear by itself, the leak's code is gone after ten seconds (50 periods at 1×).
    auto alarmInPeriod = [&] {
        bytes.resize(sim::kMaxPeriodBytes);
        bytes.resize(analyser.emitPeriod(bytes.data(), bytes.size()));
        for (size_t i = 0; i + 3 < bytes.size(); i += 4) {
            if (bytes[i] == 0x61) return static_cast<int>(bytes[i + 1]);
        }
        return -1;
    };
    menu->findChild<QAction*>("simulatorAlarmSelfClear")->setChecked(true);
    menu->findChild<QAction*>("simulatorFault2")->trigger();
    int periods = 0;
    while (alarmInPeriod() == 3 && periods < 100) ++periods;
    EXPECT_EQ(periods, 50);
    EXPECT_EQ(alarmInPeriod(), 0);
}

}  // namespace
}  // namespace vespian
