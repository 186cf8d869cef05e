// The program's command line as the operator meets it in a terminal.

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>

namespace vespian {
namespace {

TEST(DesktopProgramCommandLine, HelpAnswersInTheTerminalWithoutADisplay) {
    // No display at all, and the platform that needs one: a window would fail to start.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    environment.insert("QT_QPA_PLATFORM", "xcb");
    for (const char* option : {"--help", "-h"}) {
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(VESPIAN_PROGRAM, {option});
        ASSERT_TRUE(program.waitForFinished(30000)) << option;
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
        const QString out = QString::fromUtf8(program.readAllStandardOutput());
        EXPECT_TRUE(out.startsWith("用法: vespian2002")) << out.toStdString();
        for (const char* listed : {"--simulator", "--port", "--replay", "--capture", "--help"}) {
            EXPECT_TRUE(out.contains(listed)) << listed;
        }
    }
}

}  // namespace
}  // namespace vespian
