#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

namespace dezadav {

// Name the per-user lock is derived from.
inline constexpr char kSingleInstanceName[] = "DevivezAdidize";

// Keeps a second copy of the program from running for the same user.
//
// The lock is a file in the user's runtime folder (or the given folder), held for as long as this
// object lives and released by the system when the process ends, however it ends: a lock left by a
// copy that crashed or was killed does not block the next start.
class SingleInstanceLock {
public:
    // `folder` empty: the user's runtime folder.
    explicit SingleInstanceLock(const QString& folder = QString());
    ~SingleInstanceLock();

    // True when this process now holds the lock (the only copy); false when a running copy holds it
    // or the lock file cannot be made. Never waits.
    bool TryAcquire();

    QString LockPath() const { return m_path; }

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
    bool m_held = false;
};

}  // namespace dezadav
