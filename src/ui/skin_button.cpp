#include "ui/skin_button.h"

#include <QFocusEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

namespace dezadav {

namespace {

int Index(CSkinButton::Face face) { return static_cast<int>(face); }

}  // namespace

CSkinButton::CSkinButton(QWidget* parent) : CSkinButton(QString(), parent) {}

CSkinButton::CSkinButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    m_textColour = palette().color(QPalette::ButtonText);
    // Hover needs move events without a held button.
    setMouseTracking(true);
    setAttribute(Qt::WA_NoSystemBackground);
    // Enter presses the button that has the keyboard focus, in a dialog as on the desktop; with the
    // focus elsewhere it presses the dialog's default button.
    setAutoDefault(true);
    setFocusPolicy(Qt::StrongFocus);
}

void CSkinButton::SetBitmaps(const QString& normal, const QString& pressed, const QString& hover,
                             const QString& disabled) {
    m_paths[Index(Face::Normal)] = normal;
    m_paths[Index(Face::Pressed)] = pressed;
    m_paths[Index(Face::Hover)] = hover;
    m_paths[Index(Face::Disabled)] = disabled.isEmpty() ? normal : disabled;
    for (QPixmap& picture : m_pictures) picture = QPixmap();
    m_loadedRatio = 0;
    updateGeometry();
    update();
}

void CSkinButton::SetBitmaps(const SkinBitmaps& set) { SetBitmaps(set.normal, set.pressed, set.hover, set.disabled); }

void CSkinButton::ReloadPictures(qreal devicePixelRatio) const {
    for (int i = 0; i < 4; ++i) m_pictures[i] = LoadPicture(m_paths[i], devicePixelRatio);
    m_loadedRatio = devicePixelRatio;
}

const QPixmap& CSkinButton::Picture(Face face) const {
    const qreal ratio = devicePixelRatioF();
    if (m_loadedRatio != ratio) ReloadPictures(ratio);
    return m_pictures[Index(face)];
}

bool CSkinButton::HasPicture(Face face) const { return !Picture(face).isNull(); }

CSkinButton::Face CSkinButton::CurrentFace() const {
    if (!isEnabled()) return Face::Disabled;
    if (isDown()) return Face::Pressed;
    // A hover face without a picture falls back to the normal one, as if there were no hover.
    if (m_hovering && HasPicture(Face::Hover)) return Face::Hover;
    return Face::Normal;
}

QSize CSkinButton::sizeHint() const {
    const QPixmap& normal = Picture(Face::Normal);
    if (normal.isNull()) return QPushButton::sizeHint();
    return normal.deviceIndependentSize().toSize();
}

void CSkinButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const Face face = CurrentFace();
    const QPixmap& picture = Picture(face);
    if (picture.isNull()) {
        painter.fillRect(rect(), palette().color(QPalette::Button));
    } else {
        painter.drawPixmap(0, 0, picture);
    }

    if (hasFocus()) DrawFocusFrame(painter);

    const QString caption = text();
    if (caption.isEmpty()) return;
    painter.setFont(font());
    painter.setClipRect(rect());
    const QFontMetrics metrics(font());
    // The caption's mnemonic ("&Apply", "应用(&A)") is drawn underlined, its marker not at all.
    QString shown = caption;
    shown.replace(QStringLiteral("&&"), QStringLiteral("\x01"))
        .remove(QLatin1Char('&'))
        .replace(QLatin1Char('\x01'), QLatin1Char('&'));
    const int textWidth = metrics.horizontalAdvance(shown);
    const QRect place((width() - textWidth) / 2, (height() - metrics.height()) / 2, textWidth + 1,
                      metrics.height());
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic | Qt::TextSingleLine;
    if (face == Face::Disabled) {
        // Embossed: a light copy one pixel down and right, the grey caption on top.
        painter.setPen(palette().color(QPalette::Light));
        painter.drawText(place.translated(1, 1), flags, caption);
        painter.setPen(palette().color(QPalette::Disabled, QPalette::ButtonText));
        painter.drawText(place, flags, caption);
    } else {
        // The caption stays where it is when the button is pressed.
        painter.setPen(m_textColour);
        painter.drawText(place, flags, caption);
    }
}

void CSkinButton::DrawFocusFrame(QPainter& painter) const {
    // Dark dashes over light ones: the frame shows on any picture, light or dark, in every face.
    const QRect frame = rect().adjusted(kFocusInset, kFocusInset, -kFocusInset - 1, -kFocusInset - 1);
    painter.save();
    painter.setPen(QPen(Qt::white, 1));
    painter.drawRect(frame);
    QPen dashes(Qt::black, 1, Qt::CustomDashLine);
    dashes.setDashPattern({1, 1});
    painter.setPen(dashes);
    painter.drawRect(frame);
    painter.restore();
}

void CSkinButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        if (m_hovering) {
            m_hovering = false;
            update();
        }
        m_pressedByMouse = true;
    }
    QPushButton::mousePressEvent(event);
}

void CSkinButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) m_pressedByMouse = false;
    QPushButton::mouseReleaseEvent(event);
}

void CSkinButton::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second click of a double-click is a press like the first.
    mousePressEvent(event);
}

void CSkinButton::mouseMoveEvent(QMouseEvent* event) {
    if (m_pressedByMouse) {
        // The base class keeps the down state in step with whether the cursor is over the button.
        QPushButton::mouseMoveEvent(event);
        return;
    }
    if (!m_hovering && rect().contains(event->position().toPoint())) {
        m_hovering = true;
        update();
    }
    QPushButton::mouseMoveEvent(event);
}

bool CSkinButton::hitButton(const QPoint& pos) const {
    // The whole rectangle is the button, whatever the style's bevel.
    return rect().contains(pos);
}

void CSkinButton::leaveEvent(QEvent* event) {
    m_hovering = false;
    update();
    QPushButton::leaveEvent(event);
}

void CSkinButton::focusInEvent(QFocusEvent* event) {
    QPushButton::focusInEvent(event);
    update();
}

void CSkinButton::focusOutEvent(QFocusEvent* event) {
    if (m_pressedByMouse) {
        // Let go of the press: a release outside the button ends it without a click, and later
        // moves of the still-held mouse no longer push the button.
        m_pressedByMouse = false;
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(-1, -1), mapToGlobal(QPointF(-1, -1)),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QPushButton::mouseReleaseEvent(&release);
        setDown(false);
    }
    QPushButton::focusOutEvent(event);
    update();
}

}  // namespace dezadav
