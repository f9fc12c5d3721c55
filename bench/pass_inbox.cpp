#include "bench/pass_inbox.h"

#include "lists/extra_sort.h"

#include <sys/time.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

namespace kvn::bench {
namespace {

namespace fs = std::filesystem;

std::string randomWord(std::mt19937& random, int minLength, int maxLength)
{
    const int length = minLength + static_cast<int>(random() % static_cast<unsigned>(maxLength - minLength + 1));
    std::string word;
    for (int i = 0; i < length; ++i)
        word += static_cast<char>('a' + random() % 26);
    return word;
}

// First letters spread roughly as in real address books.
char firstLetter(std::mt19937& random)
{
    static const std::string weighted = "aaaaabbbcccdddeeffgghhiijjjjkkkllmmmmmnnooppqrrrsssssttttuvwwxyz0123";
    return weighted[random() % weighted.size()];
}

std::string randomAddress(std::mt19937& random, const std::string& domain)
{
    return firstLetter(random) + randomWord(random, 4, 10) + "." + randomWord(random, 3, 8) + "@" + domain;
}

std::string randomDomain(std::mt19937& random) { return randomWord(random, 5, 12) + ".com"; }

void appendSorted(FilterLists& lists, ListKind kind, bool white, std::vector<ListEntry> entries)
{
    ListSequence& sequence = lists.sequence(kind, white);
    sequence.reserve(sequence.size() + entries.size()); // exactly, as a load of the lists file does
    for (ListEntry& entry : entries)
        sequence.push_back(std::move(entry));
    if (kind == ListKind::Address || kind == ListKind::Domain)
        sortByExtra(sequence);
}

ListEntry entryOf(ListKind kind, bool white, std::string value, std::string extra)
{
    ListEntry entry(listKindCode(kind), std::move(value), std::move(extra), 0, "2026.01.15", "");
    entry.isWhite = white;
    return entry;
}

template <typename T> const T& pick(std::mt19937& random, const std::vector<T>& from)
{
    return from[random() % from.size()];
}

const char* const fillerWords[] = {"meeting", "report", "update", "project", "invoice", "weekend", "schedule", "team",
    "budget", "review", "offer", "question", "photos", "draft", "notes", "plan", "summary", "order", "travel"};

std::string sentence(std::mt19937& random, int words)
{
    std::string text;
    for (int i = 0; i < words; ++i)
        text += std::string(i ? " " : "") + fillerWords[random() % std::size(fillerWords)];
    return text;
}

std::string receivedLines(std::mt19937& random)
{
    std::string lines;
    const int count = 3 + static_cast<int>(random() % 6);
    for (int i = 0; i < count; ++i) {
        const std::string ip = std::to_string(random() % 223 + 1) + "." + std::to_string(random() % 256) + "."
            + std::to_string(random() % 256) + "." + std::to_string(random() % 254 + 1);
        lines += "Received: from mail" + std::to_string(random() % 90) + "." + randomWord(random, 4, 9) + ".net ([" + ip
            + "])\r\n\tby mx" + std::to_string(i) + ".example.net with ESMTPS id " + randomWord(random, 12, 12)
            + "\r\n\tfor <bob@example.net>; Tue, 8 Dec 2026 10:" + std::to_string(10 + i) + ":00 +0000\r\n";
    }
    return lines;
}

std::string plainBody(std::mt19937& random)
{
    std::string body;
    for (int i = 0; i < 6; ++i)
        body += sentence(random, 12) + ".\r\n";
    return body;
}

std::string htmlBody(std::mt19937& random)
{
    std::string html = "<html><head><style>p { margin: 0 }</style></head><body>\r\n";
    for (int i = 0; i < 6; ++i)
        html += "<p>" + sentence(random, 12) + " <b>" + sentence(random, 2) + "</b></p>\r\n";
    return html + "</body></html>\r\n";
}

std::string base64Block(std::mt19937& random, int lines)
{
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string block;
    for (int line = 0; line < lines; ++line) {
        for (int i = 0; i < 76; ++i)
            block += alphabet[random() % 64];
        block += "\r\n";
    }
    return block;
}

std::string messageText(std::mt19937& random, std::int64_t number, const std::string& from, std::string subject)
{
    std::string text = "Return-Path: <" + from + ">\r\n" + receivedLines(random) + "Message-ID: <"
        + std::to_string(number) + "." + randomWord(random, 8, 8) + "@" + from.substr(from.find('@') + 1)
        + ">\r\nDate: Tue, 8 Dec 2026 10:20:00 +0000\r\nFrom: \"" + randomWord(random, 4, 8) + "\" <" + from
        + ">\r\nTo: Bob <bob@example.net>\r\nSubject: " + subject + "\r\nMIME-Version: 1.0\r\n";
    const bool html = random() % 4 == 0;
    const bool attachment = random() % 20 == 0;
    const std::string plain = plainBody(random);
    if (!html && !attachment)
        return text + "Content-Type: text/plain; charset=utf-8\r\n\r\n" + plain;
    std::string body = html ? "--alt\r\nContent-Type: text/plain; charset=utf-8\r\n\r\n" + plain
            + "--alt\r\nContent-Type: text/html; charset=utf-8\r\n\r\n" + htmlBody(random) + "--alt--\r\n"
                            : std::string();
    if (!attachment)
        return text + "Content-Type: multipart/alternative; boundary=\"alt\"\r\n\r\n" + body;
    const std::string firstPart = html ? "Content-Type: multipart/alternative; boundary=\"alt\"\r\n\r\n" + body
                                       : "Content-Type: text/plain; charset=utf-8\r\n\r\n" + plain;
    return text + "Content-Type: multipart/mixed; boundary=\"mixed\"\r\n\r\n--mixed\r\n" + firstPart
        + "--mixed\r\nContent-Type: application/pdf; name=\"report.pdf\"\r\n"
          "Content-Disposition: attachment; filename=\"report.pdf\"\r\nContent-Transfer-Encoding: base64\r\n\r\n"
        + base64Block(random, 40) + "--mixed--\r\n";
}

// The sender and subject of message `number` in the mix described above.
std::pair<std::string, std::string> senderAndSubject(std::mt19937& random, const ListedValues& listed)
{
    const auto roll = random() % 100;
    std::string subject = sentence(random, 5);
    if (roll < 40)
        return {pick(random, listed.whiteAddresses), subject};
    if (roll < 50)
        return {randomAddress(random, pick(random, listed.whiteDomains)), subject};
    if (roll < 60)
        return {pick(random, listed.blackAddresses), subject};
    if (roll < 65)
        return {randomAddress(random, pick(random, listed.blackDomains)), subject};
    if (random() % 4 == 0)
        subject += " " + pick(random, listed.blackWords) + " now";
    return {randomAddress(random, randomDomain(random)), subject};
}

void writeFile(const std::string& path, const std::string& text, std::time_t mtime)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
    out.close();
    if (!out)
        throw std::runtime_error("cannot write " + path);
    const struct timeval times[2] = {{mtime, 0}, {mtime, 0}};
    utimes(path.c_str(), times);
}

void makeMaildir(const std::string& dir)
{
    for (const char* sub : {"/cur", "/new", "/tmp"})
        fs::create_directories(dir + sub);
}

} // namespace

ListedValues fillLists(FilterLists& lists, const ListSizes& sizes)
{
    std::mt19937 random(42);
    ListedValues listed;
    lists.clear();
    for (const bool white : {true, false}) {
        std::vector<ListEntry> addresses;
        std::vector<ListEntry> domains;
        for (std::int64_t i = 0; i < sizes.addresses / 2; ++i) {
            std::string address = randomAddress(random, randomDomain(random));
            (white ? listed.whiteAddresses : listed.blackAddresses).push_back(address);
            addresses.push_back(entryOf(ListKind::Address, white, randomWord(random, 4, 8), std::move(address)));
        }
        for (std::int64_t i = 0; i < sizes.domains / 2; ++i) {
            std::string domain = randomDomain(random);
            (white ? listed.whiteDomains : listed.blackDomains).push_back(domain);
            domains.push_back(entryOf(ListKind::Domain, white, std::move(domain), ""));
        }
        appendSorted(lists, ListKind::Address, white, std::move(addresses));
        appendSorted(lists, ListKind::Domain, white, std::move(domains));
    }
    // Two words in five are white; none of those occurs in a message.
    std::vector<ListEntry> words[2];
    for (std::int64_t i = 0; i < sizes.words; ++i) {
        const bool white = i % 5 < 2;
        std::string word = randomWord(random, 5, 9) + (white ? "-ok" : "");
        if (!white)
            listed.blackWords.push_back(word);
        words[white ? 0 : 1].push_back(entryOf(ListKind::Word, white, std::move(word), ""));
    }
    appendSorted(lists, ListKind::Word, true, std::move(words[0]));
    appendSorted(lists, ListKind::Word, false, std::move(words[1]));
    for (const char* type : {"exe", "scr", "pif", "vbs"})
        lists.sequence(ListKind::FileType, false).push_back(entryOf(ListKind::FileType, false, type, ""));
    lists.rebuildAddressIndexes();
    return listed;
}

void writeInbox(const std::string& maildir, std::int64_t count, const ListedValues& listed)
{
    makeMaildir(maildir);
    std::mt19937 random(1234);
    const std::time_t now = std::time(nullptr);
    for (std::int64_t i = 0; i < count; ++i) {
        auto [from, subject] = senderAndSubject(random, listed);
        const std::string name = std::to_string(now - 3600) + ".M" + std::to_string(i) + "P1.bench";
        writeFile(maildir + "/new/" + name, messageText(random, i, from, std::move(subject)),
            now - 3600 + static_cast<std::time_t>(i * 3600 / count));
    }
}

void linkInbox(const std::string& pristine, const std::string& to)
{
    fs::remove_all(to);
    makeMaildir(to);
    for (const auto& entry : fs::directory_iterator(pristine + "/new")) {
        const std::string target = to + "/new/" + entry.path().filename().string();
        if (link(entry.path().c_str(), target.c_str()) != 0)
            throw std::runtime_error("cannot link " + target);
    }
}

} // namespace kvn::bench
