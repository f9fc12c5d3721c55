// The sender-IP scan on header blocks of real size: 3 to 8 Received headers
// with the usual DKIM, ARC and authentication results around them.
#include "analysis/sender_ip.h"

#include <benchmark/benchmark.h>
#include <string>

namespace {

std::string receivedHeader(int hop)
{
    const std::string n = std::to_string(hop);
    return "Received: from mail" + n + ".relay-" + n + ".example.net (mail" + n + ".relay.example.net [198.51.100."
        + std::to_string(10 + hop) + "])\r\n\tby mx" + n + ".example.org (Postfix) with ESMTPS id 4Xk9" + n
        + "pQ2Yz\r\n\tfor <someone@example.org>; Wed, 09 Dec 2026 06:1" + n + ":42 +0100 (CET)\r\n";
}

std::string headerBlock(int hops)
{
    std::string block = "Return-Path: <newsletter@shop.example.com>\r\nDelivered-To: someone@example.org\r\n";
    for (int hop = 0; hop < hops; ++hop)
        block += receivedHeader(hop);
    block += "DKIM-Signature: v=1; a=rsa-sha256; c=relaxed/relaxed; d=shop.example.com; s=s1;\r\n"
             "\th=from:to:subject:date:message-id; bh=47DEQpj8HBSa+/TImW+5JCeuQeRkm5NMpJWZG3hSuFU=;\r\n"
             "\tb=dzdVyOfAKCdLXdJOc9G2q8LoXSlEniSbav+yuU4zGeeruD00lszZVoG4ZHRNiYzR\r\n"
             "Authentication-Results: mx.example.org; dkim=pass header.d=shop.example.com; spf=pass\r\n"
             "From: \"Shop\" <newsletter@shop.example.com>\r\nTo: someone@example.org\r\n"
             "Subject: =?UTF-8?Q?Your_weekly_offers?=\r\nDate: Wed, 09 Dec 2026 06:10:00 +0100\r\n"
             "Message-ID: <20261209061000.12345@shop.example.com>\r\nMIME-Version: 1.0\r\n"
             "Content-Type: multipart/alternative; boundary=\"b1\"\r\n";
    return block;
}

void BM_extractSenderIp(benchmark::State& state)
{
    const std::string headers = headerBlock(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(kvn::extractSenderIp(headers));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * headers.size()));
    state.counters["header_bytes"] = static_cast<double>(headers.size());
}
BENCHMARK(BM_extractSenderIp)->DenseRange(3, 8, 5);

} // namespace
