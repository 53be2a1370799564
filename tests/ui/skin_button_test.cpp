#include "ui/skin_button.h"

#include <gtest/gtest.h>

#include <QFocusEvent>
#include <QImage>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "ui/pictures.h"

namespace dezadav {
namespace {

// Solid pictures with one colour per face, so the colour of a grabbed pixel tells the face drawn.
class SkinButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_normal = Solid("normal.png", Qt::red);
        m_pressed = Solid("pressed.png", Qt::green);
        m_hover = Solid("hover.png", Qt::blue);
        m_disabled = Solid("disabled.png", Qt::yellow);
    }

    QString Solid(const char* name, QColor colour, QSize size = QSize(80, 23)) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(colour);
        const QString path = m_dir.filePath(QString::fromLatin1(name));
        EXPECT_TRUE(image.save(path));
        return path;
    }

    // Colour drawn at a corner pixel, away from the caption.
    static QColor CornerColour(CSkinButton& button) {
        return QColor(button.grab().toImage().pixel(2, 2));
    }

    static void Send(QWidget& widget, QEvent::Type type, QPoint at, Qt::MouseButton button,
                     Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(at), QPointF(widget.mapToGlobal(at)), button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(&widget, &event);
    }

    void MakeButton(CSkinButton& button) {
        button.SetBitmaps(m_normal, m_pressed, m_hover, m_disabled);
        button.resize(80, 23);
    }

    QTemporaryDir m_dir;
    QString m_normal, m_pressed, m_hover, m_disabled;
};

TEST_F(SkinButtonTest, HoverPressAndDragFollowTheCursor) {
    CSkinButton button;
    MakeButton(button);
    QSignalSpy clicks(&button, &QAbstractButton::clicked);
    const QPoint inside(40, 11);
    const QPoint outside(200, 11);

    EXPECT_EQ(CornerColour(button), QColor(Qt::red));
    EXPECT_EQ(button.CurrentFace(), CSkinButton::Face::Normal);

    Send(button, QEvent::MouseMove, inside, Qt::NoButton, Qt::NoButton);
    EXPECT_TRUE(button.IsHovering());
    EXPECT_EQ(CornerColour(button), QColor(Qt::blue));

    // Pressing ends the hover look and shows the pressed picture.
    Send(button, QEvent::MouseButtonPress, inside, Qt::LeftButton, Qt::LeftButton);
    EXPECT_FALSE(button.IsHovering());
    EXPECT_TRUE(button.IsPressedByMouse());
    EXPECT_EQ(CornerColour(button), QColor(Qt::green));

    // Dragged off: the pressed look goes; dragged back: it returns.
    Send(button, QEvent::MouseMove, outside, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(CornerColour(button), QColor(Qt::red));
    Send(button, QEvent::MouseMove, inside, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(CornerColour(button), QColor(Qt::green));

    // Released outside: no click, resting look.
    Send(button, QEvent::MouseMove, outside, Qt::NoButton, Qt::LeftButton);
    Send(button, QEvent::MouseButtonRelease, outside, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_FALSE(button.IsPressedByMouse());
    EXPECT_EQ(CornerColour(button), QColor(Qt::red));

    // A full click inside counts once, and the mouse leaving clears the hover look.
    Send(button, QEvent::MouseButtonPress, inside, Qt::LeftButton, Qt::LeftButton);
    Send(button, QEvent::MouseButtonRelease, inside, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(clicks.count(), 1);
    Send(button, QEvent::MouseMove, inside, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(CornerColour(button), QColor(Qt::blue));
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&button, &leave);
    EXPECT_FALSE(button.IsHovering());
    EXPECT_EQ(CornerColour(button), QColor(Qt::red));
}

TEST_F(SkinButtonTest, DisabledShowsItsPictureIgnoringHoverAndEmbossesTheCaption) {
    CSkinButton button;
    MakeButton(button);
    Send(button, QEvent::MouseMove, QPoint(40, 11), Qt::NoButton, Qt::NoButton);
    button.setEnabled(false);
    EXPECT_EQ(button.CurrentFace(), CSkinButton::Face::Disabled);
    EXPECT_EQ(CornerColour(button), QColor(Qt::yellow));

    // Without its own disabled picture the normal one is drawn.
    button.SetBitmaps(m_normal, m_pressed, m_hover);
    EXPECT_EQ(CornerColour(button), QColor(Qt::red));

    // On a black face, a large caption leaves both the light copy and the grey caption on screen.
    CSkinButton captioned(QStringLiteral("IIII"));
    const QString black = Solid("black.png", Qt::black, QSize(120, 40));
    captioned.SetBitmaps(black, black, black);
    captioned.resize(120, 40);
    QFont big = captioned.font();
    big.setPixelSize(28);
    big.setBold(true);
    captioned.setFont(big);
    QPalette palette = captioned.palette();
    palette.setColor(QPalette::Light, QColor(255, 255, 255));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(128, 128, 128));
    captioned.setPalette(palette);
    captioned.setEnabled(false);
    const QImage image = captioned.grab().toImage();
    int light = 0;
    int grey = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c(image.pixel(x, y));
            if (c == QColor(255, 255, 255)) ++light;
            if (c == QColor(128, 128, 128)) ++grey;
        }
    }
    EXPECT_GT(light, 0);
    EXPECT_GT(grey, 0);
}

TEST_F(SkinButtonTest, MissingPictureFillsWithButtonColour) {
    CSkinButton button;
    QPalette palette = button.palette();
    palette.setColor(QPalette::Button, QColor(200, 0, 200));
    button.setPalette(palette);
    button.SetBitmaps(m_dir.filePath(QStringLiteral("absent.png")), m_pressed, QString());
    button.resize(80, 23);
    EXPECT_FALSE(button.HasPicture(CSkinButton::Face::Normal));
    EXPECT_EQ(CornerColour(button), QColor(200, 0, 200));

    // Without a hover picture the hover look is never shown.
    Send(button, QEvent::MouseMove, QPoint(40, 11), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(button.CurrentFace(), CSkinButton::Face::Normal);

    // The pressed face still has its own picture.
    Send(button, QEvent::MouseButtonPress, QPoint(40, 11), Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(CornerColour(button), QColor(Qt::green));
}

TEST_F(SkinButtonTest, DoubleClickCountsAsTwoPresses) {
    CSkinButton button;
    MakeButton(button);
    QSignalSpy clicks(&button, &QAbstractButton::clicked);
    const QPoint inside(40, 11);
    Send(button, QEvent::MouseButtonPress, inside, Qt::LeftButton, Qt::LeftButton);
    Send(button, QEvent::MouseButtonRelease, inside, Qt::LeftButton, Qt::NoButton);
    Send(button, QEvent::MouseButtonDblClick, inside, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(CornerColour(button), QColor(Qt::green));
    Send(button, QEvent::MouseButtonRelease, inside, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(clicks.count(), 2);
}

TEST_F(SkinButtonTest, LosingFocusWhileHeldLetsGoWithoutClick) {
    CSkinButton button;
    MakeButton(button);
    QSignalSpy clicks(&button, &QAbstractButton::clicked);
    const QPoint inside(40, 11);
    Send(button, QEvent::MouseButtonPress, inside, Qt::LeftButton, Qt::LeftButton);
    ASSERT_TRUE(button.isDown());
    QFocusEvent focusOut(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(&button, &focusOut);
    EXPECT_FALSE(button.IsPressedByMouse());
    EXPECT_FALSE(button.isDown());

    // The still-held mouse no longer pushes the button, and letting go over it clicks nothing.
    Send(button, QEvent::MouseMove, QPoint(200, 11), Qt::NoButton, Qt::LeftButton);
    Send(button, QEvent::MouseMove, inside, Qt::NoButton, Qt::LeftButton);
    EXPECT_FALSE(button.isDown());
    EXPECT_NE(CornerColour(button), QColor(Qt::green));
    Send(button, QEvent::MouseButtonRelease, inside, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(clicks.count(), 0);
}

TEST_F(SkinButtonTest, KeyboardFocusDrawsAFrameOnEveryFace) {
    CSkinButton button;
    MakeButton(button);
    button.show();
    button.activateWindow();
    button.setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(QTest::qWaitFor([&] { return button.hasFocus(); }, 2000));
    // Pixels of the frame's top edge, three pixels in, that differ from the face's colour.
    auto marked = [&button](QColor face) {
        const QImage image = button.grab().toImage();
        int count = 0;
        for (int x = 0; x < image.width(); ++x) count += QColor(image.pixel(x, 3)) != face ? 1 : 0;
        return count;
    };
    EXPECT_GT(marked(Qt::red), 40);
    Send(button, QEvent::MouseMove, QPoint(40, 11), Qt::NoButton, Qt::NoButton);
    EXPECT_GT(marked(Qt::blue), 40);
    button.setDown(true);
    EXPECT_GT(marked(Qt::green), 40);
    button.setDown(false);
    button.clearFocus();
    EXPECT_EQ(marked(Qt::blue), 0);
}

TEST_F(SkinButtonTest, CaptionIsCentred) {
    CSkinButton button(QStringLiteral("Search Again"));
    const QString white = Solid("white.png", Qt::white, QSize(110, 23));
    button.SetBitmaps(white, white, white);
    button.resize(110, 23);
    const QImage image = button.grab().toImage();
    int left = image.width(), right = -1, top = image.height(), bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (QColor(image.pixel(x, y)) != QColor(Qt::white)) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    ASSERT_GE(right, 0) << "no caption drawn";
    EXPECT_NEAR((left + right) / 2.0, image.width() / 2.0, 3.0);
    EXPECT_NEAR((top + bottom) / 2.0, image.height() / 2.0, 4.0);
}

TEST(SkinPictures, BuiltInSetsHaveTheirSizesAndSharpDoubles) {
    struct Expected {
        SkinBitmaps set;
        QSize size;
    };
    const Expected sets[] = {{MainButtonBitmaps(), QSize(110, 23)},
                             {PageButtonBitmaps(), QSize(103, 23)},
                             {DialogButtonBitmaps(), QSize(80, 23)}};
    for (const Expected& expected : sets) {
        for (const QString& path : {expected.set.normal, expected.set.pressed, expected.set.hover}) {
            SCOPED_TRACE(path.toStdString());
            const QPixmap single = LoadPicture(path, 1.0);
            ASSERT_FALSE(single.isNull());
            EXPECT_EQ(single.size(), expected.size);
            const QPixmap doubled = LoadPicture(path, 2.0);
            ASSERT_FALSE(doubled.isNull());
            EXPECT_EQ(doubled.size(), expected.size * 2);
            EXPECT_EQ(doubled.deviceIndependentSize().toSize(), expected.size);
        }
        // The three faces are different pictures.
        EXPECT_NE(LoadPicture(expected.set.normal, 1.0).toImage(), LoadPicture(expected.set.pressed, 1.0).toImage());
        EXPECT_NE(LoadPicture(expected.set.normal, 1.0).toImage(), LoadPicture(expected.set.hover, 1.0).toImage());
    }
    EXPECT_FALSE(BannerPicture(1.0).isNull());
    EXPECT_FALSE(ProgramIcon().pixmap(32, 32).isNull());
}

TEST(SkinPictures, ScaledScreenWithoutDoubleUsesTheSinglePicture) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage image(10, 5, QImage::Format_RGB32);
    image.fill(Qt::cyan);
    const QString path = dir.filePath(QStringLiteral("only.png"));
    ASSERT_TRUE(image.save(path));
    const QPixmap picture = LoadPicture(path, 2.0);
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), QSize(10, 5));
    EXPECT_TRUE(LoadPicture(dir.filePath(QStringLiteral("none.png")), 2.0).isNull());
}

}  // namespace
}  // namespace dezadav
