/** @file Builders of the client's configuration and player-side files: kz.cfg lines, chardata.mul, ignore.lst, kzbscene.lst and speech.mul. */
#include "tests/support/config_fixtures.h"

namespace testsupport {

namespace {

void putU16Le(std::vector<unsigned char>& out, uint16_t v)
{
    out.push_back(static_cast<unsigned char>(v & 0xFF));
    out.push_back(static_cast<unsigned char>(v >> 8));
}

void putU16Be(std::vector<unsigned char>& out, uint16_t v)
{
    out.push_back(static_cast<unsigned char>(v >> 8));
    out.push_back(static_cast<unsigned char>(v & 0xFF));
}

} // namespace

std::string configText(const std::vector<std::string>& lines, const std::string& eol, bool lastEol)
{
    std::string out;
    for (size_t i = 0; i < lines.size(); ++i) {
        out += lines[i];
        if (lastEol || i + 1 < lines.size()) out += eol;
    }
    return out;
}

std::vector<unsigned char> charDataBytes(const std::vector<uint16_t>& speech, const std::vector<uint16_t>& emote)
{
    std::vector<unsigned char> out;
    for (uint16_t v : speech) putU16Le(out, v);
    for (uint16_t v : emote) putU16Le(out, v);
    return out;
}

std::vector<unsigned char> ignoreListBytes(const std::vector<std::pair<std::string, uint32_t>>& entries)
{
    std::vector<unsigned char> out;
    for (const auto& [name, serial] : entries) {
        for (size_t i = 0; i < 30; ++i) out.push_back(i < name.size() ? static_cast<unsigned char>(name[i]) : 0);
        for (int b = 0; b < 4; ++b) out.push_back(static_cast<unsigned char>(serial >> (8 * b) & 0xFF));
    }
    return out;
}

std::vector<unsigned char> obsceneListBytes(const std::vector<std::u16string>& words, const std::u16string& eol)
{
    std::vector<unsigned char> out;
    for (const std::u16string& word : words) {
        for (char16_t unit : word) putU16Le(out, static_cast<uint16_t>(unit + 13));
        for (char16_t unit : eol) putU16Le(out, static_cast<uint16_t>(unit + 13));
    }
    return out;
}

std::vector<unsigned char> speechMulBytes(const std::vector<std::pair<uint16_t, std::string>>& entries)
{
    std::vector<unsigned char> out;
    for (const auto& [id, text] : entries) {
        putU16Be(out, id);
        putU16Be(out, static_cast<uint16_t>(text.size()));
        out.insert(out.end(), text.begin(), text.end());
    }
    return out;
}

} // namespace testsupport
