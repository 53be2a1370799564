// dezadav-demo against the router emulator: the window walks through the Connect sequence by
// itself, leaves a picture of each step and page, and ends by itself.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include "support/routersim_process.h"

namespace dezadav {
namespace {

struct DemoRun {
    int exitCode = -1;
    bool ended = false;
    QByteArray out;
    QByteArray err;
};

class DemoScriptTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_sim.IsRunning()) << "router emulator did not start";
        ASSERT_TRUE(m_runtime.isValid());
        ASSERT_TRUE(m_pictures.isValid());
        QFile::setPermissions(m_runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    DemoRun Run(const QString& password, const QStringList& more = {}, int deadlineMs = 60000) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_runtime.path());  // the history goes there
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("DEZADAV_PASSWORD"), password);
        QProcess process;
        process.setProcessEnvironment(env);
        const QStringList arguments = {
            QStringLiteral("--telnet-port"),    QString::number(m_sim.TelnetPort()),
            QStringLiteral("--broadcast"),      QString::fromStdString(m_sim.DiscoveryAddress()),
            QStringLiteral("--discovery-port"), QString::number(m_sim.DiscoveryPort()),
            QStringLiteral("--pictures"),       m_pictures.path()};
        process.start(QStringLiteral(DEZADAV_DEMO_PATH), arguments + more);
        DemoRun run;
        run.ended = process.waitForFinished(deadlineMs);
        if (!run.ended) {
            process.kill();
            process.waitForFinished(5000);
        }
        run.exitCode = process.exitCode();
        run.out = process.readAllStandardOutput();
        run.err = process.readAllStandardError();
        return run;
    }

    QStringList Pictures() const {
        return QDir(m_pictures.path()).entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name);
    }

    testing::RouterSimProcess m_sim;
    QTemporaryDir m_runtime;
    QTemporaryDir m_pictures;
};

TEST_F(DemoScriptTest, WalksThroughSelectPasswordAndFetchAndPicturesEveryPage) {
    const QString transcript = m_runtime.filePath(QStringLiteral("exchanges.txt"));
    const DemoRun run = Run(QStringLiteral("admin"), {QStringLiteral("--transcript"), transcript});
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(Pictures(),
              (QStringList{QStringLiteral("1-select-router.png"), QStringLiteral("2-confirm-password.png"),
                           QStringLiteral("3-dial-plan.png"), QStringLiteral("4-sip.png"),
                           QStringLiteral("5-codec.png"), QStringLiteral("6-voip-log.png")}));
    // The page pictures are the whole main window, one distinct picture per page.
    std::vector<QImage> pages;
    for (const QString& name : Pictures().mid(2)) {
        const QImage image(QDir(m_pictures.path()).filePath(name));
        ASSERT_FALSE(image.isNull()) << name.toStdString();
        EXPECT_EQ(image.size() / image.devicePixelRatio(), QSize(708, 566)) << name.toStdString();
        for (const QImage& other : pages) EXPECT_NE(image, other) << name.toStdString();
        pages.push_back(image);
    }
    // The milestones, in order; the first router listed was fetched.
    const QList<QByteArray> lines = run.out.split('\n');
    int opaque = -1, connected = -1, pictures = -1;
    for (int i = 0; i < lines.size(); ++i) {
        if (lines[i].startsWith("opaque ")) opaque = i;
        if (lines[i].startsWith("connected ") && lines[i].contains("rss-kib=")) connected = i;
        if (lines[i].startsWith("pictures ")) pictures = i;
    }
    EXPECT_GE(opaque, 0);
    EXPECT_GT(connected, opaque);
    EXPECT_GT(pictures, connected);
    bool fetched = false;
    for (const std::string& command : m_sim.CommandLog())
        fetched = fetched || command.find("voip sip calllog") != std::string::npos;
    EXPECT_TRUE(fetched);
    // The exchanges were recorded; the password never reaches the terminal or the record.
    QFile record(transcript);
    ASSERT_TRUE(record.open(QIODevice::ReadOnly));
    const QByteArray recorded = record.readAll();
    EXPECT_TRUE(recorded.contains("voip sip calllog")) << recorded.left(400).toStdString();
    EXPECT_FALSE(recorded.contains("admin"));
    EXPECT_FALSE(run.out.contains("admin"));
    EXPECT_FALSE(run.err.contains("admin"));
}

TEST_F(DemoScriptTest, ARefusedPasswordEndsTheRunWithAFailureAndNoPagePictures) {
    const DemoRun run = Run(QStringLiteral("not-the-password"));
    ASSERT_TRUE(run.ended);
    EXPECT_NE(run.exitCode, 0);
    EXPECT_FALSE(Pictures().contains(QStringLiteral("3-dial-plan.png")));
    EXPECT_FALSE(run.out.contains("connected"));
    EXPECT_TRUE(run.err.contains("password")) << run.err.toStdString();
    EXPECT_FALSE(run.out.contains("not-the-password"));
    EXPECT_FALSE(run.err.contains("not-the-password"));
}

}  // namespace
}  // namespace dezadav
