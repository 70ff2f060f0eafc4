/** @file The launcher's two password codes: the scramble of the account store and the shift of kz.cfg. */
#pragma once

#include <string>

namespace gatehouse {

/**
 * XOR of every byte with the matching letter of the 32-letter key, top bit flipped. Positions
 * past the key's end wrap to its start, so the scramble stays its own inverse for any length.
 */
std::string ScramblePassword(const std::string& password);

/**
 * The form in which the client stores a password in kz.cfg: every byte c becomes c + 13
 * (modulo 256), less 95 when that is above 127, exactly the client's own rule, so the client's
 * decoder gives back every printable character.
 */
std::string EncodeConfigPassword(const std::string& password);

} // namespace gatehouse
