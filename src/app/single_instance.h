#pragma once

#include <QLockFile>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class QLocalServer;

namespace dezadav {

// Name the per-user lock is derived from.
inline constexpr char kSingleInstanceName[] = "DevivezAdidize";

// Keeps a second copy of the program from running for the same user, and lets that second copy
// bring the running one to the front before it ends.
//
// The lock is a file in the user's runtime folder (or the given folder), held for as long as this
// object lives and released by the system when the process ends, however it ends: a lock left by a
// copy that crashed or was killed does not block the next start. Next to it the holder listens on a
// local socket (reachable by this user only) for requests: "activate", or "open" with a settings file
// the later copy was started with.
class SingleInstanceLock {
public:
    // `folder` empty: the user's runtime folder, else the temporary folder.
    explicit SingleInstanceLock(const QString& folder = QString());
    ~SingleInstanceLock();
    // The socket's handler refers to this object.
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    // True when this process now holds the lock (the only copy); false when a running copy holds it
    // or the lock file cannot be made (LockUnavailable() tells which). Never waits.
    bool TryAcquire();
    // After a refused TryAcquire: true when no lock could be made at all (no writable folder), so
    // nothing says whether another copy runs.
    bool LockUnavailable() const { return m_unavailable; }

    // Holder only: takes the requests later copies send from now on, and keeps them until a handler
    // is set (a copy started while this one builds its window must not be turned away). False when
    // the socket cannot be opened (the program then runs on without it).
    bool Listen();
    // Calls `activate` for each request kept so far and each one that comes later, with the file it
    // asks to open (empty when it only asks to come to the front).
    void SetActivationHandler(std::function<void(const QString& file)> activate);
    // Listen, then SetActivationHandler.
    bool ListenForActivation(std::function<void(const QString& file)> activate);
    // Asks the copy that holds the lock to come to the front and, with a non-empty `file`, to open
    // that settings file; true when the request was delivered. A holder that does not listen yet
    // (it may just have taken the lock) is asked again until `waitMs` have passed.
    bool ActivateRunningCopy(const QString& file = QString(), int waitMs = kActivationWaitMs) const;

    // How long a later copy keeps trying to reach the running one.
    static constexpr int kActivationWaitMs = 5000;

    QString LockPath() const { return m_path; }

private:
    QString m_path;
    QString m_socketPath;
    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<QLocalServer> m_server;
    std::function<void(const QString& file)> m_activate;
    std::vector<QString> m_pendingRequests;  // taken before a handler was set
    bool m_held = false;
    bool m_unavailable = false;
};

}  // namespace dezadav
