/** @file Fuzz target: an animdata.mul image, then animation ticks over every graphic it names. */
#include "client/data/anim_data.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {
struct Obj : AnimatedObject {
    explicit Obj(uint16_t g) : g_(g) {}
    bool isValidObject() const override { return true; }
    bool IsHidden() const override { return false; }
    uint16_t animGraphic() const override { return g_; }
    void removeFromDrawList() override {}
    void setGraphicOffset(int8_t o) override { offset_ = o; }
    void addToDrawList() override {}
    uint16_t g_;
    int8_t offset_ = 0;
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    animCrap::LoadAnimDataFrom(data, size);
    std::vector<Obj> objects;
    objects.reserve(16);
    for (uint16_t g = 0; g < 16; ++g) objects.emplace_back(g);
    for (Obj& o : objects) animCrap::AddObject(&o);
    for (int tick = 0; tick < 70; ++tick) animCrap::Update();
    animCrap::ClearObjects();
    return 0;
}
