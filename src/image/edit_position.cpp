#include "image/edit_position.h"

namespace qv {

void ResetEditPosition(EditPosition* p) {
    *p = EditPosition{};
}

void MarkSaved(EditPosition* p) {
    p->saved = p->current;
}

void RecordUneditedImage(EditPosition* p) {
    if (p->count != 0) return;
    // snapshot 0 holds the very image that "no snapshot" stood for, saved or not
    if (p->saved == p->current) p->saved = 0;
    p->current = 0;
    p->count = 1;
}

void RecordEdit(EditPosition* p) {
    // a save made further along the redo part is no longer reachable: no later position matches it
    if (p->saved > p->current) p->saved = kSavedStateGone;
    p->current += 1;
    p->count = p->current + 1;
}

bool MoveEditPosition(EditPosition* p, int32_t target) {
    if (target < 0 || target >= p->count) return false;
    p->current = target;
    return true;
}

} // namespace qv
