// Tables of recipient entries and the carrier each is recognised as, shared
// by the tests of the built-in and of the added domains.
#pragma once

#include <gtest/gtest.h>

#include <span>

#include "recipients/carriers.h"

namespace telepost {

struct ClassifyCase {
    const char* entry;
    Carrier carrier;
};

// Each case's entry is recognised as its carrier, with the user's `domains`.
inline void ExpectClassified(std::span<const ClassifyCase> cases,
                             const UserDomainsRecord& domains) {
    for (const ClassifyCase& c : cases) {
        EXPECT_EQ(ClassifyRecipient(c.entry, domains), c.carrier) << c.entry;
    }
}

}  // namespace telepost
