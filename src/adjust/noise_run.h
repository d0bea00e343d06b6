// Whole-picture runs of the neighbourhood filters, and the fingertip stroke that smooths a square around a point.
#pragma once
#include "adjust/noise_filter.h"

enum NoiseFilterKind {
    kNoiseSmoothing = 0, // selective smoothing with threshold, JPEG mode and channel switches
    kNoiseMinVariance,   // channel switches honoured
    kNoiseMedian,        // channel switches not consulted
};

struct NoiseRunSettings {
    NoiseFilterKind kind = kNoiseSmoothing;
    NoiseSettings smoothing; // threshold and JPEG mode for kNoiseSmoothing; switches for it and minimum variance
};

// Filters every pixel of a 24-bit picture in place, reading only original levels. reportProgress: the apply run's
// status-bar progress, or "ﾉｲｽﾞ補正 %d%%" in the caption. 1 done; 0 not a 24-bit picture or no memory for the two
// saved rows the run needs (the picture is unchanged then).
int NoiseRun(PackedDib picture, const NoiseRunSettings &settings, bool reportProgress);

// Half width of the fingertip square for a preview magnification of 1, 2 or 4.
int FingertipRadius(int magnification);

// Smooths the rows whose top-down index lies within py +- radius and the columns within px +- radius (clipped
// to the picture), in place; pixels outside the square keep their levels. No progress is shown.
int FingertipStroke(PackedDib picture, const NoiseRunSettings &settings, int px, int py, int radius);
