#include "viewer/save_commands_win.h"

#include <windows.h>

#include <commdlg.h>
#include <dlgs.h>
#include <shlobj.h>

#include "image/comment_rewrite.h"
#include "image/format_detect.h"
#include "image/load_pipeline.h"
#include "image/open_image.h"
#include "image/result_image.h"
#include "model/command_ids.h"
#include "model/settings.h"
#include "model/ui_strings.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "sources/extension_class.h"
#include "ui/language_module_win.h"
#include "ui/ui_resources_win.h"
#include "viewer/display_modes_win.h"
#include "viewer/file_commands_win.h"
#include "viewer/save_bar_win.h"
#include "viewer/view_window_win.h"

namespace qv {

namespace {

constexpr DWORD kSaveDialogFlags = 0x88082E;
constexpr const wchar_t* kCompressingTitle = L"compress...";

SaveOptions CurrentSaveOptions() {
    return SaveOptionsFrom(g_settings, g_session.pendingRotation);
}

SaveComment g_saveComment;

bool FromArchive() {
    return g_session.list.sourceKind != kSourceFolder;
}

SaveSource CurrentSaveSource(const SaveOptions& o) {
    const ImageSession& session = g_session;
    SaveSource src;
    src.image = &session.current;
    src.transparentColour = session.transparentColour;
    src.exifPresent = session.info.exifPresent;
    src.fromArchive = FromArchive();
    src.sourcePath = src.fromArchive ? std::wstring() : session.list.currentPath;
    src.loadedTime = session.list.storedTime;
    if (g_saveComment.on) {
        src.hasComment = true;
        src.comment = WideToAnsi(g_saveComment.text, kCommentMaxBytes);
    }
    // the source's bytes are read again only for what needs them
    bool needBytes =
        (o.format == kSaveJpeg && o.exifCopy && src.exifPresent) || (o.format == kSaveJpegLossless && src.fromArchive);
    if (needBytes) {
        if (src.fromArchive) {
            LargeBlock block;
            uint32_t length = 0;
            if (ExtractCurrentMember(session.list, &block, &length) && block)
                src.sourceBytes.assign(reinterpret_cast<const char*>(block.get()), length);
        } else {
            ReadWholeFile(session.list.currentPath.c_str(), &src.sourceBytes);
        }
    }
    return src;
}

void ShowSaveFailure(const SaveFailure& failure) {
    if (failure.message != 0)
        ErrorBox(CurrentMainWindow(), failure.message);
    else if (!failure.libraryText.empty())
        MessageBoxW(CurrentMainWindow(), failure.libraryText.c_str(), L"JPEG Library Error",
                    MB_SETFOREGROUND | MB_ICONERROR);
}

// After a successful save: the current file's facts, or the folder list it landed in.
void AfterPlacement(const std::wstring& target, bool existedBefore) {
    FileList& list = g_session.list;
    if (list.sourceKind != kSourceFolder) return;
    if (EqualsIgnoreAsciiCase(target, list.currentPath)) {
        uint64_t size = 0;
        FILETIME time{};
        if (GetFileFacts(target.c_str(), &size, &time)) {
            list.storedTime = time;
            g_session.current.fileTime = time;
            g_session.current.fileSize = size > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(size);
        }
        UpdateMainWindowTitle();
        return;
    }
    if (HasList(list) && EqualsIgnoreAsciiCase(FolderOf(target), list.listFolder)) RebuildFromFolder(&list);
    if (!existedBefore)
        SHChangeNotify(SHCNE_CREATE, SHCNF_PATHW | SHCNF_FLUSH | SHCNF_FLUSHNOWAIT, target.c_str(), nullptr);
}

struct SaveDialogState {
    std::wstring archivePath; // refused as a target
};

// Keeps Format and the default extension in step with the chosen type, and refuses the open
// archive as a target.
UINT_PTR CALLBACK SaveDialogHook(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<OPENFILENAMEW*>(lParam)->lCustData));
        return 0;
    }
    if (message != WM_NOTIFY) return 0;
    auto* notify = reinterpret_cast<OFNOTIFYW*>(lParam);
    HWND explorer = GetParent(dialog);
    switch (notify->hdr.code) {
    case CDN_TYPECHANGE: {
        int32_t format = static_cast<int32_t>(notify->lpOFN->nFilterIndex) - 1;
        if (format >= kSaveBmp && format <= kSaveJpegLossless && format != g_settings.Format) {
            g_settings.Format = format;
            SendMessageW(explorer, CDM_SETDEFEXT, 0, reinterpret_cast<LPARAM>(SaveFormatExtension(format)));
            // the name field itself: it may hold a whole path, whose folder must survive
            wchar_t name[MAX_PATH] = {};
            HWND field = GetDlgItem(explorer, cmb13);
            if (!field) field = GetDlgItem(explorer, edt1);
            if (field)
                GetWindowTextW(field, name, MAX_PATH);
            else
                SendMessageW(explorer, CDM_GETSPEC, MAX_PATH, reinterpret_cast<LPARAM>(name));
            std::wstring shownName;
            if (WithoutExtension(name, &shownName)) {
                SendMessageW(explorer, CDM_SETCONTROLTEXT, cmb13, reinterpret_cast<LPARAM>(shownName.c_str()));
                SendMessageW(explorer, CDM_SETCONTROLTEXT, edt1, reinterpret_cast<LPARAM>(shownName.c_str()));
            }
            if (CurrentDisplayMode() == DisplayMode::SubWindow) SelectSaveBarFormat(format);
        }
        return 0;
    }
    case CDN_INITDONE: PlaceBelowSaveOptionsBar(explorer); return 0;
    case CDN_FILEOK: {
        auto* state = reinterpret_cast<SaveDialogState*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
        if (state && !state->archivePath.empty() &&
            EqualsIgnoreAsciiCase(std::wstring(notify->lpOFN->lpstrFile), state->archivePath)) {
            MessageBoxW(dialog, UiText(kStrCannotPlace).c_str(), L"Quorvel", MB_ICONERROR);
            SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 1);
            return 1;
        }
        return 0;
    }
    }
    return 0;
}

std::wstring SaveFilter() {
    SaveFilterRow rows[kMaxSaveFilterRows];
    size_t n = SaveFilterRows(g_session.current.sourceFormat == kFormatJpeg, rows);
    std::wstring filter;
    for (size_t i = 0; i < n; ++i) {
        // an empty label would end the list here: a language module without it shows the patterns
        std::wstring label = UiText(rows[i].label);
        filter += label.empty() ? std::wstring(rows[i].patterns) : label;
        filter += L'\0';
        filter += rows[i].patterns;
        filter += L'\0';
    }
    filter += L'\0';
    return filter;
}

bool SaveOver() {
    const ImageSession& session = g_session;
    if (!HasCurrentImage(session) || FromArchive()) return false;
    // a pasted image has no file to save over: it is given a name instead
    if (session.list.currentPath.empty()) return RunSaveAsDialog();
    int32_t format = SaveOverFormat(session.list.currentPath.c_str());
    if (format < 0) return RunSaveAsDialog();
    int32_t previous = g_settings.Format;
    g_settings.Format = format;
    bool ok = SaveToPath(session.list.currentPath);
    g_settings.Format = previous;
    if (ok) RepaintView();
    UpdateMainWindowTitle();
    return ok;
}

// The PNG encoder's compression, the longest step of a save, shows in the title meanwhile;
// `context` is the title to go back to.
void ShowCompressing(void* context, bool compressing) {
    const auto* restored = static_cast<const std::wstring*>(context);
    SetWindowTextW(CurrentMainWindow(), compressing ? kCompressingTitle : restored->c_str());
}

// A fresh encoding replaces the preview: the SubWindow's second pane must not go on showing the
// old one.
void DropShownPreview(const SaveOptions& options) {
    if (PreviewValid(g_session.preview, options) || CurrentDisplayMode() != DisplayMode::SubWindow) return;
    DropSavePreviewImage(&g_session);
    RepaintView();
}

void ShowSavePreview() {
    ImageSession& session = g_session;
    SaveOptions options = CurrentSaveOptions();
    if (!HasCurrentImage(session) || PreviewValid(g_session.preview, options)) return;
    // pane 2 belongs to an open tool's preview then
    if (session.resultState == ResultState::ToolPreview) return;
    std::wstring previewTitle = UiText(kStrPreviewTitle);
    SetWindowTextW(CurrentMainWindow(), previewTitle.c_str());
    SetCursor(Ui().waitCursor);
    DropShownPreview(options);
    SaveFailure failure;
    SaveSource source = CurrentSaveSource(options);
    source.progress = ShowCompressing;
    source.progressContext = &previewTitle;
    if (!EncodeToTemp(&g_session.preview, source, options, {}, &failure)) {
        ShowSaveFailure(failure);
    } else {
        LoadInfo info;
        CodecStatus status = kCodecOk;
        bool decoded =
            BeginResult(&session, ResultState::SavePreview) &&
            DecodeFile(g_session.preview.tempPath.c_str(), options.load, false, &session.result, &info, &status);
        if (decoded && options.format == kSaveJpegLossless)
            FitPreviewToSize(&session.result, session.current.header.biWidth, session.current.header.biHeight);
        if (decoded) {
            g_session.preview.imageShown = true;
        } else {
            EndResult(&session);
            ErrorBox(CurrentMainWindow(), kStrEmptyView);
        }
        RepaintView(); // pane 2 of the SubWindow shows the result image
    }
    UpdateMainWindowTitle();
    SetCursor(Ui().arrowCursor);
}

bool Toggle(bool* flag) {
    *flag = !*flag;
    return true;
}

// SaveToPath with an explicit set of options (the lossless turn's own).
bool SaveWithOptions(const std::wstring& target, const SaveOptions& options) {
    SetWindowTextW(CurrentMainWindow(), UiText(kStrSavingTitle).c_str());
    SetCursor(Ui().waitCursor);
    bool existed = PathExists(target.c_str());
    DropShownPreview(options);
    SaveFailure failure;
    SaveSource source = CurrentSaveSource(options);
    std::wstring savingTitle = UiText(kStrSavingTitle);
    source.progress = ShowCompressing;
    source.progressContext = &savingTitle;
    bool ok = SaveImageToPath(&g_session.preview, source, options, target, {}, &failure, nullptr);
    if (ok) {
        MarkSaved(&g_session.edits);
        AfterPlacement(target, existed);
    } else {
        ShowSaveFailure(failure);
    }
    SetCursor(Ui().arrowCursor);
    return ok;
}

} // namespace

bool SaveToPath(const std::wstring& target) {
    return SaveWithOptions(target, CurrentSaveOptions());
}

bool SaveLosslessTurn(int32_t code) {
    const ImageSession& session = g_session;
    if (FromArchive() || session.list.currentPath.empty()) return false;
    // the settings themselves stay as they are: the turn's options live only for this save
    return SaveWithOptions(session.list.currentPath, LosslessTurnOptions(CurrentSaveOptions(), code));
}

const SaveComment& CurrentSaveComment() {
    return g_saveComment;
}

void SetSaveComment(bool on, const std::wstring& text) {
    bool changed = on != g_saveComment.on || (on && text != g_saveComment.text);
    g_saveComment.on = on;
    g_saveComment.text = text;
    if (changed) DiscardSavePreview();
}

void DiscardSavePreview() {
    DiscardPreview(&g_session.preview);
    if (g_session.resultState != ResultState::SavePreview) return;
    DropSavePreviewImage(&g_session);
    if (CurrentDisplayMode() == DisplayMode::SubWindow) LayOutSubWindow();
    RepaintView();
}

bool RunSaveAsDialog() {
    ImageSession& session = g_session;
    if (!HasCurrentImage(session)) return false;
    std::wstring filter = SaveFilter();
    wchar_t file[MAX_PATH] = {};
    std::wstring name = session.list.currentName;
    size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos) name.erase(dot);
    wcsncpy(file, name.c_str(), MAX_PATH - 1);
    int32_t& format = g_settings.Format;
    if (format == kSaveJpegLossless && session.current.sourceFormat != kFormatJpeg) format = kSaveJpeg;
    SaveDialogState state;
    if (FromArchive()) state.archivePath = session.list.archivePath;
    const std::wstring& folder = IsDirectory(g_settings.Open.c_str()) ? g_settings.Open : Ui().documentsFolder;
    OPENFILENAMEW ofn{sizeof ofn};
    ofn.hwndOwner = CurrentMainWindow();
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(format + 1);
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrInitialDir = folder.c_str();
    ofn.lpstrDefExt = SaveFormatExtension(format);
    ofn.Flags = kSaveDialogFlags;
    ofn.lpfnHook = SaveDialogHook;
    ofn.lCustData = reinterpret_cast<LPARAM>(&state);
    if (!GetSaveFileNameW(&ofn)) return false;
    bool ok = SaveToPath(file);
    if (ok) RepaintView();
    UpdateMainWindowTitle();
    std::wstring chosenFolder = FolderOf(file);
    if (!chosenFolder.empty()) g_settings.Open = chosenFolder;
    return ok;
}

bool HandleSaveCommand(int32_t command) {
    Settings& s = g_settings;
    switch (command) {
    case kCmdSaveAs: RunSaveAsDialog(); return true;
    case kCmdSave: SaveOver(); return true;
    case kCmdSavePreview: ShowSavePreview(); return true;
    case kCmdToggleDither: return Toggle(&s.Dither);
    case kCmdToggleInterlace: return Toggle(&s.Interlace);
    case kCmdToggleSaveGamma: return Toggle(&s.SImgGamma);
    case kCmdToggleProgressive: return Toggle(&s.Progressive);
    case kCmdToggleExifCopy: return Toggle(&s.ExifCopy);
    case kCmdToggleTrim: return Toggle(&s.JpgTrim);
    default: break;
    }
    if (command >= kCmdSampling0 && command <= kCmdSampling0 + 2) {
        s.Sampling = command - kCmdSampling0;
        return true;
    }
    if (command >= kCmdMarkers0 && command <= kCmdMarkers0 + 2) {
        s.JMarker = command - kCmdMarkers0;
        return true;
    }
    return false;
}

} // namespace qv
