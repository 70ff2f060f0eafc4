/** @file The key tree behind both key stores, and its text form. */
#include "platform/keystore/key_store.h"
#include "platform/text/text_scan.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>

namespace platform {

namespace {

/*
 * Case folding works on eight bytes at once: key paths are folded on every lookup, and a loop per
 * byte would cost more than the lookup itself.
 */
constexpr uint64_t kOnes = 0x0101010101010101u;

/** The bytes of a word with the ASCII capitals made small; other bytes, 0x80 and up included, stay. */
uint64_t foldWord(uint64_t w)
{
    const uint64_t low7 = w & (0x7F * kOnes);
    const uint64_t atLeastA = low7 + (0x80 - 'A') * kOnes; // top bit set where the low 7 bits are >= 'A'
    const uint64_t pastZ = low7 + (0x7F - 'Z') * kOnes;    // top bit set where they are > 'Z'
    const uint64_t capitals = atLeastA & ~pastZ & ~w & (0x80 * kOnes);
    return w | capitals >> 2; // 0x20 on each capital
}

/** Up to eight bytes as a word, zeros after them. */
uint64_t loadWord(const char* p, size_t n)
{
    uint64_t w = 0;
    std::memcpy(&w, p, n);
    return w;
}

/** Writes s with ASCII capitals made small to out, which has room for s.size() bytes. */
void foldInto(std::string_view s, char* out)
{
    size_t i = 0;
    for (; s.size() - i >= 8; i += 8) {
        const uint64_t w = foldWord(loadWord(s.data() + i, 8));
        std::memcpy(out + i, &w, 8);
    }
    if (i < s.size()) {
        const uint64_t w = foldWord(loadWord(s.data() + i, s.size() - i));
        std::memcpy(out + i, &w, s.size() - i);
    }
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    size_t i = 0;
    for (; a.size() - i >= 8; i += 8)
        if (foldWord(loadWord(a.data() + i, 8)) != foldWord(loadWord(b.data() + i, 8)))
            return false;
    const size_t rest = a.size() - i;
    return rest == 0 || foldWord(loadWord(a.data() + i, rest)) == foldWord(loadWord(b.data() + i, rest));
}

/** Calls name(part) for each non-empty "\\"-separated name of a key path, in order. */
template <class F>
void forEachName(std::string_view key, const F& name)
{
    size_t start = 0;
    while (start <= key.size()) {
        size_t end = key.find('\\', start);
        if (end == std::string_view::npos)
            end = key.size();
        if (end > start)
            name(key.substr(start, end - start));
        start = end + 1;
    }
}

/** The number of names in a key path. */
size_t nameCount(std::string_view key)
{
    size_t n = 0;
    forEachName(key, [&](std::string_view) { ++n; });
    return n;
}

/**
 * Writes the lookup form of a key path (names folded, joined with one "\\") to `out`, which has
 * room for key.size() bytes, the most it can take; returns its length.
 */
size_t writeLookupForm(std::string_view key, char* out)
{
    foldInto(key, out);
    // Paths are mostly written with single separators between names: nothing more to do.
    if (key.empty() || (key.front() != '\\' && key.back() != '\\' && key.find("\\\\") == std::string_view::npos))
        return key.size();
    // Drop the leading, trailing and repeated separators.
    size_t length = 0;
    for (size_t i = 0; i < key.size(); ++i)
        if (out[i] != '\\' || (length != 0 && out[length - 1] != '\\'))
            out[length++] = out[i];
    if (length != 0 && out[length - 1] == '\\')
        --length;
    return length;
}

/** The lookup form of a key path as a string. */
std::string foldedKey(std::string_view key)
{
    std::string out(key.size(), '\0');
    out.resize(writeLookupForm(key, out.data()));
    return out;
}

/** The lookup form of a key path, made on the stack for paths of usual length: lookups allocate nothing. */
class LookupForm {
public:
    explicit LookupForm(std::string_view key)
    {
        if (key.size() <= sizeof local_) {
            form_ = std::string_view(local_, writeLookupForm(key, local_));
        } else {
            spilled_ = foldedKey(key);
            form_ = spilled_;
        }
    }
    std::string_view view() const { return form_; }

private:
    char local_[256];
    std::string spilled_;
    std::string_view form_;
};

std::string_view lastName(std::string_view path)
{
    const size_t slash = path.find_last_of('\\');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

void appendHex(std::string& out, std::string_view prefix, unsigned char c)
{
    static const char digits[] = "0123456789abcdef";
    out += prefix;
    out.push_back(digits[c >> 4]);
    out.push_back(digits[c & 15]);
}

/* Key names in section headers: "%XX" for "%", the brackets, quotes and control bytes. */
void appendEscapedKeyName(std::string& out, std::string_view name)
{
    for (unsigned char c : name) {
        if (c < 0x20 || c == 0x7F || c == '%' || c == '[' || c == ']' || c == '"')
            appendHex(out, "%", c);
        else
            out.push_back(static_cast<char>(c));
    }
}

/** Appends the name a section header's text stands for; false (out then holds part of it) on a bad escape. */
bool appendUnescapedKeyName(std::string& out, std::string_view text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out.push_back(text[i]);
            continue;
        }
        const auto byte = hexByteAt(text, i + 1);
        if (!byte)
            return false;
        out.push_back(static_cast<char>(*byte));
        i += 2;
    }
    return true;
}

/* Value names and string values: a quoted string with C-like escapes, so any byte survives a line. */
void appendQuoted(std::string& out, std::string_view text)
{
    out.push_back('"');
    for (unsigned char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20 || c == 0x7F)
                appendHex(out, "\\x", c);
            else
                out.push_back(static_cast<char>(c));
        }
    }
    out.push_back('"');
}

/** Reads a quoted string at the start of text; advances text past it. */
std::optional<std::string> unquote(std::string_view& text)
{
    if (text.empty() || text.front() != '"')
        return std::nullopt;
    std::string out;
    size_t i = 1;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '"') {
            text.remove_prefix(i + 1);
            return out;
        }
        if (c != '\\') {
            out.push_back(c);
            ++i;
            continue;
        }
        if (i + 1 >= text.size())
            return std::nullopt;
        const char e = text[i + 1];
        i += 2;
        switch (e) {
        case '\\': out.push_back('\\'); break;
        case '"': out.push_back('"'); break;
        case 'n': out.push_back('\n'); break;
        case 'r': out.push_back('\r'); break;
        case 't': out.push_back('\t'); break;
        case 'x': {
            const auto byte = hexByteAt(text, i);
            if (!byte)
                return std::nullopt;
            out.push_back(static_cast<char>(*byte));
            i += 2;
            break;
        }
        default:
            return std::nullopt;
        }
    }
    return std::nullopt; // no closing quote
}

std::optional<std::vector<uint8_t>> parseHexList(std::string_view text)
{
    std::vector<uint8_t> out;
    text = trimBlanks(text);
    if (text.empty())
        return out;
    size_t i = 0;
    for (;;) {
        while (i < text.size() && text[i] == ' ')
            ++i;
        const auto byte = hexByteAt(text, i);
        if (!byte)
            return std::nullopt;
        out.push_back(*byte);
        i += 2;
        while (i < text.size() && text[i] == ' ')
            ++i;
        if (i == text.size())
            return out;
        if (text[i] != ',')
            return std::nullopt;
        ++i;
    }
}

std::vector<uint8_t> uint32Bytes(uint32_t v)
{
    return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
            static_cast<uint8_t>(v >> 24)};
}

uint32_t uint32FromBytes(const std::vector<uint8_t>& b)
{
    return uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24;
}

} // namespace

const KeyTree::Key* KeyTree::find(std::string_view key) const
{
    const LookupForm folded(key);
    if (folded.view().empty())
        return nullptr;
    auto it = keys_.find(folded.view());
    return it == keys_.end() ? nullptr : &it->second;
}

const KeyTree::Value* KeyTree::findValue(std::string_view key, std::string_view name) const
{
    const Key* k = find(key);
    if (!k)
        return nullptr;
    for (const Value& v : k->values)
        if (equalsIgnoringCase(v.name, name))
            return &v;
    return nullptr;
}

KeyTree::Key* KeyTree::create(std::string_view key)
{
    if (auto it = keys_.find(LookupForm(key).view()); it != keys_.end())
        return &it->second;
    // Each level stores its whole path, so the depth bounds the work a path can cause.
    if (nameCount(key) > kMaxDepth)
        return nullptr;
    Key* current = nullptr;
    std::string folded;
    folded.reserve(key.size());
    forEachName(key, [&](std::string_view part) {
        if (!folded.empty())
            folded.push_back('\\');
        const size_t at = folded.size();
        folded.append(part);
        foldInto(part, folded.data() + at);
        auto it = keys_.find(folded);
        if (it == keys_.end()) {
            Key fresh;
            if (current != nullptr) {
                fresh.path.reserve(current->path.size() + 1 + part.size());
                fresh.path.append(current->path).push_back('\\');
            }
            fresh.path.append(part);
            it = keys_.emplace(folded, std::move(fresh)).first;
        }
        current = &it->second;
    });
    return current;
}

bool KeyTree::setValue(std::string_view key, std::string_view name, Type type, std::vector<uint8_t> data)
{
    Key* k = create(key);
    if (!k)
        return false;
    setValueOf(*k, name, type, std::move(data));
    return true;
}

void KeyTree::setValueOf(Key& key, std::string_view name, Type type, std::vector<uint8_t> data)
{
    for (Value& v : key.values) {
        if (equalsIgnoringCase(v.name, name)) {
            v.type = type; // the name keeps the case it was first written in
            v.data = std::move(data);
            return;
        }
    }
    key.values.push_back(Value{std::string(name), type, std::move(data)});
}

bool KeyTree::removeValue(std::string_view key, std::string_view name)
{
    auto it = keys_.find(LookupForm(key).view());
    if (it == keys_.end())
        return false;
    auto& values = it->second.values;
    auto v = std::find_if(values.begin(), values.end(), [&](const Value& value) { return equalsIgnoringCase(value.name, name); });
    if (v == values.end())
        return false;
    values.erase(v);
    return true;
}

bool KeyTree::removeKey(std::string_view key)
{
    const std::string folded = foldedKey(key);
    if (folded.empty())
        return false;
    auto it = keys_.find(folded);
    if (it == keys_.end())
        return false;
    keys_.erase(it);
    // Every path under the key shares the prefix, so they sit together in the sorted map.
    const std::string prefix = folded + "\\";
    it = keys_.lower_bound(prefix);
    while (it != keys_.end() && it->first.compare(0, prefix.size(), prefix) == 0)
        it = keys_.erase(it);
    return true;
}

std::vector<std::string> KeyTree::subKeys(std::string_view key) const
{
    const std::string folded = foldedKey(key);
    const std::string prefix = folded.empty() ? std::string() : folded + "\\";
    std::vector<std::pair<std::string, std::string>> found; // folded name, name
    for (const auto& [path, k] : keys_) {
        if (path.compare(0, prefix.size(), prefix) != 0 || path.size() == prefix.size())
            continue;
        if (path.find('\\', prefix.size()) != std::string::npos)
            continue;
        found.emplace_back(path.substr(prefix.size()), std::string(lastName(k.path)));
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> names;
    for (auto& f : found)
        names.push_back(std::move(f.second));
    return names;
}

std::vector<const KeyTree::Key*> KeyTree::keys() const
{
    // A path sorts before every path it is a prefix of, so parents come before their children.
    std::vector<const Key*> out;
    for (const auto& entry : keys_)
        out.push_back(&entry.second);
    return out;
}

std::string KeyTree::serialize() const
{
    std::string out = "; Settings of the kz programs: one [key] section per key, one typed value per line.\n";
    for (const auto& entry : keys_) {
        const Key& key = entry.second;
        out += "\n[";
        bool first = true;
        forEachName(key.path, [&](std::string_view part) {
            if (!first)
                out.push_back('\\');
            appendEscapedKeyName(out, part);
            first = false;
        });
        out += "]\n";
        for (const Value& v : key.values) {
            appendQuoted(out, v.name);
            switch (v.type) {
            case Type::String:
                out += "=string:";
                appendQuoted(out, std::string_view(reinterpret_cast<const char*>(v.data.data()), v.data.size()));
                break;
            case Type::Binary: {
                out += "=binary:";
                for (size_t i = 0; i < v.data.size(); ++i) {
                    if (i)
                        out.push_back(',');
                    appendHex(out, "", v.data[i]);
                }
                break;
            }
            case Type::UInt32:
                out += "=uint32:";
                out += std::to_string(uint32FromBytes(v.data));
                break;
            }
            out.push_back('\n');
        }
    }
    return out;
}

KeyTree KeyTree::parse(std::string_view text)
{
    KeyTree tree;
    Key* current = nullptr;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = trimBlanks(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() == '[') {
            current = nullptr;
            if (line.back() != ']')
                continue;
            const std::string_view header = line.substr(1, line.size() - 2);
            std::string path;
            bool good = nameCount(header) <= kMaxDepth; // a deeper section is skipped with its values
            forEachName(header, [&](std::string_view part) {
                if (!good)
                    return;
                if (!path.empty())
                    path.push_back('\\');
                const size_t at = path.size();
                // A name is never empty and never holds the separator, escaped or not.
                good = appendUnescapedKeyName(path, part) && path.size() > at &&
                       path.find('\\', at) == std::string::npos;
            });
            if (good)
                current = tree.create(path);
            continue;
        }
        if (!current)
            continue; // a value outside any key
        std::string_view rest = line;
        auto name = unquote(rest);
        if (!name || rest.empty() || rest.front() != '=')
            continue;
        rest.remove_prefix(1);
        const size_t colon = rest.find(':');
        if (colon == std::string_view::npos)
            continue;
        const std::string_view type = rest.substr(0, colon);
        std::string_view payload = rest.substr(colon + 1);
        if (type == "string") {
            auto value = unquote(payload);
            if (!value || !trimBlanks(payload).empty())
                continue;
            setValueOf(*current, *name, Type::String, std::vector<uint8_t>(value->begin(), value->end()));
        } else if (type == "binary") {
            auto bytes = parseHexList(payload);
            if (bytes)
                setValueOf(*current, *name, Type::Binary, std::move(*bytes));
        } else if (type == "uint32") {
            payload = trimBlanks(payload);
            uint32_t v = 0;
            auto [ptr, ec] = std::from_chars(payload.data(), payload.data() + payload.size(), v);
            if (ec == std::errc() && ptr == payload.data() + payload.size() && !payload.empty())
                setValueOf(*current, *name, Type::UInt32, uint32Bytes(v));
        }
    }
    return tree;
}

} // namespace platform
