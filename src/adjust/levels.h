// Level stretch (highlight and shadow) with its selection rules, the popup level, and the automatic triples.
#pragma once
#include "adjust/adjust_common.h"

enum LevelMode {
    kLevelPicked = 0, // highlight/shadow from a picked colour
    kLevelAuto = 1,   // from the picture's channel extremes
    kLevelPopup = 2,  // popup level, channel switches honoured
};

struct LevelTriple {
    int first, second, third;
};

// H and S as the stretch chooses them from the two triples (compared on their low 16 bits, unsigned). The third
// value is consulted only when the first two do not decide.
int ChooseHighlight(const LevelTriple &t, int mode);
int ChooseShadow(const LevelTriple &t, int mode);

// Maps S to 0 and H to 255 in place (mode 2: switched-on channels only); H == S changes nothing.
// 1 done, 0 not a 24-bit picture.
int LevelStretch(PackedDib picture, const LevelTriple &highlight, const LevelTriple &shadow, int mode,
                 const ChannelSwitches &channels = ChannelSwitches());

// The level under a click in the histogram panel: 1 at its left edge up to 254 at its right edge.
int PopupLevel(int clickX, int panelLeft, int panelRight);

// Channel extremes of a picture, scanned from the picture itself, so the result never describes whatever picture
// the shared statistics were last collected for. The shared statistics are left as they were.
struct ChannelExtremes {
    int maxR, maxG, maxB, minR, minG, minB;
};
bool ScanChannelExtremes(PackedDib picture, ChannelExtremes *out);

// The automatic commands: highlight from (largest R, largest B, largest G), shadow from (smallest R, smallest B,
// smallest G), each in mode 1 with the other triple at its default. 1 done, 0 not a 24-bit picture.
int AutoHighlight(PackedDib picture);
int AutoShadow(PackedDib picture);
