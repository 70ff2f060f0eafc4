/** @file Fuzz target: the text of a .def remap table. */
#include "client/data/def_tables.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    DefTable table;
    table.LoadText(std::string(reinterpret_cast<const char*>(data), size));
    for (uint32_t id = 0; id < 8; ++id) table.PickAlternate(static_cast<uint16_t>(id), id);
    return 0;
}
