#pragma once

#include <QColor>
#include <QPixmap>
#include <QPushButton>
#include <QString>

class QPainter;

#include "ui/pictures.h"

namespace dezadav {

// The push button every dialog and page uses: it shows a picture that changes when the mouse is
// over it and while it is pressed, with the caption centred on top in the application font.
//
// Faces: disabled (the disabled picture, embossed grey caption), pressed (while the button is down,
// which follows the cursor while the mouse button is held), hover (while the mouse is over it) and
// normal. A face whose picture is missing is filled with the palette's button colour instead. The
// pictures are drawn unscaled at the top-left corner, in device-independent pixels; on scaled
// screens the "@2x" pictures are used. A double-click counts as a second press; losing the focus
// while held lets go of the press without a click. While the button has the keyboard focus a dotted
// frame is drawn inside its edge, whatever the face; Enter or Space then presses it.
class CSkinButton : public QPushButton {
    Q_OBJECT

public:
    enum class Face { Normal, Pressed, Hover, Disabled };

    explicit CSkinButton(QWidget* parent = nullptr);
    explicit CSkinButton(const QString& caption, QWidget* parent = nullptr);

    // Drops the pictures held so far, then loads each non-empty path (resource or file). An empty
    // disabled path makes the disabled picture the normal one. A path that cannot be read leaves
    // that face without a picture.
    void SetBitmaps(const QString& normal, const QString& pressed, const QString& hover,
                    const QString& disabled = QString());
    void SetBitmaps(const SkinBitmaps& set);

    // The face the next paint draws, and whether it has a picture (false: button colour fill).
    Face CurrentFace() const;
    bool HasPicture(Face face) const;

    bool IsHovering() const { return m_hovering; }
    bool IsPressedByMouse() const { return m_pressedByMouse; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    static constexpr int kFocusInset = 3;  // pixels between the edge and the focus frame

    void DrawFocusFrame(QPainter& painter) const;
    const QPixmap& Picture(Face face) const;
    void ReloadPictures(qreal devicePixelRatio) const;

    QString m_paths[4];               // by Face; the disabled entry may repeat the normal path
    mutable QPixmap m_pictures[4];    // loaded for m_loadedRatio
    mutable qreal m_loadedRatio = 0;  // 0: nothing loaded yet
    bool m_hovering = false;
    bool m_pressedByMouse = false;
    QColor m_textColour;  // the palette's button text when the button was made
};

}  // namespace dezadav
