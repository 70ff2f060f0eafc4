/** @file Effect, sound and environment packets: effects with and without mobiles, sounds with the remap and the id limit, music, light, weather, the clock and sequences. */
#include "tests/net/game_handler_fixture.h"

#include "client/world/weather_manager.h"

namespace {

using namespace gametest;

constexpr uint32_t kOther = 0x10, kAbsent = 0x77;

class EffectPackets : public GameHandlerTest {
protected:
    EffectPackets()
    {
        addMobile(kOther);
        knife = addItem(0x40000100, testsupport::G_KNIFE)->serial;
    }
    static Pkt effect(uint8_t id, uint32_t source, uint32_t target, uint16_t graphic)
    {
        return Pkt(id).u8(2).u32(source).u32(target).u16(graphic).u16(100).u16(200).u8(0xFB).u16(300).u16(400).u8(5)
            .u8(9).zeros(5);
    }
    static Bytes soundPacket(uint8_t mode, uint16_t id) { return Pkt(0x54).u8(mode).u16(id).u16(0).u16(10).u16(20).u16(3); }
    uint32_t knife = 0;
};

TEST_F(EffectPackets, EffectsTurnAnythingButAMobileIntoALocation)
{
    struct Case {
        Bytes packet;
        std::vector<std::string> effects;
    };
    const Case cases[] = {
        {effect(0x70, kOther, kPlayerSerial, 1),
         {"basic type 2 src 10 dst 1 graphic 1 at 100,200,-5 to 300,400,5 speed 9 hue 0 mode 0"}},
        {effect(0x70, knife, kAbsent, 7), {"basic type 2 src 0 dst 0 graphic 7 at 100,200,-5 to 300,400,5 speed 9 hue 0 mode 0"}},
        {effect(0xC0, kOther, 0, 1).u32(33).u32(4),
         {"effect type 2 src 10 dst 0 graphic 1 at 100,200,-5 to 300,400,5 speed 9 hue 33 mode 4"}},
        {effect(0xC7, kOther, 0, 0x36B0).u32(33).u32(4).zeros(13),
         {"effect type 2 src 10 dst 0 graphic 14000 at 100,200,-5 to 300,400,5 speed 9 hue 33 mode 4"}},
        {effect(0xC7, kOther, 0, 1).u32(33).u32(4).zeros(13), {}},
        {effect(0xC7, kOther, 0, 0).u32(33).u32(4).zeros(13), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(hex(c.packet));
        effects.effects.clear();
        dispatch(c.packet);
        EXPECT_EQ(effects.effects, c.effects);
    }
}

TEST_F(EffectPackets, ItemMovesFlyBetweenMobilesOrLocations)
{
    const auto move = [](uint32_t source, uint32_t target) {
        return Pkt(0x23).u16(0x0EED).u8(2).u16(0).u16(0).u32(source).u16(100).u16(200).u8(0xFB).u32(target).u16(300)
            .u16(400).u8(5);
    };
    struct Case {
        Bytes packet;
        std::vector<std::string> effects;
    };
    const Case cases[] = {
        {move(kOther, kPlayerSerial), {"moving type 0 src 10 dst 1 graphic 3823 at 100,200,-5 to 300,400,5 speed 0 hue 0 mode 0"}},
        {move(knife, kAbsent), {"moving type 0 src 0 dst 0 graphic 3823 at 100,200,-5 to 300,400,5 speed 0 hue 0 mode 0"}},
        {move(0, kOther), {"moving type 0 src 0 dst 10 graphic 3823 at 100,200,-5 to 300,400,5 speed 0 hue 0 mode 0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(hex(c.packet));
        effects.effects.clear();
        dispatch(c.packet);
        EXPECT_EQ(effects.effects, c.effects);
    }
}

TEST_F(EffectPackets, SoundsLoopsRemapAndTheLastId)
{
    loadDefTables({{"sound.def", "100 {1200} 0\n101 {500} 0\n"}});
    dispatch(soundPacket(1, 55));
    dispatch(soundPacket(1, 101));  // remapped to 500
    dispatch(soundPacket(1, 100));  // remapped past the last id: nothing
    dispatch(soundPacket(1, 1147)); // past the last id
    dispatch(soundPacket(1, 1146));
    dispatch(soundPacket(0, 100)); // the loop is never remapped
    EXPECT_EQ(sound.played, (std::vector<std::string>{"55@10,20,3", "500@10,20,3", "1146@10,20,3"}));
    EXPECT_EQ(sound.loops, std::vector<int>{100});
}

TEST_F(EffectPackets, SequencesRecordSounds)
{
    dispatch(Pkt(0x7B).u8(1));
    dispatch(Pkt(0x7B).u8(0));
    dispatch(Pkt(0x7B).u8(0));
    EXPECT_EQ(messageGumps.messages, (std::vector<std::string>{"not sequencing!", "already sequencing!"}));
    EXPECT_TRUE(effects.recording);
    dispatch(soundPacket(1, 55));
    dispatch(soundPacket(0, 7)); // the loop plays at once
    EXPECT_EQ(effects.sounds, std::vector<std::string>{"55@10,20,3"});
    EXPECT_TRUE(sound.played.empty());
    EXPECT_EQ(sound.loops, std::vector<int>{7});
    dispatch(Pkt(0x7B).u8(3));
    EXPECT_FALSE(effects.recording);
    EXPECT_EQ(effects.sequences, std::vector<std::string>{"1 sounds x3"});
    dispatch(soundPacket(1, 55));
    EXPECT_EQ(sound.played, std::vector<std::string>{"55@10,20,3"});
}

TEST_F(EffectPackets, MusicLightWeatherAndClock)
{
    dispatch(Pkt(0x6D).u16(9));
    EXPECT_EQ(music.songs, std::vector<std::string>{"9/1/0"});
    dispatch(Pkt(0x5B).u8(13).u8(45).u8(30));
    EXPECT_EQ(Game().hour, 13);
    EXPECT_EQ(Game().minute, 45);
    EXPECT_EQ(Game().second, 30);
    dispatch(Pkt(0x4E).u32(kPlayerSerial).u8(7));
    EXPECT_EQ(player->lightLevel, 7);
    WeatherManager::startup();
    dispatch(Pkt(0x65).u8(254).u8(3).u8(0xF6));
    EXPECT_EQ(WeatherManager::State().temperature, -10);
    EXPECT_EQ(WeatherManager::State().season, 3);
}

TEST_F(EffectPackets, MalformedPacketsChangeNothing)
{
    const Bytes samples[] = {
        effect(0x70, kOther, 0, 5),
        effect(0xC0, kOther, 0, 5).u32(1).u32(1),
        effect(0xC7, kOther, 0, 5).u32(1).u32(1).zeros(13),
        soundPacket(1, 55),
        Pkt(0x6D).u16(9),
        Pkt(0x4E).u32(kPlayerSerial).u8(7),
        Pkt(0x65).u8(2).u8(30).u8(0),
        Pkt(0x5B).u8(13).u8(45).u8(30),
        Pkt(0x7B).u8(0),
    };
    for (const Bytes& sample : samples) {
        SCOPED_TRACE(hex(sample));
        dispatchEveryPrefix(sample);
    }
    EXPECT_TRUE(effects.effects.empty());
    EXPECT_TRUE(sound.played.empty());
    EXPECT_TRUE(music.songs.empty());
    EXPECT_EQ(player->lightLevel, 0);
    EXPECT_EQ(Game().hour, 0);
    EXPECT_FALSE(effects.recording);
}

} // namespace
