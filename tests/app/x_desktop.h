#pragma once

// A desktop for tests of what a real window system does: a virtual X server with a window manager,
// helper programs started on it, input made with xdotool, windows' state read from the X server.
// Skipped where those programs are missing.
#include <gtest/gtest.h>

#include <QPoint>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QThread>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace dezadav::testing {

inline bool HaveTools(std::initializer_list<const char*> tools) {
    for (const char* tool : tools) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty()) return false;
    }
    return true;
}

inline void Stop(QProcess& process) {
    if (process.state() == QProcess::NotRunning) return;
    process.closeWriteChannel();
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}

// Reads lines until one starts with `prefix` or `waitMs` passes (in 100 ms steps).
inline QString WaitForLine(QProcess& process, const QString& prefix, int waitMs) {
    for (int waited = 0; waited < waitMs; waited += 100) {
        while (process.canReadLine()) {
            const QString line = QString::fromLatin1(process.readLine()).trimmed();
            if (line.startsWith(prefix)) return line;
        }
        if (process.state() == QProcess::NotRunning) break;
        process.waitForReadyRead(100);
    }
    return QString();
}

class XDesktopTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HaveTools({"Xvfb", "xdotool"})) GTEST_SKIP() << "Xvfb or xdotool is not installed";
        // Xvfb picks a free display number itself and writes it to the given descriptor.
        m_xvfb.setProcessChannelMode(QProcess::SeparateChannels);
        m_xvfb.start(QStringLiteral("Xvfb"),
                     {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                      QStringLiteral("0"), QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                      QStringLiteral("tcp")});
        ASSERT_TRUE(m_xvfb.waitForStarted(10000));
        const QString number = WaitForLine(m_xvfb, QString(), 10000);
        ASSERT_FALSE(number.isEmpty()) << "Xvfb did not report its display";
        m_env = QProcessEnvironment::systemEnvironment();
        m_env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":") + number);
        m_env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        m_env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    }

    void TearDown() override {
        for (auto& probe : m_probes) Stop(*probe);
        for (auto& helper : m_helpers) Stop(*helper);
        Stop(m_windowManager);
        Stop(m_xvfb);
    }

    // A reparenting window manager, as on a desktop: it frames, focuses and iconifies windows. It has
    // taken over once it names itself on the root window.
    bool StartWindowManager() {
        if (!HaveTools({"openbox"})) return false;
        m_windowManager.setProcessEnvironment(m_env);
        m_windowManager.start(QStringLiteral("openbox"), {});
        if (!m_windowManager.waitForStarted(10000)) return false;
        for (int i = 0; i < 100; ++i, QThread::msleep(100)) {
            if (X11Output(QStringLiteral("xprop -root _NET_SUPPORTING_WM_CHECK")).contains(u'#')) return true;
        }
        return false;
    }

    // Another program on the desktop (a tray host, say), stopped with the test.
    QProcess& StartHelper(const QString& program, const QStringList& args) {
        m_helpers.push_back(std::make_unique<QProcess>());
        QProcess& helper = *m_helpers.back();
        helper.setProcessEnvironment(m_env);
        helper.start(program, args);
        return helper;
    }

    QString X11Output(const QString& command) {
        QProcess tool;
        tool.setProcessEnvironment(m_env);
        QStringList words = command.split(QLatin1Char(' '));
        tool.start(words.takeFirst(), words);
        tool.waitForFinished(10000);
        return QString::fromLatin1(tool.readAllStandardOutput());
    }

    // Waits up to 5 s for the X server to report the window's map state as `wanted` ("IsViewable",
    // "IsUnMapped"); returns the last one reported.
    std::string WaitForMapState(const QString& window, const char* wanted) {
        std::string state;
        for (int i = 0; i < 50 && state != wanted; ++i, QThread::msleep(100)) {
            const QString info = X11Output(QStringLiteral("xwininfo -id ") + window);
            state =
                info.mid(info.indexOf(QLatin1String("Map State: ")) + 11).section(u'\n', 0, 0).toStdString();
        }
        return state;
    }

    QProcess& StartProbe(const QString& program, const QStringList& args = {}) {
        m_probes.push_back(std::make_unique<QProcess>());
        QProcess& probe = *m_probes.back();
        probe.setProcessEnvironment(m_env);
        probe.start(program, args);
        return probe;
    }

    void Click(QPoint at, const QString& button, int times) {
        QProcess xdotool;
        xdotool.setProcessEnvironment(m_env);
        xdotool.start(QStringLiteral("xdotool"),
                      {QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
                       QStringLiteral("click"), QStringLiteral("--repeat"), QString::number(times),
                       QStringLiteral("--delay"), QStringLiteral("60"), button});
        ASSERT_TRUE(xdotool.waitForFinished(10000));
    }

    QProcess m_xvfb;
    QProcess m_windowManager;
    QProcessEnvironment m_env;
    std::vector<std::unique_ptr<QProcess>> m_probes;
    std::vector<std::unique_ptr<QProcess>> m_helpers;
};

}  // namespace dezadav::testing
