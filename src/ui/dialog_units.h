#pragma once

#include <QApplication>
#include <QFont>
#include <QRect>
#include <QSize>

namespace dezadav {

// Dialog layouts are given in dialog units of an 8-point dialog font: about 1.5 pixels across and
// 1.625 pixels down (device-independent pixels, so the screen's scale factor applies on top).
inline int DialogUnitsX(int units) { return (units * 3 + 1) / 2; }
inline int DialogUnitsY(int units) { return (units * 13 + 4) / 8; }

inline QRect DialogRect(int x, int y, int width, int height) {
    return QRect(DialogUnitsX(x), DialogUnitsY(y), DialogUnitsX(width), DialogUnitsY(height));
}

// The dialogs' font: the application's face at 8 points, the size the layouts are made for.
inline QFont DialogFont() {
    QFont font = QApplication::font();
    font.setPointSizeF(8.0);
    return font;
}

// A dialog of fixed size: title, system menu and close box only; nothing to minimise or maximise.
inline Qt::WindowFlags FixedDialogFlags() {
    return Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
           Qt::WindowCloseButtonHint;
}

// A dialog whose list grows with it: title, system menu, maximise and close boxes.
inline Qt::WindowFlags GrowingDialogFlags() {
    return FixedDialogFlags() | Qt::WindowMaximizeButtonHint;
}

inline QSize DialogSize(int width, int height) { return QSize(DialogUnitsX(width), DialogUnitsY(height)); }

}  // namespace dezadav
