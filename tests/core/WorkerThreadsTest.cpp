#include "common/WorkerThreads.h"

#include <gtest/gtest.h>

namespace larkspan {

TEST(WorkerThreads, ASettingOfOneOrMoreIsTakenAndAnythingElseMeansTheCores)
{
    EXPECT_EQ(workerThreadCount("1", 8), 1u);
    EXPECT_EQ(workerThreadCount("3", 2), 3u);
    EXPECT_EQ(workerThreadCount("100000", 2), 64u);
    for (const char* unusable : {"", "0", "-2", "two", "2x", " 2", "99999999999999999999"})
        EXPECT_EQ(workerThreadCount(unusable, 4), 4u) << '"' << unusable << '"';
    EXPECT_EQ(workerThreadCount("", 1), 2u) << "one core still gets a second thread";
    EXPECT_EQ(workerThreadCount("", 0), 2u) << "an unknown core count";
}

} // namespace larkspan
