// The adjustment values that belong to one picture and start again at 0 when the picture changes in kind.
#pragma once

struct PictureSettings {
    int densityRed = 0, densityGreen = 0, densityBlue = 0;
    int contrast = 0;
    int level = 0;      // the noise threshold "輪郭濃度差" of page "ノイズ補正１"
    int saturation = 0; // page "彩度補正(±64)"
};

extern PictureSettings gPictureSettings;

// After a drop, a paste as a new picture, an erase, a rotation, the level commands and an applied adjustment.
// Opening through the menu keeps them.
void ResetPictureSettings();
