#pragma once

#include "platform/InstanceLock.h"

#include <QLockFile>
#include <QString>

namespace larkspan {

// A lock file in the program folder; a stale lock of a crashed copy is taken over.
class QtInstanceLock : public InstanceLock {
public:
    explicit QtInstanceLock(const QString& lockPath);
    bool tryAcquire() override;

private:
    QLockFile lock_;
};

}  // namespace larkspan
