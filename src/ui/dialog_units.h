#pragma once

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

inline QSize DialogSize(int width, int height) { return QSize(DialogUnitsX(width), DialogUnitsY(height)); }

}  // namespace dezadav
