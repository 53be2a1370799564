#include "ui/pictures.h"

#include <QApplication>
#include <QFile>
#include <QIconEngine>
#include <QImageReader>
#include <QPainter>
#include <QPixmapCache>
#include <QStyle>
#include <QStyleOption>
#include <array>

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

// Every picture of the program is a PNG file: read as one, without asking each image-format plugin of
// the system whether it knows the contents better, which loads every one of them (and the libraries
// they bring) while the window is being built.
QPixmap DecodePng(const QString& path) {
    QImageReader reader(path, QByteArrayLiteral("png"));
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
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
    // Every skinned button of a kind shows the same pictures: each file is decoded once and shared.
    const QString key = QStringLiteral("dezadav:%1@%2").arg(path).arg(devicePixelRatio);
    QPixmap picture;
    if (QPixmapCache::find(key, &picture)) return picture;
    if (devicePixelRatio > 1.0) {
        const int dot = path.lastIndexOf(QLatin1Char('.'));
        const QString doubled =
            dot < 0 ? path + QStringLiteral("@2x") : path.left(dot) + QStringLiteral("@2x") + path.mid(dot);
        if (QFile::exists(doubled)) {
            picture = DecodePng(doubled);
            if (!picture.isNull()) picture.setDevicePixelRatio(2.0);
        }
    }
    if (picture.isNull()) {
        picture = DecodePng(path);
        if (!picture.isNull()) picture.setDevicePixelRatio(1.0);
    }
    if (!picture.isNull()) QPixmapCache::insert(key, picture);
    return picture;
}

namespace {

constexpr std::array<int, 7> kIconSizes{16, 24, 32, 48, 64, 128, 256};

// The program's icon, each size decoded only when something draws it. A QIcon made of files decodes
// every file as it is added; the window, the tray and the application each take the icon while the
// program starts, before any of them is shown, which cost the start 21 picture decodings.
class ProgramIconEngine : public QIconEngine {
public:
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
        const int wanted = std::max(size.width(), size.height());
        int file = kIconSizes.back();
        for (int available : kIconSizes) {
            if (available >= wanted) {
                file = available;
                break;
            }
        }
        QPixmap picture = Picture(file);
        if (picture.size() != size && !size.isEmpty())
            picture = picture.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        if (mode != QIcon::Normal && qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr) {
            QStyleOption option;
            const QPixmap styled = QApplication::style()->generatedIconPixmap(mode, picture, &option);
            if (!styled.isNull()) picture = styled;
        }
        return picture;
    }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        const int side = std::min({size.width(), size.height(), kIconSizes.back()});
        return QSize(side, side);
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (int size : kIconSizes) sizes.append(QSize(size, size));
        return sizes;
    }
    QIconEngine* clone() const override { return new ProgramIconEngine; }
    QString key() const override { return QStringLiteral("DezadavProgramIcon"); }

private:
    // Decoded pictures are kept for the program's life: a few kilobytes each, drawn again and again.
    static QPixmap Picture(int size) {
        static std::array<QPixmap, kIconSizes.size()> decoded;
        for (std::size_t i = 0; i < kIconSizes.size(); ++i) {
            if (kIconSizes[i] != size) continue;
            if (decoded[i].isNull()) {
                InitUiImages();
                decoded[i] = DecodePng(QStringLiteral(":/img/icon_%1.png").arg(size));
            }
            return decoded[i];
        }
        return QPixmap();
    }
};

}  // namespace

QIcon ProgramIcon() {
    return QIcon(new ProgramIconEngine);
}

QPixmap BannerPicture(qreal devicePixelRatio) {
    return LoadPicture(QStringLiteral(":/img/banner.png"), devicePixelRatio);
}

}  // namespace dezadav
