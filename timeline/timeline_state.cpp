#include "timeline/timeline_state.h"

#include <cstring>

void resetTimeline(TimelineState* t) {
    std::memset(t, 0, sizeof *t);
    t->maxScenes = 8;
    t->duration = 60000;
    t->globalEnd = 60000;
}
