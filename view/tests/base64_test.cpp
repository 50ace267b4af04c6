#include "view/base64.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

TEST(Base64, MatchesTheStandardVectors)
{
    // RFC 4648, section 10, plus bytes that use the last two symbols.
    const struct
    {
        std::string bytes;
        std::string text;
    } cases[] = {{"", ""},
                 {"f", "Zg=="},
                 {"fo", "Zm8="},
                 {"foo", "Zm9v"},
                 {"foob", "Zm9vYg=="},
                 {"fooba", "Zm9vYmE="},
                 {"foobar", "Zm9vYmFy"},
                 {"\xfb\xff\xbf", "+/+/"},
                 {std::string("\0\0\0\0", 4), "AAAAAA=="}};
    for (const auto &c : cases)
    {
        std::string out = "x";
        appendBase64(out, c.bytes.data(), c.bytes.size());
        EXPECT_EQ(out, "x" + c.text) << c.text;
        EXPECT_EQ(base64Length(c.bytes.size()), c.text.size()) << c.text;
    }
}

TEST(Base64, PiecesOfWholeTriplesJoinIntoTheWhole)
{
    std::string bytes;
    for (int i = 0; i < 1000; ++i)
        bytes += char(i * 7 + 3);
    std::string whole, pieces;
    appendBase64(whole, bytes.data(), bytes.size());
    for (size_t done = 0; done < bytes.size(); done += 99)
        appendBase64(pieces, bytes.data() + done, std::min<size_t>(99, bytes.size() - done));
    EXPECT_EQ(pieces, whole);
}

}  // namespace
