// Header questions (what a folder listing needs of every message), the
// header scan on an ordinary and on a hostile header block, a full parse of
// bodies and attachments, and a folder of vCards.
#include "platform/outlook/header_scan.h"
#include "platform/outlook/message_file.h"
#include "platform/outlook/vcard.h"
#include "tests/outlook/hostile_mail.h"

#include <benchmark/benchmark.h>

#include <cstdint>
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

// One file of `message`, reached under `names` directory entries (hard
// links), made once per process: the header benchmark cycles through many
// names, as a folder listing would, without writing hundreds of megabytes of
// identical set-up.
class MessageFolder {
public:
    MessageFolder(const std::string& message, int names)
    {
        char pattern[] = "/tmp/kvn-bench-XXXXXX";
        path_ = ::mkdtemp(pattern);
        std::ofstream(file(0), std::ios::binary) << message;
        for (int i = 1; i < names; ++i)
            std::filesystem::create_hard_link(file(0), file(i));
        names_ = names;
    }
    ~MessageFolder() { std::filesystem::remove_all(path_); }
    std::string file(int i) const { return path_ + "/" + std::to_string(i) + ".M1P1.bench:2,"; }
    int names() const { return names_; }

private:
    std::string path_;
    int names_ = 0;
};

const MessageFolder& typicalFolder()
{
    static const MessageFolder folder(typicalMessage(), 1000);
    return folder;
}

const MessageFolder& junkFolder()
{
    static const MessageFolder folder(kvn::testing::junkFirstHeaderMessage(), 1);
    return folder;
}

void readHeadersOf(benchmark::State& state, const MessageFolder& folder)
{
    int i = 0;
    for (auto _ : state) {
        auto headers = kvn::outlook::readMessageHeaders(folder.file(i++ % folder.names()));
        benchmark::DoNotOptimize(headers->sender.name);
        benchmark::DoNotOptimize(headers->subject);
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_ReadMessageHeaders(benchmark::State& state) { readHeadersOf(state, typicalFolder()); }
BENCHMARK(BM_ReadMessageHeaders);

// A first header field of 1.1 MB before the sender: the whole block is read.
void BM_ReadMessageHeaders_JunkFirstHeader(benchmark::State& state) { readHeadersOf(state, junkFolder()); }
BENCHMARK(BM_ReadMessageHeaders_JunkFirstHeader);

// The header scan alone, on a message in memory.
void scanHeadersOf(benchmark::State& state, const std::string& message)
{
    for (auto _ : state) {
        auto scanned = kvn::outlook::detail::scanHeaders(message);
        benchmark::DoNotOptimize(scanned.from);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(message.find("\r\n\r\n") + 4));
}

void BM_ScanHeaders_Typical(benchmark::State& state) { scanHeadersOf(state, typicalMessage()); }
BENCHMARK(BM_ScanHeaders_Typical);

void BM_ScanHeaders_JunkFirstHeader(benchmark::State& state)
{
    scanHeadersOf(state, kvn::testing::junkFirstHeaderMessage());
}
BENCHMARK(BM_ScanHeaders_JunkFirstHeader);

void BM_ReadMessageContent(benchmark::State& state)
{
    const MessageFolder folder(typicalMessage(), 1);
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
