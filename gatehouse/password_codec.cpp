/** @file The launcher's password codes. */
#include "gatehouse/password_codec.h"

#include <string_view>

namespace gatehouse {

namespace {
constexpr std::string_view kScrambleKey = "QarnEvTolisuMendraKoBilTuvesHaNo";
}

std::string ScramblePassword(const std::string& password)
{
    std::string out = password;
    for (size_t i = 0; i < out.size(); ++i) {
        const auto keyByte = static_cast<unsigned char>(kScrambleKey[i % kScrambleKey.size()] + 128);
        out[i] = static_cast<char>(static_cast<unsigned char>(out[i]) ^ keyByte);
    }
    return out;
}

std::string EncodeConfigPassword(const std::string& password)
{
    std::string out = password;
    for (char& ch : out) {
        unsigned c = (static_cast<unsigned char>(ch) + 13u) & 0xFFu;
        if (c > 127)
            c -= 95;
        ch = static_cast<char>(c);
    }
    return out;
}

} // namespace gatehouse
