/** @file The launcher's scramble and its kz.cfg password code against the client's decoding rule. */
#include "gatehouse/password_codec.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using gatehouse::EncodeConfigPassword;
using gatehouse::ScramblePassword;

// The client's stored-password decoder: c - 13 modulo 256, plus 95 when that is below 32.
std::string clientDecode(std::string text)
{
    for (char& ch : text) {
        unsigned c = (static_cast<unsigned char>(ch) - 13u) & 0xFFu;
        if (c < 32)
            c += 95;
        ch = static_cast<char>(c);
    }
    return text;
}

TEST(PasswordCodec, ScrambleIsItsOwnInverseAtAnyLength)
{
    std::string all;
    for (int c = 0; c < 256; ++c)
        all += static_cast<char>(c);
    for (const std::string& password : {std::string(), std::string("hunter2"), std::string(32, 'x'),
                                        std::string(33, 'x'), all}) {
        const std::string scrambled = ScramblePassword(password);
        EXPECT_EQ(scrambled.size(), password.size());
        EXPECT_EQ(ScramblePassword(scrambled), password);
    }
    // First letter of the key is 'Q' (0x51) with its top bit flipped: 'a' ^ 0xD1.
    EXPECT_EQ(ScramblePassword("a"), std::string(1, static_cast<char>('a' ^ 0xD1)));
    // Past the 32nd letter the key starts again.
    EXPECT_EQ(ScramblePassword(std::string(33, 'a')).back(), ScramblePassword("a")[0]);
    // A character equal to a key letter + 128 scrambles to a zero byte, which is kept.
    EXPECT_EQ(ScramblePassword(std::string(1, static_cast<char>(0xD1))), std::string(1, '\0'));
}

TEST(PasswordCodec, EncodeFollowsTheClientRuleForEveryCharacter)
{
    struct Row {
        std::string in;
        std::string out;
    };
    const Row rows[] = {
        {"!", "."}, {"\"", "/"}, {"0", "="}, {"9", "F"}, {"A", "N"}, {"Z", "g"}, {"a", "n"}, {"q", "~"},
        {"r", "\x7f"}, {"s", "!"}, {"z", "("}, {"\xA4", "R"},
        // Characters a narrower table would have turned into blanks.
        {"$", "1"}, {"@", "M"}, {"_", "l"}, {"-", ":"}, {".", ";"}, {" ", "-"}, {"~", ","},
    };
    for (const Row& row : rows)
        EXPECT_EQ(EncodeConfigPassword(row.in), row.out) << "input " << row.in;
}

TEST(PasswordCodec, EveryPrintablePasswordRoundTripsThroughTheClientDecoder)
{
    std::string printable;
    for (int c = 32; c < 127; ++c)
        printable += static_cast<char>(c);
    const std::string encoded = EncodeConfigPassword(printable);
    EXPECT_EQ(encoded.find(' '), std::string::npos);
    EXPECT_EQ(clientDecode(encoded), printable);
}

} // namespace
