#include "QtInstanceLock.h"

namespace larkspan {

QtInstanceLock::QtInstanceLock(const QString& lockPath) : lock_(lockPath) { lock_.setStaleLockTime(0); }

bool QtInstanceLock::tryAcquire() { return lock_.isLocked() || lock_.tryLock(0); }

}  // namespace larkspan
