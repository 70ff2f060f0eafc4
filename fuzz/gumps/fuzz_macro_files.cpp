/** @file Fuzz target: keynames.txt and macros.txt as a player's files hold them. */
#include "client/gumps/framework/macros.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The text up to the first zero byte is keynames.txt, the rest macros.txt.
    const std::string all(reinterpret_cast<const char*>(data), size);
    const size_t zero = all.find('\0');
    const std::string names = all.substr(0, zero);
    const std::string macros = zero == std::string::npos ? std::string() : all.substr(zero + 1);
    ReadKeyNames(zero == std::string::npos ? nullptr : &names);
    ReadMacros(macros);
    for (const Macro& m : Macros().macros)
        if (m.actions.size() > Macro::kMaxActions)
            std::abort();
    // What is written reads back as itself.
    const std::string written = WriteMacros();
    const size_t count = Macros().macros.size();
    ReadMacros(written);
    if (WriteMacros() != written && Macros().macros.size() == count)
        std::abort();
    return 0;
}
