#include "app/comment_dialogs_win.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/exif_dialog_win.h"
#include "app/list_window_lock_win.h"
#include "codecs/png_text_list.h"
#include "image/comment_rewrite.h"
#include "image/open_image.h"
#include "image/save_pipeline.h"
#include "model/command_ids.h"
#include "model/settings.h"
#include "model/ui_strings.h"
#include "platform/platform.h"
#include "ui/language_module_win.h"
#include "ui/window_layout_win.h"
#include "viewer/save_commands_win.h"
#include "viewer/sub_rebar_win.h"
#include "viewer/view_window_win.h"

namespace qv {

namespace {

constexpr uint32_t kDlgCommentEditor = 4000;
constexpr int kCtlCommentEdit = 4001;
constexpr int kCtlCommentWrite = 4002;
constexpr uint32_t kDlgTextList = 4020;
constexpr int kCtlTextList = 4021;
constexpr int kKeywordColumnWidth = 80;
constexpr uint32_t kDlgSaveComment = 4060;
constexpr int kCtlSaveCommentEdit = 4061;

// A multi-line edit box breaks lines only at CR LF; the files may hold bare LF.
std::wstring ForEditBox(const std::wstring& text) {
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) out += L'\r';
        out += text[i];
    }
    return out;
}

std::wstring FromAnsi(const std::string& bytes) {
    return AnsiToWide(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

std::wstring EditText(HWND dialog, int control) {
    std::vector<wchar_t> buffer(kCommentMaxChars + 1);
    GetDlgItemTextW(dialog, control, buffer.data(), static_cast<int>(buffer.size()));
    return buffer.data();
}

void PrepareEdit(HWND dialog, int control, const std::wstring& text) {
    SendDlgItemMessageW(dialog, control, EM_LIMITTEXT, kCommentMaxChars, 0);
    SetDlgItemTextW(dialog, control, ForEditBox(text).c_str());
}

// The file whose existence 5040 and 5041 check first: the image file, or the archive of a member.
const std::wstring& SourceFile(const ImageSession& s) {
    return s.list.sourceKind == kSourceFolder ? s.list.currentPath : s.list.archivePath;
}

bool SourceFileStillThere(HWND owner) {
    const std::wstring& file = SourceFile(g_session);
    if (!file.empty() && PathExists(file.c_str())) return true;
    ErrorBox(owner, kStrCannotRead);
    return false;
}

// ---- comment editor

struct CommentEditorState {
    std::wstring path;
    uint32_t format = 0;
    std::string comment; // as read, ANSI
};

// The write of the editor: the file rewritten, the session's facts following it so that the
// changed time is not taken for another program's change.
bool WriteComment(HWND dialog, const CommentEditorState& state) {
    std::string text = WideToAnsi(EditText(dialog, kCtlCommentEdit), kCommentMaxBytes);
    ImageSession& s = g_session;
    CommentRewrite r;
    if (!RewriteFileComment(state.path, state.format, text, {}, &s.info, &r)) return false;
    if (!r.wrote) return true;
    s.list.storedTime = r.newTime;
    s.current.fileTime = r.newTime;
    s.current.fileSize = r.newSize > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(r.newSize);
    // a lossless preview was made from the file as it was
    if (g_settings.Format == kSaveJpegLossless) DiscardSavePreview();
    return true;
}

INT_PTR CALLBACK CommentEditorProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        PrepareEdit(dialog, kCtlCommentEdit, FromAnsi(reinterpret_cast<CommentEditorState*>(lParam)->comment));
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == kCtlCommentWrite) {
            const auto* state = reinterpret_cast<const CommentEditorState*>(GetWindowLongPtrW(dialog, DWLP_USER));
            if (WriteComment(dialog, *state))
                UpdateMainWindowTitle();
            else
                ErrorBox(dialog, kCodecCommentNotRewritable);
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

void RunCommentEditor() {
    const ImageSession& s = g_session;
    uint32_t format = s.current.sourceFormat;
    if (!HasCurrentImage(s) || s.list.sourceKind != kSourceFolder || (format != kFormatPng && format != kFormatJpeg))
        return;
    HWND owner = CurrentMainWindow();
    if (!SourceFileStillThere(owner)) return;
    CommentEditorState state;
    state.path = s.list.currentPath;
    state.format = format;
    state.comment = ReadFileComment(state.path, format);
    ListWindowDisabled disabled;
    RunDialog(kDlgCommentEditor, owner, CommentEditorProc, reinterpret_cast<LPARAM>(&state), g_settings.FHeight);
}

// ---- PNG text list

void FillTextList(HWND list, const std::vector<PngTextEntry>& entries) {
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_GRIDLINES, LVS_EX_GRIDLINES);
    RECT client;
    GetClientRect(list, &client);
    AddListViewColumn(list, 0, kStrTextKeywordHeading, kKeywordColumnWidth);
    AddListViewColumn(list, 1, kStrTextValueHeading, std::max<int>(0, client.right - kKeywordColumnWidth));
    for (size_t row = 0; row < entries.size(); ++row) {
        std::wstring keyword = FromAnsi(entries[row].keyword);
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(row);
        item.pszText = keyword.data();
        int at = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        if (at < 0) continue;
        std::wstring text = FromAnsi(entries[row].text);
        LVITEMW sub{};
        sub.iSubItem = 1;
        sub.pszText = text.data();
        SendMessageW(list, LVM_SETITEMTEXTW, at, reinterpret_cast<LPARAM>(&sub));
    }
}

INT_PTR CALLBACK TextListProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        FillTextList(GetDlgItem(dialog, kCtlTextList), *reinterpret_cast<const std::vector<PngTextEntry>*>(lParam));
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        break;
    }
    return FALSE;
}

bool ReadCurrentTextList(std::vector<PngTextEntry>* entries) {
    const ImageSession& s = g_session;
    if (s.list.sourceKind == kSourceFolder) {
        MappedFile file;
        return MapWholeFile(s.list.currentPath.c_str(), MapMode::ReadOnly, &file) &&
               ReadPngTextListMemory(file.view, file.size, entries) == kCodecOk;
    }
    LargeBlock block;
    uint32_t length = 0;
    return ExtractCurrentMember(s.list, &block, &length) && block &&
           ReadPngTextListMemory(block.get(), length, entries) == kCodecOk;
}

void RunTextList() {
    const ImageSession& s = g_session;
    if (!HasCurrentImage(s) || s.current.sourceFormat != kFormatPng || s.info.textPresent == 0) return;
    HWND owner = CurrentMainWindow();
    if (!SourceFileStillThere(owner)) return;
    std::vector<PngTextEntry> entries;
    if (!ReadCurrentTextList(&entries)) {
        ErrorBox(owner, kStrCannotRead);
        return;
    }
    ListWindowDisabled disabled;
    RunDialog(kDlgTextList, owner, TextListProc, reinterpret_cast<LPARAM>(&entries), g_settings.FHeight);
}

// ---- save comment

INT_PTR CALLBACK SaveCommentProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: PrepareEdit(dialog, kCtlSaveCommentEdit, CurrentSaveComment().text); return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            std::wstring text = EditText(dialog, kCtlSaveCommentEdit);
            SetSaveComment(!text.empty(), text);
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

void RunSaveComment() {
    const SaveComment& current = CurrentSaveComment();
    if (current.on) {
        SetSaveComment(false, current.text);
    } else {
        ListWindowDisabled disabled;
        RunDialog(kDlgSaveComment, CurrentMainWindow(), SaveCommentProc, 0, g_settings.FHeight);
    }
    if (SubWindowHandle()) RefreshSubRebar();
}

} // namespace

bool HandleCommentCommand(int32_t command) {
    switch (command) {
    case kCmdCommentEditor: RunCommentEditor(); return true;
    case kCmdTextInfo:
        // a JPEG's text is its EXIF block, which has a dialog of its own
        if (g_session.current.sourceFormat == kFormatJpeg) return HandleExifInfoCommand(command);
        RunTextList();
        return true;
    case kCmdSaveComment: RunSaveComment(); return true;
    default: return false;
    }
}

} // namespace qv
