// vespian-icon: writes the program's icon, as the window shows it (artwork.h), into a hicolor
// icon-theme tree for installation: FOLDER/<n>x<n>/apps/vespian2002.png. Run while building.

#include <QGuiApplication>
#include <QDir>
#include <QIcon>
#include <QPixmap>
#include <cstdio>

#include "app/desktop/artwork.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: vespian-icon FOLDER\n");
        return 1;
    }
    const QIcon icon = vespian::applicationIcon();
    for (int side : {16, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[1])).arg(side);
        const QPixmap picture = icon.pixmap(side, side);
        if (!QDir().mkpath(folder) || picture.width() != side ||
            !picture.save(folder + QStringLiteral("/vespian2002.png"), "PNG")) {
            std::fprintf(stderr, "vespian-icon: cannot write the %d-pixel icon into %s\n", side, argv[1]);
            return 1;
        }
    }
    return 0;
}
