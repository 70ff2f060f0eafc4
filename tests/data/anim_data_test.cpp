/** @file Tests of the animated-tile table and the per-tick advance. */
#include "client/data/anim_data.h"
#include "tools/formats/data_formats.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

struct FakeObject : AnimatedObject {
    explicit FakeObject(uint16_t g) : graphic(g) {}
    bool isValidObject() const override { return valid; }
    bool IsHidden() const override { return hidden; }
    uint16_t animGraphic() const override { return graphic; }
    void removeFromDrawList() override
    {
        log += "-";
        if (onRemove) onRemove();
    }
    void setGraphicOffset(int8_t o) override { offset = o; }
    void addToDrawList() override { log += "+"; }
    uint16_t graphic;
    bool valid = true;
    bool hidden = false;
    int8_t offset = -1;
    std::string log;
    std::function<void()> onRemove;
};

formats::AnimRecord cycle(uint8_t count, uint8_t interval, uint8_t current = 0, uint8_t delay = 0)
{
    formats::AnimRecord r;
    for (int i = 0; i < 64; ++i) r.offsets[static_cast<size_t>(i)] = static_cast<int8_t>(10 + i);
    r.count = count;
    r.interval = interval;
    r.current = current;
    r.delay = delay;
    return r;
}

class AnimDataTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        formats::AnimGroup g0{};
        g0[1] = cycle(3, 1);        // graphic 1: every tick
        g0[2] = cycle(3, 0);        // graphic 2: interval 0
        g0[3] = cycle(0, 1);        // graphic 3: no frames
        g0[4] = cycle(200, 1, 250); // graphic 4: count and current out of range
        g0[5] = cycle(2, 2, 0, 1);  // graphic 5: every other tick, delayed by one
        formats::Bytes file = formats::encodeAnimGroup(g0);
        animCrap::LoadAnimDataFrom(file.data(), file.size());
        animCrap::ClearObjects();
    }
    void TearDown() override { animCrap::ClearObjects(); }
};

TEST_F(AnimDataTest, LoadsRecordsAndDefaultsTheRest)
{
    EXPECT_EQ(animCrap::Record(1).count, 3);
    EXPECT_EQ(animCrap::Record(4).count, 64);
    EXPECT_EQ(animCrap::Record(4).current, 0);
    EXPECT_EQ(animCrap::Record(8).interval, kDefaultAnimInterval); // the file ends before group 1
    EXPECT_EQ(animCrap::Record(8).count, 0);
}

TEST_F(AnimDataTest, ALoadResetsEveryRecordTheNewFileDoesNotReach)
{
    formats::AnimGroup g{};
    g[1] = cycle(3, 1);
    formats::Bytes two = formats::encodeAnimGroup(g);
    const formats::Bytes second = formats::encodeAnimGroup(g);
    two.insert(two.end(), second.begin(), second.end());
    animCrap::LoadAnimDataFrom(two.data(), two.size());
    animCrap::ApplyGroup(500, formats::encodeAnimGroup(g).data());
    ASSERT_EQ(animCrap::Record(9).count, 3);
    ASSERT_EQ(animCrap::Record(4001).count, 3);

    const formats::Bytes one = formats::encodeAnimGroup(g);
    animCrap::LoadAnimDataFrom(one.data(), one.size());
    EXPECT_EQ(animCrap::Record(1).count, 3);
    for (uint16_t graphic : {9, 4001}) {
        EXPECT_EQ(animCrap::Record(graphic).count, 0) << graphic;
        EXPECT_EQ(animCrap::Record(graphic).interval, kDefaultAnimInterval) << graphic;
    }
}

TEST_F(AnimDataTest, ObjectsOfOneGraphicShowTheSameFrameEveryTick)
{
    FakeObject a(1), b(1);
    animCrap::AddObject(&a);
    animCrap::AddObject(&b);
    std::vector<int> frames;
    for (int tick = 0; tick < 4; ++tick) {
        animCrap::Update();
        EXPECT_EQ(a.offset, b.offset);
        frames.push_back(a.offset);
    }
    EXPECT_EQ(frames, (std::vector<int>{11, 12, 10, 11}));
    EXPECT_EQ(a.log, "-+-+-+-+");
}

TEST_F(AnimDataTest, RecordsThatMustNotAnimateStayStill)
{
    FakeObject noInterval(2), noFrames(3), hidden(1);
    hidden.hidden = true;
    for (FakeObject* o : {&noInterval, &noFrames, &hidden}) animCrap::AddObject(o);
    for (int tick = 0; tick < 10; ++tick) animCrap::Update();
    for (FakeObject* o : {&noInterval, &noFrames, &hidden}) {
        EXPECT_EQ(o->offset, -1);
        EXPECT_EQ(o->log, "");
    }
}

TEST_F(AnimDataTest, IntervalAndDelayPickTheTicks)
{
    FakeObject o(5);
    animCrap::AddObject(&o);
    const uint32_t start = animCrap::Counter();
    std::string moved;
    for (int tick = 0; tick < 6; ++tick) {
        animCrap::Update();
        moved += o.log.empty() ? "." : "x";
        o.log.clear();
    }
    // Due when (counter + 1) is even.
    std::string expected;
    for (uint32_t c = start + 1; c <= start + 6; ++c) expected += (c + 1) % 2 == 0 ? "x" : ".";
    EXPECT_EQ(moved, expected);
}

TEST_F(AnimDataTest, AnObjectDestroyedDuringThePassIsNotTouchedAgain)
{
    FakeObject first(1);
    auto doomed = std::make_unique<FakeObject>(1);
    FakeObject last(1);
    animCrap::AddObject(&first);
    animCrap::AddObject(doomed.get());
    animCrap::AddObject(&last);
    first.onRemove = [&] {
        animCrap::RemoveObject(doomed.get());
        doomed.reset();
    };
    animCrap::Update();
    EXPECT_EQ(first.log, "-+");
    EXPECT_EQ(first.offset, 11);
    first.onRemove = nullptr;
    animCrap::Update();
    EXPECT_EQ(last.offset, first.offset); // the list carries on without the destroyed object
}

TEST_F(AnimDataTest, InvalidObjectEndsThePass)
{
    FakeObject bad(1), after(1);
    bad.valid = false;
    animCrap::AddObject(&bad);
    animCrap::AddObject(&after);
    animCrap::Update();
    EXPECT_EQ(after.log, "");
}

} // namespace
