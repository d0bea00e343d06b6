// The scale options of the view menu.
#include "shell/view_options.h"

void ClickAutoReduce(ViewOptions *v) {
    v->scaleChanged = false;
    v->autoReduce = !v->autoReduce;
    if (v->autoReduce) v->fullSize = false;
}

void ClickFullSize(ViewOptions *v) {
    v->scaleChanged = false;
    v->fullSize = !v->fullSize;
    if (!v->fullSize) return;
    v->autoReduce = false;
    v->scaleChanged = v->scaleX != 1.0f || v->scaleY != 1.0f;
    v->scaleX = v->scaleY = 1.0f;
}
