#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace dezadav {

// The three picture sets of the skinned buttons, as resource paths. Every set uses its normal
// picture for the disabled state.
struct SkinBitmaps {
    QString normal;
    QString pressed;
    QString hover;
    QString disabled;  // empty: the normal picture is used
};

// Buttons of the main window (110 x 23), of the settings pages (103 x 23) and of the small dialogs
// (Select Router, Confirm Password, Index Info, Language; 80 x 23).
SkinBitmaps MainButtonBitmaps();
SkinBitmaps PageButtonBitmaps();
SkinBitmaps DialogButtonBitmaps();

// Makes the built-in pictures (":/img/...") available; safe to call any number of times. The
// functions below call it themselves.
void InitUiImages();

// Loads a picture for a screen with the given device pixel ratio: on screens scaled above 1 the
// "@2x" file beside it is taken when it exists, so the picture keeps its size in
// device-independent pixels and stays sharp. A null pixmap when neither file can be read.
QPixmap LoadPicture(const QString& path, qreal devicePixelRatio);

// The program's icon in all its sizes, and the banner across the top of the main window.
QIcon ProgramIcon();
QPixmap BannerPicture(qreal devicePixelRatio);

}  // namespace dezadav
