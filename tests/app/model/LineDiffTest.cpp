// Tests of the line scan a save keys lines with: each line's end, key and marks, wherever in memory the line stands.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "app/model/LineDiff.h"

namespace {

// Bytes a page's lines hold, the ones the scan looks for among them often: CR, the held character's
// mark, "!", a zero (which the key must tell from the end of a line), bytes beyond ASCII.
std::string randomLine(std::mt19937& random, size_t length, bool breaks)
{
    static const std::string kBytes = std::string("\r\x1F!\0\x80\xFF\xF1<a>\t ", 12) + "pqrstuvwxyz0123";
    std::string line;
    for (size_t k = 0; k < length; ++k) {
        char c = kBytes[random() % kBytes.size()];
        if (c == '\r' && !breaks)
            c = 'r';
        line += c;
    }
    return line;
}

TEST(ScanLine, EachLineReadsAsItsEndItsMarksAndTheKeyOfItsBytesWhereverItStands)
{
    std::mt19937 random(20261209);
    for (int round = 0; round < 3000; ++round) {
        // Lines across the sixteen- and eight-byte steps of the scan, at every alignment.
        const size_t lead = random() % 40;
        const std::string text = randomLine(random, lead, false) + "\r" + randomLine(random, random() % 90, true);
        for (size_t from = lead + 1; from <= text.size();) {
            const TScannedLine scanned = ScanLine(text, from);
            const size_t end = std::min(text.find('\r', from), text.size());
            const std::string_view line = std::string_view(text).substr(from, end - from);
            ASSERT_EQ(scanned.End, end) << round;
            EXPECT_EQ(scanned.Key, LineKey(line)) << round;
            EXPECT_EQ(scanned.Held, line.find('\x1F') != std::string_view::npos) << round;
            EXPECT_EQ(scanned.Exclamation, line.find('!') != std::string_view::npos) << round;
            EXPECT_EQ(scanned.BeyondAscii, std::any_of(line.begin(), line.end(), [](char c) { return (c & 0x80) != 0; }))
                << round;
            // The same line elsewhere, after other bytes and before others, has the same key.
            const std::string elsewhere = randomLine(random, random() % 33, false) + "\r" + std::string(line) +
                                          (random() % 2 ? std::string("\r") + randomLine(random, random() % 20, true) : "");
            const size_t at = elsewhere.find('\r') + 1;
            EXPECT_EQ(ScanLine(elsewhere, at).Key, scanned.Key) << round;
            EXPECT_EQ(ScanLine(elsewhere, at).End, at + line.size()) << round;
            from = end + 1;
        }
    }
}

TEST(ScanLine, LinesThatDifferHaveKeysThatDiffer)
{
    // Lines alike but for one byte anywhere, for zeros at their end (which the scan's words are
    // padded with), for their length, or for two words swapped; and many random ones.
    std::unordered_map<uint64_t, std::string> lines;
    std::unordered_set<std::string> distinct;
    const auto add = [&](const std::string& line) {
        distinct.insert(line);
        const auto [found, added] = lines.emplace(LineKey(line), line);
        EXPECT_TRUE(added || found->second == line) << "\"" << line << "\" and \"" << found->second << "\"";
    };
    const std::string base = "<td class=\"celda\">Una fila de la tabla con &ntilde; y \xF1, 0123456789abcdef</td>";
    for (size_t at = 0; at < base.size(); ++at)
        for (int byte = 0; byte < 256; ++byte) {
            std::string line = base;
            line[at] = static_cast<char>(byte);
            if (byte != '\r')
                add(line);
        }
    for (size_t length = 0; length <= 40; ++length) {
        add(std::string(length, '\0'));
        add(std::string(length, 'a'));
        add(std::string("a").append(length, '\0'));
    }
    for (size_t word = 0; word + 2 < base.size() / 8; ++word) {
        std::string line = base;
        std::swap_ranges(line.begin() + static_cast<std::ptrdiff_t>(8 * word), line.begin() + static_cast<std::ptrdiff_t>(8 * word + 8),
                         line.begin() + static_cast<std::ptrdiff_t>(8 * word + 16));
        add(line);
    }
    std::mt19937 random(7);
    for (int round = 0; round < 100000; ++round)
        add(randomLine(random, random() % 200, false));
    EXPECT_EQ(lines.size(), distinct.size());
    EXPECT_GT(distinct.size(), 100000u);
}

} // namespace
