// Header questions (what a folder listing needs of every message), a full
// parse of bodies and attachments, and a folder of vCards.
#include "platform/outlook/message_file.h"
#include "platform/outlook/vcard.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

// A typical received message: a Received chain, encoded words, an HTML part
// and a 300 KB attachment behind the header block.
std::string typicalMessage()
{
    std::string message;
    for (int hop = 0; hop < 5; ++hop)
        message += "Received: from relay" + std::to_string(hop) + ".example.net (relay.example.net [192.0.2."
            + std::to_string(hop + 10)
            + "])\r\n\tby mx.example.org with ESMTPS id 4A1B2C3D\r\n"
              "\tfor <anna@home.example>; Mon, 13 Nov 2023 09:15:02 +0100\r\n";
    message += "DKIM-Signature: v=1; a=rsa-sha256; d=example.net; s=s1; h=from:to:subject:date;\r\n"
               "\tb="
        + std::string(340, 'k')
        + "\r\n"
          "From: =?UTF-8?Q?J=C3=B6rg_M=C3=BCller?= <joerg@example.net>\r\n"
          "To: Anna Berg <anna@home.example>, tom@home.example\r\n"
          "Cc: \"Team\" <team@home.example>\r\n"
          "Subject: =?ISO-8859-1?Q?R=E9union_de_l'=E9quipe_-_Protokoll?=\r\n"
          "Date: Mon, 13 Nov 2023 09:14:58 +0100\r\nMessage-ID: <bench@example.net>\r\nMIME-Version: 1.0\r\n"
          "Content-Type: multipart/mixed; boundary=\"b\"\r\n\r\n--b\r\n"
          "Content-Type: text/html; charset=utf-8\r\n\r\n<p>Hallo</p>\r\n--b\r\n"
          "Content-Type: application/pdf; name=\"Protokoll.pdf\"\r\nContent-Transfer-Encoding: base64\r\n\r\n";
    for (int line = 0; line < 4000; ++line)
        message += std::string(76, 'Q') + "\r\n";
    return message + "--b--\r\n";
}

class MessageFolder {
public:
    explicit MessageFolder(int count)
    {
        char pattern[] = "/tmp/kvn-bench-XXXXXX";
        path_ = ::mkdtemp(pattern);
        const std::string message = typicalMessage();
        for (int i = 0; i < count; ++i)
            std::ofstream(file(i), std::ios::binary) << message;
    }
    ~MessageFolder() { std::filesystem::remove_all(path_); }
    std::string file(int i) const { return path_ + "/" + std::to_string(i) + ".M1P1.bench:2,"; }

private:
    std::string path_;
};

void BM_ReadMessageHeaders(benchmark::State& state)
{
    const int count = 1000;
    MessageFolder folder(count);
    int i = 0;
    for (auto _ : state) {
        auto headers = kvn::outlook::readMessageHeaders(folder.file(i++ % count));
        benchmark::DoNotOptimize(headers->sender.name);
        benchmark::DoNotOptimize(headers->subject);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ReadMessageHeaders);

void BM_ReadMessageContent(benchmark::State& state)
{
    MessageFolder folder(1);
    for (auto _ : state) {
        auto content = kvn::outlook::readMessageContent(folder.file(0));
        benchmark::DoNotOptimize(content->attachmentNames);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ReadMessageContent);

void BM_ParseVCards(benchmark::State& state)
{
    std::string text;
    for (int i = 0; i < 1000; ++i)
        text += "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Contact " + std::to_string(i) + "\r\nN:Contact;" + std::to_string(i)
            + ";;;\r\nTEL;TYPE=CELL:+49 170 0000\r\n"
              "EMAIL;TYPE=INTERNET:contact"
            + std::to_string(i)
            + "@example.com\r\n"
              "item1.EMAIL:other"
            + std::to_string(i) + "@example.org\r\nEND:VCARD\r\n";
    for (auto _ : state)
        benchmark::DoNotOptimize(kvn::outlook::parseVCards(text));
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_ParseVCards);

} // namespace
