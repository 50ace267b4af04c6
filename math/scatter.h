// Random scatter directions and the process-wide random engine behind them.
//
// All randomness of the system comes from sceneRandomEngine, a standard
// MT19937 seeded with 5489 when the library is loaded and never reseeded, so
// its sequence carries on from cook to cook and node to node; only a new
// process starts it afresh. scatterDirections is its only user and draws in a
// fixed order (four outputs per direction, in list order), which is what
// makes a trace reproducible for a given engine state. The engine is not
// synchronised: one cook draws at a time.
#pragma once

#include <UT/UT_Vector3.h>

#include <cstdint>
#include <random>
#include <vector>

// The one random engine of the process.
extern std::mt19937 sceneRandomEngine;

// Unit value in [0, 1] from two successive 32-bit outputs, x1 drawn first and
// taken as the low word: (x1 + x2 * 2^32) / 2^64 with the sum rounded to the
// nearest double. The rounding, unlike keeping the top 53 bits, lets the pair
// x2 = 2^32 - 1, x1 >= 2^32 - 1024 reach exactly 1.0.
double unitValueFromOutputs(uint32_t x1, uint32_t x2);

// Draws two outputs from engine (low word first) and combines them as above.
double drawUnitValue(std::mt19937 &engine);

// count unit directions spread uniformly by area over the spherical cap
// z <= scatter/180 - 1 around (0, 0, -1); the cap covers scatter/360 of the
// sphere (scatter is not the cap's angle). Nothing is drawn for count <= 0.
// Sizes outside [0, 360] can push the cosine outside [-1, 1], and the affected
// directions are then NaN in every component.
std::vector<UT_Vector3> scatterDirections(int32_t count, double scatter);

// The same directions written to out[0 .. count), for callers that keep their
// own storage; out must have room for count values when count > 0.
void scatterDirectionsInto(int32_t count, double scatter, UT_Vector3 *out);

// The directions scatterDirectionsInto would give with an engine whose next
// 4 * count outputs are outputs[0 .. 4 * count), without drawing anything:
// for callers that draw ahead and use the outputs later.
void scatterDirectionsFromOutputs(int32_t count, double scatter, const uint32_t *outputs, UT_Vector3 *out);
