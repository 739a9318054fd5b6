// Binding the host's functions: this test program exports none of them, so
// the binding must fail, touch no slot after the first, and stay repeatable.
#include <gtest/gtest.h>

#include "send/host_api.h"

namespace telepost {
namespace {

TEST(HostApiTest, FailsWhenTheFirstFunctionIsMissing) {
    HostApiRecord api;
    EXPECT_EQ(api.Bind(), 0);
    EXPECT_EQ(api.HostModule, nullptr);
    EXPECT_EQ(api.BKA_GetVersion, nullptr);
    EXPECT_EQ(api.Bind(), 0);  // tried again from the start, failing the same way
}

TEST(HostApiTest, ABoundRecordIsNotBoundAgain) {
    HostApiRecord api;
    api.HostModule = GetModuleHandleA(nullptr);
    EXPECT_EQ(api.Bind(), 1);
    EXPECT_EQ(api.BKA_GetVersion, nullptr);  // no lookup was made
}

}  // namespace
}  // namespace telepost
