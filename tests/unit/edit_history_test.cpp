// The edit history and the commit path: the snapshot file's exact bytes, what a damaged or
// missing snapshot does, the steps a commit records, undo and redo restoring pixels exactly, the
// redo part cut by a new edit, and the files a load or shutdown leaves behind (none). Also the
// worker's request coalescing, how a tool reads its settings and how its controls move.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>

#include "image/edit_commit.h"
#include "image/edit_history.h"
#include "image/open_image.h"
#include "model/blend_table.h"
#include "model/load_types.h"
#include "model/ui_strings.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "settings/settings_file.h"
#include "test_support.h"
#include "tools/tool_controls.h"
#include "tools/tool_params.h"
#include "tools/worker_requests.h"

namespace qv {
namespace {

void MakeImage(ImageBuffer* image, uint32_t w, uint32_t h, uint32_t bits, uint8_t seed) {
    CodecStatus status = kCodecOk;
    ASSERT_TRUE(PrepareImage(image, w, h, bits, &status));
    for (uint32_t i = 0; i < ImageStride(w, bits) * h; ++i)
        image->pixels[i] = static_cast<uint8_t>(seed + i * 7);
    for (int i = 0; i < 256; ++i)
        image->palette[i] = RGBQUAD{static_cast<BYTE>(i), static_cast<BYTE>(255 - i), static_cast<BYTE>(seed), 0};
    image->header.biXPelsPerMeter = 3780;
    image->sourceFormat = kFormatJpeg;
}

bool SamePixels(const ImageBuffer& a, const ImageBuffer& b) {
    return a.header.biWidth == b.header.biWidth && a.header.biHeight == b.header.biHeight &&
           a.header.biBitCount == b.header.biBitCount &&
           std::memcmp(a.pixels, b.pixels, ImageStride(&a) * static_cast<uint32_t>(a.header.biHeight)) == 0;
}

uint32_t LE32(const std::string& bytes, size_t at) {
    return static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8 |
           static_cast<uint8_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 3])) << 24;
}

TEST(EditHistoryTest, BlendTableHasTheDocumentedValues) {
    const BlendTable& t = GetBlendTable();
    EXPECT_EQ(t.t[128][255], 128);
    EXPECT_EQ(t.t[255][77], 77);
    EXPECT_EQ(t.t[1][1], 0);
    EXPECT_EQ(t.t[254][254], 253);
    EXPECT_EQ(t.t[0][200], 0);
    for (int a = 0; a < 256; a += 17)
        for (int v = 0; v < 256; v += 13)
            EXPECT_EQ(t.t[a][v], t.t[v][a]) << a << " " << v;
}

TEST(EditHistoryTest, SnapshotFileHasItsLayoutAndRoundTripsPaletteAndMask) {
    qvtest::ScratchDir dir;
    ImageBuffer image{};
    MakeImage(&image, 3, 2, 8, 5);
    const uint8_t mask[6 + 4] = {0, 255, 128, 1, 2, 3};
    std::wstring path = dir.File(L"tmp1.tmp");
    ASSERT_TRUE(WriteSnapshotFile(path, image, kTurn180, mask));

    std::string bytes = qvtest::ReadFileBytes(path);
    ASSERT_EQ(bytes.size(), 21u + 1024 + 4 * 2 + 6);
    EXPECT_EQ(LE32(bytes, 0), 3u);
    EXPECT_EQ(LE32(bytes, 4), 2u);
    EXPECT_EQ(LE32(bytes, 8), 8u);
    EXPECT_EQ(LE32(bytes, 12), static_cast<uint32_t>(kFormatJpeg));
    EXPECT_EQ(LE32(bytes, 16), static_cast<uint32_t>(kTurn180));
    EXPECT_EQ(bytes[20], 1);
    EXPECT_EQ(0, std::memcmp(bytes.data() + 21, image.palette, 1024));
    EXPECT_EQ(0, std::memcmp(bytes.data() + 21 + 1024, image.pixels, 8));
    EXPECT_EQ(0, std::memcmp(bytes.data() + 21 + 1024 + 8, mask, 6));

    ImageBuffer current{};
    MakeImage(&current, 1, 1, 24, 0);
    current.header.biXPelsPerMeter = 1234;
    RestoredSnapshot back;
    ASSERT_EQ(ReadSnapshotFile(path, current, &back), SnapshotStatus::Ok);
    EXPECT_TRUE(SamePixels(back.image, image));
    EXPECT_EQ(0, std::memcmp(back.image.palette, image.palette, 1024));
    ASSERT_NE(back.mask.get(), nullptr);
    EXPECT_EQ(0, std::memcmp(back.mask.get(), mask, 6));
    EXPECT_EQ(back.header.pendingRotation, kTurn180);
    EXPECT_EQ(back.image.sourceFormat, static_cast<uint32_t>(kFormatJpeg));
    EXPECT_EQ(back.image.header.biXPelsPerMeter, 1234) << "the resolution is the current image's";
    EXPECT_EQ(back.image.fileSize, 8u + 1024 + 54);
    FreeImagePixels(&image);
    FreeImagePixels(&current);
}

TEST(EditHistoryTest, DamagedOrMissingSnapshotsAreUnreadable) {
    qvtest::ScratchDir dir;
    ImageBuffer image{};
    MakeImage(&image, 5, 3, 24, 1);
    std::wstring path = dir.File(L"tmp2.tmp");
    ASSERT_TRUE(WriteSnapshotFile(path, image, 0, nullptr));
    const std::string good = qvtest::ReadFileBytes(path);
    RestoredSnapshot out;
    ASSERT_EQ(ReadSnapshotBytes(reinterpret_cast<const uint8_t*>(good.data()), good.size(), image, &out),
              SnapshotStatus::Ok);

    auto read = [&](std::string bytes) {
        return ReadSnapshotBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), image, &out);
    };
    EXPECT_EQ(read(good.substr(0, good.size() - 1)), SnapshotStatus::Unreadable) << "one pixel byte short";
    EXPECT_EQ(read(good.substr(0, 20)), SnapshotStatus::Unreadable) << "header cut";
    for (auto [at, value] : {std::pair{8, 16}, {16, 6}, {20, 2}, {0, 0}, {4, 0x80}}) {
        std::string bad = good;
        bad[static_cast<size_t>(at)] = static_cast<char>(value);
        if (at == 4) bad[7] = static_cast<char>(0x80); // a negative height
        EXPECT_EQ(read(bad), SnapshotStatus::Unreadable) << "byte " << at;
    }
    EXPECT_EQ(out.image.pixels, nullptr);
    EXPECT_EQ(ReadSnapshotFile(dir.File(L"gone.tmp"), image, &out), SnapshotStatus::Unreadable);
    FreeImagePixels(&image);
}

class EditCommitTest : public ::testing::Test {
protected:
    void SetUp() override {
        session.history.folder = dir.path();
        MakeImage(&session.current, 3, 2, 24, 10);
    }
    void TearDown() override { FreeImageSession(&session); }

    // Commits an edit whose pixels start at `seed`, of the given size.
    uint32_t Commit(uint8_t seed, uint32_t w = 3, uint32_t h = 2, int32_t rotation = 0) {
        ImageBuffer result{};
        MakeImage(&result, w, h, 24, seed);
        RecordedEdit edit;
        edit.label = L"edit " + std::to_wstring(seed);
        edit.uneditedLabel = L"unedited";
        edit.sizeChanged = w != static_cast<uint32_t>(session.current.header.biWidth);
        edit.pendingRotation = rotation;
        uint32_t message = CommitRecordedEdit(&session, &result, edit, ImageSessionHooks{}, nullptr);
        FreeImagePixels(&result);
        return message;
    }
    size_t FilesLeft() {
        size_t n = 0;
        ListDirectory(dir.path(), [&](const DirEntry& e) { n += e.isDirectory ? 0 : 1; });
        return n;
    }

    qvtest::ScratchDir dir;
    ImageSession session;
};

TEST_F(EditCommitTest, FirstEditRecordsTheUneditedImageAndUndoRedoRestoreExactly) {
    ImageBuffer original{};
    MakeImage(&original, 3, 2, 24, 10);
    ASSERT_EQ(Commit(50, 3, 2, kTurn90), 0u);
    ASSERT_EQ(session.history.nodes.size(), 2u);
    EXPECT_EQ(session.history.nodes[0].label, L"unedited");
    EXPECT_EQ(session.history.nodes[1].label, L"edit 50");
    EXPECT_EQ(session.edits.current, 1);
    EXPECT_TRUE(IsModified(session.edits));
    EXPECT_EQ(session.pendingRotation, kTurn90);
    for (const HistoryNode& n : session.history.nodes)
        EXPECT_EQ(FileNameOf(n.path).substr(0, 3), L"tmp");

    ASSERT_EQ(RestoreEditStep(&session, 0, ImageSessionHooks{}, nullptr), EditStep::Restored);
    EXPECT_TRUE(SamePixels(session.current, original));
    EXPECT_FALSE(IsModified(session.edits));
    EXPECT_EQ(session.pendingRotation, kTurnNone);
    EXPECT_EQ(session.current.header.biXPelsPerMeter, 3780);
    ASSERT_EQ(RestoreEditStep(&session, 1, ImageSessionHooks{}, nullptr), EditStep::Restored);
    EXPECT_EQ(session.current.pixels[0], 50);
    EXPECT_EQ(session.pendingRotation, kTurn90);
    EXPECT_EQ(RestoreEditStep(&session, 2, ImageSessionHooks{}, nullptr), EditStep::None);
    EXPECT_EQ(RestoreEditStep(&session, -1, ImageSessionHooks{}, nullptr), EditStep::None);

    // a new edit after an undo cuts the redo step off, file and all
    ASSERT_EQ(RestoreEditStep(&session, 0, ImageSessionHooks{}, nullptr), EditStep::Restored);
    std::wstring cut = session.history.nodes[1].path;
    ASSERT_EQ(Commit(60), 0u);
    ASSERT_EQ(session.history.nodes.size(), 2u);
    EXPECT_EQ(session.history.nodes[1].label, L"edit 60");
    EXPECT_FALSE(PathExists(cut.c_str()));
    EXPECT_EQ(FilesLeft(), 2u);

    FreeImageSession(&session); // shutdown
    EXPECT_EQ(FilesLeft(), 0u);
    FreeImagePixels(&original);
}

TEST_F(EditCommitTest, SnapshotFailuresLeaveImageHistoryAndMaskAsTheyWere) {
    LargeBlock mask(static_cast<uint8_t*>(AllocLargeBlock(6 + 4)));
    std::memset(mask.get(), 255, 6);
    ASSERT_TRUE(SetSelectionMask(&session.mask, std::move(mask), session.current));
    session.history.folder = dir.File(L"no such folder");
    uint8_t first = session.current.pixels[0];
    EXPECT_EQ(Commit(70), static_cast<uint32_t>(kStrHistoryNotWritten));
    EXPECT_EQ(session.current.pixels[0], first);
    EXPECT_TRUE(session.history.nodes.empty());
    EXPECT_EQ(session.edits.current, -1);
    EXPECT_TRUE(HasSelectionMask(session.mask));

    session.history.folder = dir.path();
    ASSERT_EQ(Commit(80), 0u);
    EXPECT_TRUE(HasSelectionMask(session.mask)) << "an edit of the same size keeps the mask";
    // a step whose file went behind the program's back: 30013's case, nothing moves
    DeleteFilePath(session.history.nodes[0].path.c_str());
    EXPECT_EQ(RestoreEditStep(&session, 0, ImageSessionHooks{}, nullptr), EditStep::Unreadable);
    EXPECT_EQ(session.current.pixels[0], 80);
    EXPECT_EQ(session.edits.current, 1);
    EXPECT_TRUE(HasSelectionMask(session.mask));

    ASSERT_EQ(Commit(90, 2, 3), 0u);
    EXPECT_FALSE(HasSelectionMask(session.mask)) << "a size-changing edit drops the mask";
    // the step before the turn still had its mask: undo brings it back with the pixels
    ASSERT_EQ(RestoreEditStep(&session, 1, ImageSessionHooks{}, nullptr), EditStep::Restored);
    EXPECT_TRUE(HasSelectionMask(session.mask));
}

// The area selection's Apply: the unedited step keeps the mask as it was (none here), the edit's
// step and the session hold the new one, and undo goes back to no mask.
TEST_F(EditCommitTest, AnEditWithANewMaskRecordsItOnlyInItsOwnStep) {
    ImageBuffer result{};
    MakeImage(&result, 3, 2, 24, 10);
    RecordedEdit edit;
    edit.label = L"selection";
    const uint8_t values[6] = {0, 255, 128, 255, 0, 7};
    edit.newMask = values;
    ASSERT_EQ(CommitRecordedEdit(&session, &result, edit, ImageSessionHooks{}, nullptr), 0u);
    FreeImagePixels(&result);
    ASSERT_TRUE(HasSelectionMask(session.mask));
    EXPECT_EQ(std::memcmp(session.mask.bytes.get(), values, 6), 0);
    EXPECT_NE(session.mask.display, nullptr) << "the view shows the new mask";

    ASSERT_EQ(RestoreEditStep(&session, 0, ImageSessionHooks{}, nullptr), EditStep::Restored);
    EXPECT_FALSE(HasSelectionMask(session.mask)) << "the unedited step had no mask";
    ASSERT_EQ(RestoreEditStep(&session, 1, ImageSessionHooks{}, nullptr), EditStep::Restored);
    ASSERT_TRUE(HasSelectionMask(session.mask));
    EXPECT_EQ(std::memcmp(session.mask.bytes.get(), values, 6), 0);
}

TEST_F(EditCommitTest, LoadingAnotherImageDeletesEverySnapshot) {
    ASSERT_EQ(Commit(20), 0u);
    ASSERT_EQ(Commit(30), 0u);
    EXPECT_EQ(FilesLeft(), 3u);
    ClearEditHistory(&session.history, &session.edits);
    EXPECT_EQ(FilesLeft(), 0u);
    EXPECT_EQ(session.edits.current, -1);
    EXPECT_FALSE(IsModified(session.edits));
}

// The worker's queue as a list; the coalescing runs after each handled request as the worker does.
struct FakeQueue {
    std::deque<uint32_t> items;
    bool Take(uint32_t* r) {
        if (items.empty()) return false;
        *r = items.front();
        items.pop_front();
        return true;
    }
    void Put(uint32_t r) { items.push_back(r); }
};

TEST(WorkerRequestsTest, ABurstLeadsToOneRecomputeAndTheStopIsNeverLost) {
    FakeQueue q;
    int recomputes = 0;
    bool stopped = false;
    q.Put(kWorkerRecompute);
    for (int i = 0; i < 1000; ++i) {
        q.Put(kWorkerRecompute);
        if (i == 500) q.Put(kWorkerStop);
    }
    uint32_t r = 0;
    while (!stopped && q.Take(&r)) {
        if (r == kWorkerRecompute) ++recomputes;
        if (r == kWorkerStop) stopped = true;
        CoalesceWorkerRequests(q);
    }
    EXPECT_EQ(recomputes, 2) << "the first request, then one for the whole burst";
    EXPECT_TRUE(stopped);
}

// Radio groups and stored values keep their keys like any field; a button keeps nothing.
TEST(ToolParamsTest, RadioGroupsAndStoredValuesReadAndWriteTheirSlots) {
    qvtest::ScratchDir dir;
    std::wstring path = dir.File(L"tools.ini");
    const ToolControlRow rows[] = {
        {ToolControlKind::Radio, 0, 98, 0, 4},    // AreType: 0-4, else 4
        {ToolControlKind::Button, 0, 0, 0, 0},    // invert
        {ToolControlKind::Stored, 0, 99, 3, 128}, // AreSize
    };
    {
        SettingsWriter w;
        ASSERT_TRUE(w.Open(path, true));
        w.WriteInt(98, 9);
        w.WriteInt(99, 300);
        ASSERT_TRUE(w.Close());
    }
    int32_t values[3] = {};
    {
        SettingsReader r;
        ASSERT_TRUE(r.Open(path));
        ReadToolValues(rows, r, values);
    }
    EXPECT_EQ(values[0], 4);
    EXPECT_EQ(values[1], 0);
    EXPECT_EQ(values[2], 128);
    EXPECT_EQ(ClampToolValue(rows[0], 7), 4);
    EXPECT_EQ(ClampToolValue(rows[1], 7), 0);
    EXPECT_EQ(ClampToolValue(rows[2], 1), 3);

    values[0] = 1;
    values[2] = 40;
    {
        SettingsWriter w;
        ASSERT_TRUE(w.Open(path, false));
        WriteToolValues(rows, values, w);
        ASSERT_TRUE(w.Close());
    }
    SettingsReader r;
    ASSERT_TRUE(r.Open(path));
    EXPECT_EQ(r.ReadInt(98, -1), 1);
    EXPECT_EQ(r.ReadInt(99, -1), 40);
}

TEST(ToolParamsTest, SettingsAreDefaultedClampedAndWrittenBack) {
    qvtest::ScratchDir dir;
    std::wstring path = dir.File(L"tools.ini");
    const ToolControlRow rows[] = {
        {ToolControlKind::Number, 0, 116, 2, 32},                           // PstLevelB: 2-32
        {ToolControlKind::Check, 0, 120, 0, 1},                             // PstSYNC: a switch
        {ToolControlKind::Combo, 0, 134, 0, 2},                             // SftMode: 0-2, else 0
        {ToolControlKind::Number, 0, 121, 3, 128, 0, 0, kControlBrushSize}, // DpbSize
        {ToolControlKind::Number, 0, 0, 0, 100, 40},                        // no slot: its initial value
    };
    int32_t values[5] = {};
    {
        SettingsWriter w;
        ASSERT_TRUE(w.Open(path, true));
        w.WriteInt(116, 99);
        w.WriteInt(120, 6);
        w.WriteInt(134, 5);
        w.WriteInt(121, 1);
        ASSERT_TRUE(w.Close());
    }
    {
        SettingsReader r;
        ASSERT_TRUE(r.Open(path));
        ReadToolValues(rows, r, values);
    }
    EXPECT_EQ(values[0], 32);
    EXPECT_EQ(values[1], 0);
    EXPECT_EQ(values[2], 0);
    EXPECT_EQ(values[3], 3);
    EXPECT_EQ(SharedBrushSize(), 3) << "the last brush constructed sets the shared size";
    EXPECT_EQ(values[4], 40);

    // a file without the slots: every default
    SettingsReader empty;
    ReadToolValues(rows, empty, values);
    EXPECT_EQ(values[0], 5);
    EXPECT_EQ(values[1], 1);
    EXPECT_EQ(values[3], 24);

    values[0] = 17;
    {
        SettingsWriter w;
        ASSERT_TRUE(w.Open(path, false));
        WriteToolValues(rows, values, w);
        ASSERT_TRUE(w.Close());
    }
    SettingsReader r;
    ASSERT_TRUE(r.Open(path));
    EXPECT_EQ(r.ReadInt(116, 0), 17);
    EXPECT_EQ(r.ReadInt(121, 0), 24);
}

TEST(ToolParamsTest, LabelDragStepsAndFieldWidthsFollowTheRange) {
    EXPECT_EQ(LabelDragPixelsPerStep(0, 100), 2);
    EXPECT_EQ(LabelDragPixelsPerStep(3, 128), 2);
    EXPECT_EQ(LabelDragPixelsPerStep(0, 255), 1);
    EXPECT_EQ(DraggedValue(50, 7, 2, 0, 100), 53) << "whole steps only";
    EXPECT_EQ(DraggedValue(50, -7, 2, 0, 100), 47);
    EXPECT_EQ(DraggedValue(90, 400, 1, 0, 100), 100);
    EXPECT_EQ(DraggedValue(10, -400, 1, 3, 128), 3);
    EXPECT_EQ(NumberFieldChars(0, 100), 3);
    EXPECT_EQ(NumberFieldChars(0, 255), 3);
    EXPECT_EQ(NumberFieldChars(-180, 180), 4);
}

} // namespace
} // namespace qv
