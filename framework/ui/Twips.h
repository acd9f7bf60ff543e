// Twips: the layout unit the windows are designed in. 15 twips make one pixel.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace korvex::ui {

inline constexpr int kTwipsPerPixel = 15;

// Rounds to the nearest pixel, halves away from zero (1825 twips -> 122 px).
constexpr int TwipsToPx(int twips) {
    return twips >= 0 ? (twips + kTwipsPerPixel / 2) / kTwipsPerPixel
                      : -((-twips + kTwipsPerPixel / 2) / kTwipsPerPixel);
}

constexpr int PxToTwips(int px) { return px * kTwipsPerPixel; }

inline QPoint TwipsPoint(int left, int top) { return {TwipsToPx(left), TwipsToPx(top)}; }

inline QSize TwipsSize(int width, int height) { return {TwipsToPx(width), TwipsToPx(height)}; }

inline QRect TwipsRect(int left, int top, int width, int height) {
    return {TwipsPoint(left, top), TwipsSize(width, height)};
}

}  // namespace korvex::ui
