#include "image/result_image.h"

namespace qv {

const char* ResultStateName(ResultState state) {
    switch (state) {
    case ResultState::None: return "none";
    case ResultState::Rotation: return "rotation";
    case ResultState::SavePreview: return "save preview";
    case ResultState::ToolPreview: return "tool preview";
    }
    return "?";
}

void DiscardResult(ImageSession* s) {
    DiscardPreview(&s->preview);
    FreeImagePixels(&s->result);
    s->resultState = ResultState::None;
}

bool BeginResult(ImageSession* s, ResultState state) {
    switch (state) {
    case ResultState::None: EndResult(s); return true;
    case ResultState::Rotation:
        if (s->resultState != ResultState::None) return false;
        break;
    case ResultState::SavePreview:
        if (s->resultState == ResultState::ToolPreview || s->resultState == ResultState::Rotation) return false;
        break;
    case ResultState::ToolPreview:
        if (s->resultState == ResultState::Rotation) return false;
        break;
    }
    FreeImagePixels(&s->result);
    s->preview.imageShown = false; // set again once a save preview's image is decoded
    s->resultState = state;
    return true;
}

void EndResult(ImageSession* s) {
    FreeImagePixels(&s->result);
    if (s->resultState == ResultState::SavePreview) s->preview.imageShown = false;
    s->resultState = ResultState::None;
}

void DropSavePreviewImage(ImageSession* s) {
    if (s->resultState == ResultState::SavePreview) EndResult(s);
}

void CommitEdit(ImageSession* s, ImageBuffer* incoming, const ImageSessionHooks& hooks, int32_t* saveFormat) {
    CommitImage(s, incoming, false, hooks, saveFormat);
    DiscardResult(s);
}

} // namespace qv
