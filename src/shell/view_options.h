// The view menu's scale options: auto-reduce (4009) and full size (4015), which exclude each other.
#pragma once

struct ViewOptions {
    bool autoReduce = false;   // item 4009 checked
    bool fullSize = false;     // item 4015 checked
    float scaleX = 1.0f, scaleY = 1.0f;
    bool scaleChanged = false; // set when a click changed the divisors (the title must show the new percentages)
};

// 4009: toggles auto-reduce; turning it on unchecks full size. The scale itself changes at the next paint.
void ClickAutoReduce(ViewOptions *v);
// 4015: toggles full size; turning it on turns auto-reduce off and sets both divisors to 1. Turning it off
// leaves the scale alone.
void ClickFullSize(ViewOptions *v);
