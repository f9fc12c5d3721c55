#include "analysis/sender_ip.h"

#include <gtest/gtest.h>

namespace kvn {
namespace {

struct Case {
    const char* headers;
    const char* expected;
};

class SenderIp : public ::testing::TestWithParam<Case> { };

TEST_P(SenderIp, FindsTheFirstDottedQuadAfterTheFirstReceivedHeader)
{
    EXPECT_EQ(extractSenderIp(GetParam().headers), GetParam().expected) << GetParam().headers;
}

INSTANTIATE_TEST_SUITE_P(Headers, SenderIp,
    ::testing::Values(Case{"", ""}, Case{"From: a@b.c\r\nSubject: 1.2.3.4\r\n", ""},
        Case{"Received: from relay ([192.168.1.10]) by mx", "192.168.1.10"},
        Case{"RECEIVED: FROM relay (relay [10.1.2.3])", "10.1.2.3"},
        // A leading octet 0 starts nothing, and what follows has three octets only.
        Case{"Received: from unknown (HELO mail) (0.1.2.3) by x", ""},
        // 300 drops the first candidate; the scan goes on at the following dots.
        Case{"Received: from x (x [200.300.1.2]) by y (y [5.6.7.8])", "1.2.6.7"},
        Case{"Received: from host (1.2.3.4)", "1.2.3.4"}, Case{"Received: from host (10.0.0.1234)", "10.0.0.123"},
        Case{"Received: from host [1.2.3.0]", "1.2.3.0"},
        // Digits at the end of a host name start a candidate that the next word drops.
        Case{"Received: from mail2.example.com (mail2.example.com [81.169.146.160])", "81.169.146.160"},
        // Before the first Received header nothing counts; later headers do.
        Case{"X-Originating-IP: 9.9.9.9\r\nReceived: from a by b\r\nReceived: from c (c [4.3.2.1])", "4.3.2.1"},
        Case{"Received: from a (a [1.2.3.x])", ""}, Case{"Received: from a (a [1.2.3.-4])", ""},
        Case{"Received: from a (a [1.-2.3.4])", ""}, Case{"Received: from a", ""}, Case{"Received: from .....", ""},
        Case{"Received: from 1.2.3.", ""}));

TEST(SenderIpScan, ToleratesBinaryGarbage)
{
    using namespace std::string_literals;
    const std::string headers = "Received: from \xff\xfe\0\x80 1.2.3.4\0"s;
    EXPECT_EQ(extractSenderIp(headers), "1.2.3.4");
    EXPECT_EQ(extractSenderIp(std::string(1000, '.')), "");
    EXPECT_EQ(extractSenderIp("Received: from " + std::string(100, '9') + ".1.2.3"), "999.1.2.3");
}

} // namespace
} // namespace kvn
