// `info` section for GIF files: the frames of an animation, each delay and the loop count.
#include <string>

#include "cli_command.h"
#include "codecs/decoders.h"
#include "codecs/gif_codec.h"

namespace {

int PrintGifFrames(const std::wstring&, const unsigned char* data, unsigned size) {
    if (size < 6 || data[0] != 'G' || data[1] != 'I' || data[2] != 'F') return 0;
    qv::ImageBuffer image{};
    qv::LoadInfo info;
    qv::CodecStatus status = qv::kCodecOk;
    if (!qv::ReadGifMemory(data, size, qv::LoadOptions{}, true, &image, &info, &status)) return 0;
    if (const qv::AnimationFrames* frames = image.animation) {
        std::wstring text = L"animation: " + std::to_wstring(frames->frameCount) + L" frames, loop count " +
                            std::to_wstring(frames->loopCount) + (frames->loopCount == 0 ? L" (endless)\n" : L"\n");
        for (int k = 0; k < frames->frameCount; ++k) {
            uint32_t delay = frames->delays[k];
            text += L"  frame " + std::to_wstring(k + 1) + L": delay " + std::to_wstring(delay) + L"/100 s";
            uint32_t played = qv::GifPlaybackDelay(delay);
            if (played != delay) text += L" (plays as " + std::to_wstring(played) + L"/100 s)";
            text += L"\n";
        }
        qvcli::Print(text);
    }
    qv::FreeImagePixels(&image);
    return 0;
}

} // namespace

QV_CLI_INFO_SECTION(PrintGifFrames);
