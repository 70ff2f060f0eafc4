/** @file Fuzz target: the launcher's rewrite of kz.cfg from whatever the old file holds. */
#include "gatehouse/config_files.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string old(reinterpret_cast<const char*>(data), size);
    const std::string out = gatehouse::RewriteKzConfig(old, "S", "acct", "pw");
    const std::string tail = "SavePassword=on\r\nAcctID=acct\r\nAcctPassword=pw\r\nRememberAcctPW=on\r\n";
    if (out.size() < tail.size() || out.compare(out.size() - tail.size(), tail.size(), tail) != 0)
        std::abort();
    // Rewriting the result again changes nothing: no line gains a CR on the way.
    if (gatehouse::RewriteKzConfig(out, "S", "acct", "pw") != out)
        std::abort();
    return 0;
}
