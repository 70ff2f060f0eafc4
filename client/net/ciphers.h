/** @file The two stream ciphers of a connection: the login-phase register cipher and the game-phase Twofish keystream. */
#pragma once

#include <cstddef>
#include <cstdint>

#include <nettle/twofish.h>

/**
 * The login-phase cipher: two 32-bit registers made from the seed, stepped once per byte the
 * client appends to its send buffer. The keystream does not depend on the data.
 */
struct LoginCipher {
    uint32_t a = 0;
    uint32_t b = 0;

    /** Builds the registers from the seed (host order). */
    void Setup(uint32_t seed);
    /** One byte through the cipher; the registers advance. */
    uint8_t Step(uint8_t in);
    void Apply(uint8_t* bytes, size_t count)
    {
        for (size_t i = 0; i < count; ++i)
            bytes[i] = Step(bytes[i]);
    }
};

/**
 * The game-phase send cipher: a 256-byte block of Twofish keystream, encrypted again in place
 * (16 ECB blocks) each time it is used up.
 */
class CNetCipher {
public:
    /** Keys Twofish with the four seed bytes as sent (most significant first) repeated four times. */
    void SetKey(const uint8_t seedBytes[4]);
    /** XORs the bytes in place with the keystream. */
    void Crypt(uint8_t* bytes, size_t count);
    /** The present keystream block (after SetKey: the first one). */
    const uint8_t* KeystreamBlock() const { return block_; }
    int Position() const { return position_; }

private:
    void encryptBlock();

    twofish_ctx context_{};
    uint8_t block_[256] = {};
    int position_ = 0;
};

/** The receive key: the MD5 digest of the first keystream block. */
void DeriveReceiveKey(const uint8_t firstBlock[256], uint8_t key[16]);

/** The receive XOR: each byte with key[counter mod 16], the counter running over the connection. */
void ApplyReceiveKey(const uint8_t key[16], uint32_t& counter, uint8_t* bytes, size_t count);
