// The adjustment values tied to the current picture.
#include "shell/picture_settings.h"

PictureSettings gPictureSettings;

void ResetPictureSettings() { gPictureSettings = PictureSettings{}; }
