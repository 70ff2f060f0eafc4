/** @file The body kind table of mobile bodies 0..1999 and the fixed-list body predicates. */
#pragma once

#include <cstdint>

inline constexpr int32_t kBodyKindCount = 2000;

/** Fills the table (every id not listed stays unknown, -1); called once at start-up. */
void InitBodyKindTable();
/** The kind 0..4 of a body; unknown entries, negative bodies and bodies of 2000 and more give 4. */
int32_t GetBodyKind(int32_t body);

bool BodyRemapsAction21(int32_t body);
bool IsBodyWithFixedIdle(int32_t body);
bool BodyUsesIdleGroup6(int32_t body);
bool BodyHasIdleAction19(int32_t body);
bool BodyUsesCreatureLayout(int32_t body);
bool BodyUsesAltLayout(int32_t body);
bool BodyRemapsActionSetB(int32_t body);
bool BodyRemapsActionSetC(int32_t body);
bool IsBody574(int32_t body);
/** Every body whose table entry is 3 or 4, and a fixed list. */
bool BodyHasAction12(int32_t body);
