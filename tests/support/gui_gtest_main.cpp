// GoogleTest main for widget tests; CTest runs them on the offscreen platform.
#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Test discovery runs the binary outside CTest's environment; without a display it would abort.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // What the windows keep in the user's profile (their size and place, the language, the last
    // folder) goes to a profile of this run's: the tests neither read the user's nor leave theirs.
    const QTemporaryDir profile;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, profile.path());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
