#include "ui/pictures.h"

#include <QFile>

// The pictures are compiled into an object library that a static library carries; naming its
// initialiser keeps the linker from dropping it. Q_INIT_RESOURCE must stand outside any namespace.
static void InitImageResources() { Q_INIT_RESOURCE(images); }

namespace dezadav {

namespace {

SkinBitmaps SetOf(const char* name) {
    const QString base = QStringLiteral(":/img/button_%1_").arg(QLatin1String(name));
    return SkinBitmaps{base + QStringLiteral("normal.png"), base + QStringLiteral("pressed.png"),
                       base + QStringLiteral("hover.png"), QString()};
}

}  // namespace

SkinBitmaps MainButtonBitmaps() { return SetOf("main"); }
SkinBitmaps PageButtonBitmaps() { return SetOf("page"); }
SkinBitmaps DialogButtonBitmaps() { return SetOf("dialog"); }

void InitUiImages() {
    static const bool done = (InitImageResources(), true);
    (void)done;
}

QPixmap LoadPicture(const QString& path, qreal devicePixelRatio) {
    InitUiImages();
    if (path.isEmpty()) return QPixmap();
    if (devicePixelRatio > 1.0) {
        const int dot = path.lastIndexOf(QLatin1Char('.'));
        const QString doubled =
            dot < 0 ? path + QStringLiteral("@2x") : path.left(dot) + QStringLiteral("@2x") + path.mid(dot);
        if (QFile::exists(doubled)) {
            QPixmap picture(doubled);
            if (!picture.isNull()) {
                picture.setDevicePixelRatio(2.0);
                return picture;
            }
        }
    }
    QPixmap picture(path);
    if (!picture.isNull()) picture.setDevicePixelRatio(1.0);
    return picture;
}

QIcon ProgramIcon() {
    InitUiImages();
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/img/icon_%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

QPixmap BannerPicture(qreal devicePixelRatio) {
    return LoadPicture(QStringLiteral(":/img/banner.png"), devicePixelRatio);
}

}  // namespace dezadav
