// Single-precision arc cosine with the same result on every platform.
//
// The angle a direction makes with the frame's up axis is an acosf, and the
// traced output depends on every bit of it. C libraries disagree on acosf:
// MinGW's differs from glibc's for about one float in thirteen, by an ulp or
// two. acosFloat() is the classic single-precision algorithm glibc itself
// uses (a rational approximation on [0, 0.5] and the half-angle identity
// beyond), written out with each float operation rounded on its own, so it
// gives glibc's acosf bit for bit on every platform that rounds IEEE floats
// without fused multiply-adds (this project builds with -ffp-contract=off).
#pragma once

// acos(x) in radians for x in [-1, 1]; NaN outside, and for NaN.
float acosFloat(float x);
