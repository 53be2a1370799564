#include "app/single_instance.h"

#include <QDir>
#include <QStandardPaths>

namespace dezadav {

SingleInstanceLock::SingleInstanceLock(const QString& folder) {
    QString dir = folder;
    if (dir.isEmpty()) dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty()) dir = QDir::tempPath();
    m_path = QDir(dir).filePath(QLatin1String(kSingleInstanceName) + QStringLiteral(".lock"));
    m_lock = std::make_unique<QLockFile>(m_path);
    // Only a lock whose owner is gone is stale: a copy that has been running for hours must still
    // block the next one, so the age of the file means nothing.
    m_lock->setStaleLockTime(0);
}

SingleInstanceLock::~SingleInstanceLock() = default;

bool SingleInstanceLock::TryAcquire() {
    if (!m_held) m_held = m_lock->tryLock(0);
    return m_held;
}

}  // namespace dezadav
