/** @file The login-phase register cipher, the Twofish keystream of the game phase and the receive key. */
#include "client/net/ciphers.h"

#include "client/net/cipher_constants.h"

#include <nettle/md5.h>

#include <cstring>

void LoginCipher::Setup(uint32_t seed)
{
    const uint32_t inverted = ~seed;
    a = ((inverted & 0xFFFFu) ^ netcipher::kSetup2) << 16 | ((seed & 0xFFFFu) ^ netcipher::kSetup1);
    b = ((inverted >> 16) ^ netcipher::kSetup3) << 16 | ((seed >> 16) ^ netcipher::kSetup4);
}

uint8_t LoginCipher::Step(uint8_t in)
{
    const uint8_t out = static_cast<uint8_t>(in ^ (a & 0xFF));
    const uint32_t oldA = a;
    const uint32_t oldB = b;
    b = ((((oldB >> 1) | (oldA << 31)) ^ netcipher::kStep1) >> 1 | (oldA << 31)) ^ netcipher::kStep2;
    a = ((oldA >> 1) | (oldB << 31)) ^ netcipher::kStep3;
    return out;
}

namespace {

/** The schedule and first block of the seed keyed last on this thread. */
struct LastKeying {
    bool valid = false;
    uint8_t seed[4] = {};
    twofish_ctx context{};
    uint8_t firstBlock[256] = {};
};

} // namespace

void CNetCipher::SetKey(const uint8_t seedBytes[4])
{
    // Keying Twofish costs more than a short exchange; a new connection with the seed of the
    // last one (a reconnection, a relay) takes its schedule and first block as they were.
    thread_local LastKeying last;
    position_ = 0;
    if (last.valid && std::memcmp(last.seed, seedBytes, sizeof last.seed) == 0) {
        context_ = last.context;
        std::memcpy(block_, last.firstBlock, sizeof block_);
        return;
    }
    uint8_t key[16];
    for (int i = 0; i < 16; ++i)
        key[i] = seedBytes[i % 4];
    twofish128_set_key(&context_, key);
    for (int i = 0; i < 256; ++i)
        block_[i] = static_cast<uint8_t>(i);
    encryptBlock();
    last.valid = true;
    std::memcpy(last.seed, seedBytes, sizeof last.seed);
    last.context = context_;
    std::memcpy(last.firstBlock, block_, sizeof block_);
}

void CNetCipher::encryptBlock()
{
    // ECB over the 16 blocks of 16 bytes, in place.
    twofish_encrypt(&context_, sizeof block_, block_, block_);
}

void CNetCipher::Crypt(uint8_t* bytes, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        if (position_ == 256) {
            encryptBlock();
            position_ = 0;
        }
        bytes[i] ^= block_[position_++];
    }
}

void DeriveReceiveKey(const uint8_t firstBlock[256], uint8_t key[16])
{
    md5_ctx md5;
    md5_init(&md5);
    md5_update(&md5, 256, firstBlock);
    md5_digest(&md5, MD5_DIGEST_SIZE, key);
}

void ApplyReceiveKey(const uint8_t key[16], uint32_t& counter, uint8_t* bytes, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        bytes[i] ^= key[counter++ & 15];
}
