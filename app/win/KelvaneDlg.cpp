#include "KelvaneDlg.h"

#include <commctrl.h>
#include <commdlg.h>

#include <new>
#include <vector>

#include "AboutDlg.h"
#include "Arranging.h"
#include "DataPaths.h"
#include "LabelAdvice.h"
#include "Messages.h"
#include "NsfOutput.h"
#include "Play.h"
#include "ProgramDirectory.h"
#include "RunAdvice.h"
#include "SongName.h"
#include "WideText.h"
#include "resource.h"

namespace {

const wchar_t kAppName[] = L"Kelvane";

// Play's boxes, for a hand-off that failed.
const char kCannotCopyToDevice[] = "无法复制ROM.BIN到设备";
const char kCannotStartEmulator[] = "无法启动模拟器duzer.exe";

// Where a plain conversion loses the music, the box or the status names the
// check box that would keep it.
const char kTooManyTracksHint[] = "请勾选\"自动编排\", 把任何MIDI文件编排到五个声道";
const char kLostNotesHint[] = "提示: 大部分音符没有进入任何声道, 请勾选\"自动编排\"\n";
const char kCannotWriteNsf[] = "无法写入NSF文件";

// Icon 128 in the size the system wants for `metricX` x `metricY`, so that
// the small icon is the drawn 16x16 image rather than the 32x32 one shrunk.
HICON LoadAppIcon(int metricX, int metricY) {
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME),
                                         IMAGE_ICON, GetSystemMetrics(metricX),
                                         GetSystemMetrics(metricY), LR_DEFAULTCOLOR | LR_SHARED));
}

}  // namespace

CKelvaneDlg::CKelvaneDlg(HWND parent)
    : Dialog(IDD_KELVANE_DIALOG, parent),
      icon_(LoadAppIcon(SM_CXICON, SM_CYICON)),
      smallIcon_(LoadAppIcon(SM_CXSMICON, SM_CYSMICON)),
      converter_(*this, files_) {}

BOOL CKelvaneDlg::OnInitDialog() {
    progress_ = Item(IDC_PROGRESS);
    log_ = Item(IDC_STATUS);

    if (HMENU sysMenu = GetSystemMenu(hwnd_, FALSE)) {
        // LoadStringW with a zero length hands back a pointer to the resource
        // text itself, which is not NUL-terminated.
        const wchar_t* text = nullptr;
        const int length = LoadStringW(GetModuleHandleW(nullptr), IDS_ABOUTBOX,
                                       reinterpret_cast<LPWSTR>(&text), 0);
        if (length > 0) {
            const std::wstring about(text, static_cast<std::size_t>(length));
            AppendMenuW(sysMenu, MF_SEPARATOR, 0, nullptr);
            AppendMenuW(sysMenu, MF_STRING, IDM_ABOUTBOX, about.c_str());
        }
    }

    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));

    DragAcceptFiles(hwnd_, TRUE);
    return TRUE;
}

bool CKelvaneDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == IDM_ABOUTBOX) {
            OnSysCommand(static_cast<UINT>(wParam), lParam);
            return true;
        }
        return false;  // the dialog manager's own system commands
    case WM_PAINT:
        if (!IsIconic(hwnd_)) {
            return false;
        }
        OnPaint();
        return true;
    case WM_QUERYDRAGICON:
        result = reinterpret_cast<LRESULT>(OnQueryDragIcon());
        return true;
    case WM_DROPFILES:
        OnDropFiles(reinterpret_cast<HDROP>(wParam));
        return true;
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED) {
            return false;
        }
        if (LOWORD(wParam) == IDC_BROWSE) {
            OnBrowse();
            return true;
        }
        if (LOWORD(wParam) == IDC_PLAY) {
            OnPlay();
            return true;
        }
        return false;
    default:
        return false;
    }
}

void CKelvaneDlg::OnSysCommand(UINT, LPARAM) {
    CAboutDlg about(hwnd_);
    about.DoModal();
}

// Only reached while the dialog is minimised (see OnMessage), where a window
// without a class icon has to draw its own.
void CKelvaneDlg::OnPaint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd_, &paint);
    SendMessageW(hwnd_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    const int iconWidth = GetSystemMetrics(SM_CXICON);
    const int iconHeight = GetSystemMetrics(SM_CYICON);
    RECT client;
    GetClientRect(hwnd_, &client);
    const int x = (client.right - client.left - iconWidth + 1) / 2;
    const int y = (client.bottom - client.top - iconHeight + 1) / 2;
    DrawIcon(dc, x, y, icon_);
    EndPaint(hwnd_, &paint);
}

HCURSOR CKelvaneDlg::OnQueryDragIcon() {
    return static_cast<HCURSOR>(icon_);
}

void CKelvaneDlg::OnBrowse() {
    // The filter in its familiar '|'-separated form; the API wants NULs.
    std::wstring filter = L"MIDI文件(*.mid;*.midi;*.kar)|*.mid;*.midi;*.kar|所有文件(*.*)|*.*||";
    for (wchar_t& c : filter) {
        if (c == L'|') {
            c = L'\0';
        }
    }
    // Large enough for long paths; the dialog fails cleanly on longer ones.
    std::vector<wchar_t> file(32768, L'\0');

    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = hwnd_;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    // The first of the filter's extensions, so that a name typed without one
    // finds the file the list shows.
    ofn.lpstrDefExt = L"mid";
    ofn.Flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_EXPLORER;
    if (!GetOpenFileNameW(&ofn)) {
        return;  // cancelled: path and song name stay as they were
    }
    ChooseMidiFile(file.data());
}

// A dropped file is taken as if Browse had chosen it: the first one only,
// and nothing at all when it is a folder.
void CKelvaneDlg::OnDropFiles(HDROP drop) {
    const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
    std::wstring path;
    if (length > 0 && length != 0xFFFFFFFFu) {
        path.resize(length + 1);
        path.resize(DragQueryFileW(drop, 0, path.data(), length + 1));
    }
    DragFinish(drop);
    const DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return;
    }
    ChooseMidiFile(path);
}

void CKelvaneDlg::ChooseMidiFile(const std::wstring& path) {
    midiPath_ = path;
    songName_ = kelvane::Widen(kelvane::SongNameOfPath(kelvane::Narrow(path)));
    SetDlgItemTextW(hwnd_, IDC_MIDI_PATH, midiPath_.c_str());
    // A long path would show its drive and first folders; the file name at
    // its end is what tells the user which song this is.
    HWND edit = Item(IDC_MIDI_PATH);
    const auto end = static_cast<WPARAM>(midiPath_.size());
    SendMessageW(edit, EM_SETSEL, end, static_cast<LPARAM>(end));
    SendMessageW(edit, EM_SCROLLCARET, 0, 0);
}

void CKelvaneDlg::OnOK() {
    arrange_ = IsDlgButtonChecked(hwnd_, IDC_ARRANGE) == BST_CHECKED;
    exportNsf_ = IsDlgButtonChecked(hwnd_, IDC_EXPORT_NSF) == BST_CHECKED;
    // One conversion run; the dialog stays open for the next.
    kelvane::ConversionRequest request;
    request.midiPath = kelvane::Narrow(midiPath_);
    request.songName = kelvane::Narrow(songName_);
    request.templatePath = kelvane::ProgramDirectory() + kelvane::kTemplateFileName;
    request.romPath = kelvane::ProgramDirectory() + kelvane::kImageName;
    try {
        Convert(request);
    } catch (const std::bad_alloc&) {
        // A song too large for the memory at hand ends the run, not the program.
        ShowMessage(kelvane::msg::kOutOfMemory);
    }
}

void CKelvaneDlg::Convert(kelvane::ConversionRequest& request) {
    kelvane::ArrangedFile arranged;
    if (arrange_) {
        arranged = kelvane::ArrangeMidiFile(files_, request.midiPath, "", "");
        if (!arranged.ok) {
            // Refused before the run: its status starts empty all the same.
            SetWindowTextW(log_, L"\n\n\n\n\n\n");
            ResetProgress();
            ShowMessage(arranged.error);
            return;
        }
        request.midiData = &arranged.midi;
    }
    kelvane::ConversionReport report = converter_.Run(request);
    if (!report.translated) return;
    const std::string base = kelvane::BasePathOfPath(request.midiPath);
    if (arrange_) {
        arranged.report.ApplyTo(report);
        kelvane::WriteReportFile(files_, base + ".report.txt", report);
    }
    if (exportNsf_ && report.succeeded) {
        const std::string failure = kelvane::WriteNsfOutputs(
            files_, converter_, request.songName, {base + ".nsf", ""});
        if (!failure.empty()) ShowMessage(kCannotWriteNsf);
    }
}

// Success stays silent; a failure does not, or a user would unplug the
// device believing the song is on it.
void CKelvaneDlg::OnPlay() {
    auto platform = kelvane::MakeSystemPlatform();
    const kelvane::PlayResult result = kelvane::PlayImage(*platform);
    if (result.outcome == kelvane::PlayResult::Outcome::CopyFailed) {
        ShowMessage(kCannotCopyToDevice);
    } else if (result.outcome == kelvane::PlayResult::Outcome::EmulatorFailed) {
        ShowMessage(kCannotStartEmulator);
    }
}

void CKelvaneDlg::ShowMessage(const std::string& text) {
    // A plain OK box carries the warning icon, as the framework's message
    // boxes always did.
    std::string shown = text;
    if (text == kelvane::msg::kTooManyTracks && !arrange_) shown += std::string("\n") + kTooManyTracksHint;
    MessageBoxW(hwnd_, kelvane::Widen(shown).c_str(), kAppName, MB_OK | MB_ICONEXCLAMATION);
}

void CKelvaneDlg::ReplaceStatusText(const std::string& text, const std::string&) {
    // The lines end in a bare "\n", which the static control breaks on.
    SetWindowTextW(log_, kelvane::Widen(text).c_str());
}

void CKelvaneDlg::SetProgressRange(int trackCount) {
    SendMessageW(progress_, PBM_SETRANGE32, 0, trackCount);
}

void CKelvaneDlg::SetProgressStep(int step) {
    SendMessageW(progress_, PBM_SETSTEP, static_cast<WPARAM>(step), 0);
}

void CKelvaneDlg::StepProgress() {
    SendMessageW(progress_, PBM_STEPIT, 0, 0);
}

void CKelvaneDlg::ResetProgress() {
    SendMessageW(progress_, PBM_SETPOS, 0, 0);
}

// The run asks only when it wrote its outputs; the song name is the one this
// run was given, as it stands in the file name.
std::vector<std::string> CKelvaneDlg::StatusAdvice(const kelvane::ConversionReport& report) {
    std::vector<std::string> lines;
    if (arrange_) lines.push_back(kelvane::ArrangementLine(report) + "\n");
    const std::string advice = kelvane::LabelAdvice(kelvane::Narrow(songName_));
    if (!advice.empty()) lines.push_back(advice + "\n");
    if (!arrange_ && kelvane::MostNotesLost(report)) lines.push_back(kLostNotesHint);
    const std::string tempo = kelvane::TempoAdvice(report, "\"自动编排\"");
    if (!arrange_ && !tempo.empty()) lines.push_back(tempo + "\n");
    return lines;
}
