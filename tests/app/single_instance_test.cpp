#include "app/single_instance.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QHostAddress>
#include <QProcess>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>
#include <QUdpSocket>
#include <memory>

namespace dezadav {
namespace {

// A probe process that reports whether it got the lock in `folder`; `mode` as the probe reads it.
std::unique_ptr<QProcess> StartProbe(const QString& folder, const QString& mode = QString()) {
    auto process = std::make_unique<QProcess>();
    process->start(QStringLiteral(DEZADAV_PROBE_PATH),
                   mode.isEmpty() ? QStringList{folder} : QStringList{folder, mode});
    return process;
}

QString FirstLine(QProcess& process) {
    for (int attempt = 0; attempt < 100 && !process.canReadLine(); ++attempt) {
        if (!process.waitForReadyRead(100) && process.state() == QProcess::NotRunning) break;
    }
    return QString::fromLatin1(process.readLine()).trimmed();
}

void Stop(QProcess& process) {
    process.closeWriteChannel();
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}

TEST(SingleInstance, TwoCopiesStartedAtOnceOnlyOneRuns) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (int round = 0; round < 5; ++round) {
        SCOPED_TRACE(round);
        auto first = StartProbe(dir.path());
        auto second = StartProbe(dir.path());
        const QString a = FirstLine(*first);
        const QString b = FirstLine(*second);
        EXPECT_EQ((a == QLatin1String("acquired")) + (b == QLatin1String("acquired")), 1)
            << a.toStdString() << " / " << b.toStdString();
        EXPECT_EQ((a == QLatin1String("refused")) + (b == QLatin1String("refused")), 1);
        Stop(*first);
        Stop(*second);
    }
}

TEST(SingleInstance, FreeAgainAfterTheHolderEndsEvenWhenKilled) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto holder = StartProbe(dir.path());
    ASSERT_EQ(FirstLine(*holder), QStringLiteral("acquired"));

    // While it runs, this process cannot take the lock either.
    SingleInstanceLock mine(dir.path());
    EXPECT_FALSE(mine.TryAcquire());

    // Killed without cleaning up: the lock file stays behind but does not block.
    holder->kill();
    ASSERT_TRUE(holder->waitForFinished(10000));
    EXPECT_TRUE(QFile::exists(mine.LockPath()));
    auto next = StartProbe(dir.path());
    EXPECT_EQ(FirstLine(*next), QStringLiteral("acquired"));
    Stop(*next);

    // Ended normally: free again, and this process gets it.
    EXPECT_TRUE(mine.TryAcquire());
    auto refused = StartProbe(dir.path());
    EXPECT_EQ(FirstLine(*refused), QStringLiteral("refused"));
    Stop(*refused);
}

TEST(SingleInstance, ALaterCopyCallsTheRunningOneToTheFrontAndNoFolderMeansNoLock) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto holder = StartProbe(dir.path());
    ASSERT_EQ(FirstLine(*holder), QStringLiteral("acquired"));
    SingleInstanceLock later(dir.path());
    ASSERT_FALSE(later.TryAcquire());
    EXPECT_FALSE(later.LockUnavailable());
    EXPECT_TRUE(later.ActivateRunningCopy());
    EXPECT_EQ(FirstLine(*holder), QStringLiteral("activated"));
    // A file the later copy was started with travels whole, line breaks and all.
    EXPECT_TRUE(later.ActivateRunningCopy(QStringLiteral("/tmp/a b\n%c.csv")));
    EXPECT_EQ(FirstLine(*holder), QStringLiteral("activated /tmp/a b"));
    EXPECT_EQ(FirstLine(*holder), QStringLiteral("%c.csv"));
    Stop(*holder);

    // A folder below a plain file can never be made, not even by the administrator.
    QTemporaryFile file;
    ASSERT_TRUE(file.open());
    SingleInstanceLock nowhere(file.fileName() + QStringLiteral("/run"));
    EXPECT_FALSE(nowhere.TryAcquire());
    EXPECT_TRUE(nowhere.LockUnavailable());
    EXPECT_FALSE(nowhere.ActivateRunningCopy(QString(), 200));
}

// A copy started while the holder still builds its window is heard, and its request kept until then.
TEST(SingleInstance, ARequestToACopyStillStartingIsDeliveredWhenItIsReady) {
    QTemporaryDir dir;
    auto holder = StartProbe(dir.path(), QStringLiteral("late-handler"));
    ASSERT_EQ(FirstLine(*holder), QStringLiteral("acquired"));
    EXPECT_TRUE(SingleInstanceLock(dir.path()).ActivateRunningCopy(QStringLiteral("/tmp/office.csv")));
    EXPECT_EQ(FirstLine(*holder), QStringLiteral("activated /tmp/office.csv"));
    Stop(*holder);
}

TEST(SingleInstance, LockLivesInTheUsersRuntimeFolder) {
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    SingleInstanceLock lock;
    EXPECT_TRUE(lock.LockPath().startsWith(runtime.path()));
    EXPECT_TRUE(lock.LockPath().contains(QLatin1String(kSingleInstanceName)));
    ASSERT_TRUE(lock.TryAcquire());
    EXPECT_TRUE(QFile::exists(lock.LockPath()));
    qunsetenv("XDG_RUNTIME_DIR");
}

// The program itself: a second copy started while the first runs ends at once with no window.
TEST(SingleInstance, SecondProgramCopyEndsSilently) {
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    const QString lockPath = runtime.filePath(QLatin1String(kSingleInstanceName) + QStringLiteral(".lock"));
    // The window searches for routers as soon as it is up: the search goes to a socket of this test on
    // loopback, never onto a network.
    QUdpSocket sink;
    ASSERT_TRUE(sink.bind(QHostAddress::LocalHost, 0));
    const QStringList arguments = {QStringLiteral("--broadcast"), QStringLiteral("127.0.0.1"),
                                   QStringLiteral("--discovery-port"), QString::number(sink.localPort())};

    QProcess first;
    first.setProcessEnvironment(env);
    first.start(QStringLiteral(DEZADAV_APP_PATH), arguments);
    ASSERT_TRUE(first.waitForStarted(10000));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(lockPath), 20000);

    QProcess second;
    second.setProcessEnvironment(env);
    second.start(QStringLiteral(DEZADAV_APP_PATH), arguments);
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.readAllStandardOutput().isEmpty());
    EXPECT_EQ(first.state(), QProcess::Running);

    first.kill();
    first.waitForFinished(10000);
}

// A second copy whose file cannot be handed over says so and fails, instead of dropping it quietly.
TEST(SingleInstance, SecondProgramCopyThatCannotHandOverItsFileSaysSo) {
    QTemporaryDir runtime;
    auto deaf = StartProbe(runtime.path(), QStringLiteral("deaf"));
    ASSERT_EQ(FirstLine(*deaf), QStringLiteral("acquired"));
    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    second.setProcessEnvironment(env);
    second.start(QStringLiteral(DEZADAV_APP_PATH), {QStringLiteral("/tmp/office.csv")});
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitCode(), 1);
    EXPECT_TRUE(second.readAllStandardError().contains("/tmp/office.csv"));
    Stop(*deaf);
}

}  // namespace
}  // namespace dezadav
