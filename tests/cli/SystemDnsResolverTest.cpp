#include "SystemDnsResolver.h"

#include <gtest/gtest.h>

using larkspan::SystemDnsResolver;

// Only answers the system gives without asking a name server: numeric
// addresses and text that is no address at all.
TEST(SystemDnsResolver, NumericLookupsNeverLeaveTheMachine)
{
    SystemDnsResolver resolver;
    const auto numeric = resolver.forward("127.0.0.1");
    EXPECT_TRUE(numeric.found) << numeric.failure;
    EXPECT_EQ(numeric.address, "127.0.0.1");
    const auto notAnAddress = resolver.reverse("not-an-address");
    EXPECT_FALSE(notAnAddress.found);
    EXPECT_EQ(notAnAddress.failure, "Not an IP address");
    EXPECT_EQ(notAnAddress.address, "not-an-address");
}

TEST(SystemDnsResolver, ALookupThatOutlastsTheTimeOutFails)
{
    // A time-out of zero abandons the lookup at once, whatever the system does.
    SystemDnsResolver resolver(std::chrono::milliseconds(0));
    const auto answer = resolver.forward("127.0.0.1");
    if (!answer.found) {
        EXPECT_EQ(answer.failure, "The lookup timed out.");
    }
}
