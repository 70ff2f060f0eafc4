/** @file Tests of the login-phase cipher, the Twofish keystream and the receive key, against fixed vectors. */
#include "client/net/ciphers.h"
#include "tests/support/loopback_server.h"

#include <nettle/md5.h>
#include <nettle/twofish.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

TEST(LoginCipher, HandWorkedVectorWithTheChosenConstants)
{
    // Seed 127.0.0.1. A = (0xFFFE ^ 0x91C3) : (0x0001 ^ 0x4F2A), B = (0x80FF ^ 0x6B5E) : (0x7F00 ^ 0x2D87).
    LoginCipher cipher;
    cipher.Setup(0x7F000001);
    EXPECT_EQ(cipher.a, 0x6E3D4F2Bu);
    EXPECT_EQ(cipher.b, 0xEBA15287u);
    EXPECT_EQ(cipher.Step(0x00), 0x2B);
    // B' = ((((B >> 1) | A << 31) ^ k1) >> 1 | A << 31) ^ k2 = ((0xF5D0A943 ^ k1) >> 1 | 0x80000000) ^ k2
    // A' = ((A >> 1) | B << 31) ^ k3 = 0xB71EA795 ^ k3
    EXPECT_EQ(cipher.b, 0x2398F58Du);
    EXPECT_EQ(cipher.a, 0xA8958DE2u);
    const uint8_t expected[] = {0xE2, 0x86, 0x34, 0x6D, 0x41, 0x57, 0x5C};
    for (uint8_t key : expected)
        EXPECT_EQ(cipher.Step(0x00), key);
}

TEST(LoginCipher, TheServerTwinDecryptsAndTheKeystreamIgnoresTheData)
{
    for (uint32_t seed : {0u, 1u, 0x7F000001u, 0xFFFFFFFFu, 0xDEADBEEFu}) {
        LoginCipher cipher;
        cipher.Setup(seed);
        testsupport::LoginKeystream twin(seed);
        std::vector<uint8_t> data(1000);
        for (size_t i = 0; i < data.size(); ++i)
            data[i] = static_cast<uint8_t>(i * 7 + seed);
        std::vector<uint8_t> sent = data;
        cipher.Apply(sent.data(), sent.size());
        twin.apply(sent.data(), sent.size());
        EXPECT_EQ(sent, data) << std::hex << seed;
    }
}

TEST(NetCipher, NettleGivesTwofishsPublishedVector)
{
    // Twofish, 128-bit key of zeros, one block of zeros.
    twofish_ctx context;
    const uint8_t key[16] = {};
    twofish128_set_key(&context, key);
    uint8_t block[16] = {};
    twofish_encrypt(&context, 16, block, block);
    const uint8_t expected[16] = {0x9F, 0x58, 0x9F, 0x5C, 0xF6, 0x12, 0x2C, 0x32,
                                  0xB6, 0xBF, 0xEC, 0x2F, 0x2A, 0xE8, 0xC3, 0x5A};
    EXPECT_EQ(0, std::memcmp(block, expected, 16));
}

TEST(NetCipher, KeystreamIsTheEncryptedCountingBlockAndWrapsAfter256Bytes)
{
    const uint8_t seedBytes[4] = {0x12, 0x34, 0x56, 0x78};
    CNetCipher cipher;
    cipher.SetKey(seedBytes);

    // Independently: key = seed bytes four times, block 0..255 encrypted, then encrypted again.
    twofish_ctx context;
    uint8_t key[16];
    for (int i = 0; i < 16; ++i)
        key[i] = seedBytes[i % 4];
    twofish128_set_key(&context, key);
    uint8_t first[256];
    for (int i = 0; i < 256; ++i)
        first[i] = static_cast<uint8_t>(i);
    twofish_encrypt(&context, 256, first, first);
    uint8_t second[256];
    twofish_encrypt(&context, 256, second, first);
    EXPECT_EQ(0, std::memcmp(cipher.KeystreamBlock(), first, 256));

    std::vector<uint8_t> zeros(300, 0);
    cipher.Crypt(zeros.data(), 255);
    cipher.Crypt(zeros.data() + 255, 45); // a call that crosses the wrap
    EXPECT_EQ(0, std::memcmp(zeros.data(), first, 256));
    EXPECT_EQ(zeros[256], second[0]); // byte 257 uses the block encrypted a second time
    EXPECT_EQ(0, std::memcmp(zeros.data() + 256, second, 44));
    EXPECT_EQ(cipher.Position(), 44);

    testsupport::GameKeystream twin(0x12345678);
    std::vector<uint8_t> twinBytes(300, 0);
    twin.apply(twinBytes.data(), twinBytes.size());
    EXPECT_EQ(twinBytes, zeros);

    // Keyed again, after another seed and with the same one twice in a row: the same stream each time.
    const uint8_t otherSeed[4] = {0x7F, 0x00, 0x00, 0x01};
    for (const uint8_t* seed : {otherSeed, seedBytes, seedBytes}) {
        cipher.SetKey(seed);
        std::vector<uint8_t> again(300, 0);
        cipher.Crypt(again.data(), again.size());
        if (seed == seedBytes)
            EXPECT_EQ(again, zeros);
        else
            EXPECT_NE(0, std::memcmp(again.data(), first, 256));
    }
}

TEST(NetCipher, ReceiveKeyIsTheMd5OfTheFirstBlock)
{
    // MD5's value for the 256 bytes 0..255 checks the digest call itself.
    uint8_t counting[256];
    for (int i = 0; i < 256; ++i)
        counting[i] = static_cast<uint8_t>(i);
    uint8_t key[16];
    DeriveReceiveKey(counting, key);
    const uint8_t expected[16] = {0xE2, 0xC8, 0x65, 0xDB, 0x41, 0x62, 0xBE, 0xD9,
                                  0x63, 0xBF, 0xAA, 0x9E, 0xF6, 0xAC, 0x18, 0xF0};
    EXPECT_EQ(0, std::memcmp(key, expected, 16));

    const uint8_t seedBytes[4] = {0x7F, 0x00, 0x00, 0x01};
    CNetCipher cipher;
    cipher.SetKey(seedBytes);
    DeriveReceiveKey(cipher.KeystreamBlock(), key);
    EXPECT_EQ(std::vector<uint8_t>(key, key + 16), testsupport::ReceiveKeyFor(0x7F000001));

    // The XOR runs on over calls: the counter, not the call, picks the key byte.
    uint32_t counter = 0;
    std::vector<uint8_t> bytes(40, 0);
    ApplyReceiveKey(key, counter, bytes.data(), 7);
    ApplyReceiveKey(key, counter, bytes.data() + 7, 33);
    EXPECT_EQ(counter, 40u);
    for (size_t i = 0; i < bytes.size(); ++i)
        EXPECT_EQ(bytes[i], key[i % 16]) << i;
    counter = 0xFFFFFFFFu; // the counter is unsigned: it wraps onto key byte 0
    uint8_t one[2] = {};
    ApplyReceiveKey(key, counter, one, 2);
    EXPECT_EQ(one[0], key[15]);
    EXPECT_EQ(one[1], key[0]);
}

} // namespace
