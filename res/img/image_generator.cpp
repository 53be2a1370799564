// Draws every picture the window uses: the three button sets (normal, pressed, hover), the banner
// and the program icon, each at 1x and 2x. Run it after changing a picture:
//     dezadav-imagegen <output folder>
// The PNG files it writes are committed next to it and compiled into the widgets library.
#include <QColor>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QString>
#include <cstdio>

namespace {

struct ButtonLook {
    const char* state;
    QColor top;
    QColor bottom;
    QColor border;
    QColor gloss;  // thin highlight line under the top border
    bool sunken;
};

const ButtonLook kLooks[] = {
    {"normal", QColor(0xf7, 0xfa, 0xfd), QColor(0xcf, 0xdd, 0xee), QColor(0x6f, 0x8f, 0xb8),
     QColor(255, 255, 255, 200), false},
    {"hover", QColor(0xff, 0xfa, 0xe8), QColor(0xfb, 0xd7, 0x8c), QColor(0xc7, 0x8d, 0x24),
     QColor(255, 255, 255, 220), false},
    {"pressed", QColor(0xb9, 0xcd, 0xe6), QColor(0xe4, 0xed, 0xf7), QColor(0x45, 0x6c, 0x9e),
     QColor(0, 0, 0, 0), true},
};

struct ButtonSet {
    const char* name;
    int width;
    int height;
};

const ButtonSet kSets[] = {{"main", 110, 23}, {"page", 103, 23}, {"dialog", 80, 23}};

QImage NewImage(int width, int height, int scale) {
    QImage image(width * scale, height * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QImage DrawButton(const ButtonSet& set, const ButtonLook& look, int scale) {
    QImage image = NewImage(set.width, set.height, scale);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    const QRectF frame(0.5, 0.5, set.width - 1.0, set.height - 1.0);
    QPainterPath path;
    path.addRoundedRect(frame, 3.5, 3.5);

    QLinearGradient fill(0, 0, 0, set.height);
    fill.setColorAt(0.0, look.top);
    fill.setColorAt(0.48, look.sunken ? look.top : look.top.darker(103));
    fill.setColorAt(0.52, look.sunken ? look.bottom.darker(102) : look.bottom.lighter(104));
    fill.setColorAt(1.0, look.bottom);
    p.fillPath(path, fill);

    if (look.sunken) {
        // An inner shadow along the top and left edges makes the face look pushed in.
        QLinearGradient shade(0, 0, 0, 5);
        shade.setColorAt(0.0, QColor(0, 0, 0, 70));
        shade.setColorAt(1.0, QColor(0, 0, 0, 0));
        p.fillPath(path, shade);
    } else {
        p.setPen(QPen(look.gloss, 1.0));
        p.drawLine(QPointF(3.5, 1.5), QPointF(set.width - 3.5, 1.5));
    }
    p.setPen(QPen(look.border, 1.0));
    p.drawPath(path);
    return image;
}

QImage DrawBanner(int scale) {
    const int width = 706;
    const int height = 91;
    QImage image = NewImage(width, height, scale);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(scale, scale);

    QLinearGradient sky(0, 0, width, height);
    sky.setColorAt(0.0, QColor(0x0d, 0x2c, 0x5a));
    sky.setColorAt(0.55, QColor(0x17, 0x5a, 0x9c));
    sky.setColorAt(1.0, QColor(0x1f, 0x8f, 0xa8));
    p.fillRect(QRectF(0, 0, width, height), sky);

    // Signal waves spreading from the right: the program talks to a router over the network.
    const QPointF source(width - 70.0, height / 2.0);
    for (int ring = 1; ring <= 7; ++ring) {
        const double radius = ring * 22.0;
        p.setPen(QPen(QColor(255, 255, 255, 90 - ring * 10), 2.0));
        p.drawArc(QRectF(source.x() - radius, source.y() - radius, 2 * radius, 2 * radius), 100 * 16,
                  160 * 16);
    }
    QRadialGradient glow(source, 26);
    glow.setColorAt(0.0, QColor(255, 255, 255, 230));
    glow.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.setBrush(glow);
    p.setPen(Qt::NoPen);
    p.drawEllipse(source, 26, 26);

    // A row of small "packets" along the bottom.
    p.setBrush(QColor(255, 255, 255, 60));
    for (int i = 0; i < 34; ++i) {
        const double x = 18 + i * 14.0;
        const double h = 3 + ((i * 7) % 5);
        p.drawRoundedRect(QRectF(x, height - 10 - h, 8, h), 1.5, 1.5);
    }

    QFont title(QStringLiteral("DejaVu Sans"));
    title.setPixelSize(34);
    title.setBold(true);
    p.setFont(title);
    p.setPen(QColor(0, 0, 0, 90));
    p.drawText(QPointF(25, 49), QStringLiteral("Dezadav"));
    p.setPen(Qt::white);
    p.drawText(QPointF(23, 47), QStringLiteral("Dezadav"));
    // The subtitle under the name is the window's text, in the language shown (Banner_Subtitle).
    return image;
}

QImage DrawIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);

    QPainterPath tile;
    tile.addRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    QLinearGradient fill(0, 0, 0, 64);
    fill.setColorAt(0.0, QColor(0x2a, 0x7d, 0xd1));
    fill.setColorAt(1.0, QColor(0x10, 0x3f, 0x7a));
    p.fillPath(tile, fill);
    p.setPen(QPen(QColor(0x0a, 0x2b, 0x55), 1.5));
    p.drawPath(tile);

    // Router body with two aerials, and waves above it.
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(12, 38, 40, 13), 3, 3);
    p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(18, 38), QPointF(15, 26));
    p.drawLine(QPointF(46, 38), QPointF(49, 26));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x3c, 0xd0, 0x70));
    p.drawEllipse(QPointF(19, 44.5), 2.2, 2.2);
    p.drawEllipse(QPointF(26, 44.5), 2.2, 2.2);
    p.setBrush(Qt::NoBrush);
    for (int ring = 0; ring < 3; ++ring) {
        const double r = 6 + ring * 6.0;
        p.setPen(QPen(QColor(255, 255, 255, 235 - ring * 45), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(32 - r, 30 - r, 2 * r, 2 * r), 50 * 16, 80 * 16);
    }
    return image;
}

bool Save(const QImage& image, const QDir& folder, const QString& name) {
    const QString path = folder.filePath(name);
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral("."))) return 1;

    bool ok = true;
    for (const ButtonSet& set : kSets) {
        for (const ButtonLook& look : kLooks) {
            const QString base = QStringLiteral("button_%1_%2").arg(QLatin1String(set.name), QLatin1String(look.state));
            ok &= Save(DrawButton(set, look, 1), folder, base + QStringLiteral(".png"));
            ok &= Save(DrawButton(set, look, 2), folder, base + QStringLiteral("@2x.png"));
        }
    }
    ok &= Save(DrawBanner(1), folder, QStringLiteral("banner.png"));
    ok &= Save(DrawBanner(2), folder, QStringLiteral("banner@2x.png"));
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        ok &= Save(DrawIcon(size), folder, QStringLiteral("icon_%1.png").arg(size));
    }
    return ok ? 0 : 1;
}
