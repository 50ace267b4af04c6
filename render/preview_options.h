// What a preview picture looks like: its size and the direction it is seen
// from, and the parsing of both from command-line text.
//
// Kept apart from the renderer so that a command line can check its
// arguments before it loads any geometry.
#pragma once

#include <cstdint>
#include <string>

// The direction the scene is seen from. The axis views look at the scene from
// the positive side of their axis: X from +x (screen right is -z, up is +y),
// Y from above (right +x, up -z), Z from +z (right +x, up +y). Iso looks down
// from the (+x, +y, +z) side, 45 degrees round from +z and 30 degrees up.
enum class PreviewView
{
    X,
    Y,
    Z,
    Iso
};

// Which points are drawn: those the tracer appended, the original input
// points, or both. With both, the input points are drawn small and behind
// the appended ones: emitters that surround a model would otherwise cover
// every hit on it.
enum class PointsShown
{
    New,
    Input,
    All
};

struct PreviewOptions
{
    int width = 1280;
    int height = 720;
    PreviewView view = PreviewView::Iso;
    PointsShown points = PointsShown::All;
};

// Size limits of a picture: each side from 16 to 16384 pixels and at most
// 64 Mi pixels in all, which keeps the colour and depth buffers of one
// picture under 512 MiB.
constexpr int kPreviewMinSide = 16;
constexpr int kPreviewMaxSide = 16384;
constexpr int64_t kPreviewMaxPixels = int64_t(1) << 26;

// True when width and height are within the limits above; otherwise false
// with `error` saying which limit was broken.
bool checkPreviewSize(int width, int height, std::string &error);

// Parses "WIDTHxHEIGHT" (decimal digits only, 'x' or 'X' between them, as in
// "1280x720") and checks the limits. On failure w and h are left unchanged.
bool parsePreviewSize(const std::string &text, int &w, int &h, std::string &error);

// Parses "x", "y", "z" or "iso", in either case. On failure `view` is left
// unchanged.
bool parsePreviewView(const std::string &text, PreviewView &view, std::string &error);

// Parses "new", "input" or "all", in either case. On failure `shown` is left
// unchanged.
bool parsePointsShown(const std::string &text, PointsShown &shown, std::string &error);
