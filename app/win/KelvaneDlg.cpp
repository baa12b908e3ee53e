#include "KelvaneDlg.h"

#include <commctrl.h>
#include <commdlg.h>

#include <functional>
#include <memory>
#include <vector>

#include "AboutDlg.h"
#include "DataPaths.h"
#include "DialogRun.h"
#include "Play.h"
#include "ProgramDirectory.h"
#include "SongName.h"
#include "WideText.h"
#include "resource.h"

namespace {

const wchar_t kAppName[] = L"Kelvane";

const char kChooseFileFirst[] = "请先选择MIDI文件";
const char kArranging[] = "正在编排，请稍候……";
const char kConverting[] = "正在转换……";
const char kClosingAfterRun[] = "转换结束后退出";

// Play: boxes for a hand-off that failed, status lines for one that went well.
const char kCannotCopyToDevice[] = "无法复制ROM.BIN到设备";
const char kCannotStartEmulator[] = "无法启动模拟器duzer.exe";
const char kNoDeviceUsingEmulator[] = "未找到PX4设备，用模拟器播放";
const char kCopiedToDevice[] = "已复制到PX4设备: ";

// The controls that start something; disabled while a run goes.
const int kRunControls[] = {
    IDC_BROWSE, IDOK, IDC_PLAY, IDC_ARRANGE, IDC_ARRANGE_NOTE, IDC_EXPORT_NSF, IDC_CHORDS, IDC_CHORDS_NOTE,
};

// The descriptions beside the check boxes are part of them: a click on one
// ticks or clears its box, a double click does both.
struct NoteOfBox {
    int note;
    int box;
};
const NoteOfBox kNotes[] = {{IDC_ARRANGE_NOTE, IDC_ARRANGE}, {IDC_CHORDS_NOTE, IDC_CHORDS}};

// Icon 128 in the size the system wants for `metricX` x `metricY`, so that
// the small icon is the drawn 16x16 image rather than the 32x32 one shrunk.
HICON LoadAppIcon(int metricX, int metricY) {
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME),
                                         IMAGE_ICON, GetSystemMetrics(metricX),
                                         GetSystemMetrics(metricY), LR_DEFAULTCOLOR | LR_SHARED));
}

// The system's Play platform, with a word to the user before the emulator
// starts: the user should know that no device was found.
class AnnouncingPlatform : public kelvane::PlayPlatform {
public:
    AnnouncingPlatform(std::unique_ptr<kelvane::PlayPlatform> system, std::function<void()> beforeStart)
        : system_(std::move(system)), beforeStart_(std::move(beforeStart)) {}

    std::string ProgramDirectory() override { return system_->ProgramDirectory(); }
    std::vector<std::string> DeviceRoots() override { return system_->DeviceRoots(); }
    bool VolumeLabel(const std::string& root, std::string& label) override {
        return system_->VolumeLabel(root, label);
    }
    bool CopyReplacing(const std::string& from, const std::string& to, std::string& error) override {
        return system_->CopyReplacing(from, to, error);
    }
    bool StartProgram(const std::string& program, const std::vector<std::string>& args,
                      std::string& error) override {
        beforeStart_();
        return system_->StartProgram(program, args, error);
    }
    bool FileExists(const std::string& path) override { return system_->FileExists(path); }

private:
    std::unique_ptr<kelvane::PlayPlatform> system_;
    std::function<void()> beforeStart_;
};

}  // namespace

CKelvaneDlg::CKelvaneDlg(HWND parent)
    : Dialog(IDD_KELVANE_DIALOG, parent),
      icon_(LoadAppIcon(SM_CXICON, SM_CYICON)),
      smallIcon_(LoadAppIcon(SM_CXSMICON, SM_CYSMICON)),
      converter_(frontEnd_, files_) {}

BOOL CKelvaneDlg::OnInitDialog() {
    progress_ = Item(IDC_PROGRESS);
    status_.Attach(Item(IDC_STATUS));
    frontEnd_.SetWindow(hwnd_);

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
    EnableChordsBox();
    // The first thing to do is choosing a file; the path field only shows it.
    FocusControl(IDC_BROWSE);
    return FALSE;
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
        if (running_) {
            // A click that reached a control before it was disabled.
            return HIWORD(wParam) == BN_CLICKED || HIWORD(wParam) == STN_DBLCLK;
        }
        for (const NoteOfBox& pair : kNotes) {
            if (LOWORD(wParam) == pair.note && (HIWORD(wParam) == STN_CLICKED || HIWORD(wParam) == STN_DBLCLK)) {
                if (IsWindowEnabled(Item(pair.box))) SendMessageW(Item(pair.box), BM_CLICK, 0, 0);
                return true;
            }
        }
        if (HIWORD(wParam) != BN_CLICKED) {
            return false;
        }
        if (LOWORD(wParam) == IDC_ARRANGE) {
            EnableChordsBox();
            return true;
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
        return message >= WM_RUN_STATUS && message <= WM_RUN_DONE && OnRunMessage(message, wParam, lParam);
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
// and nothing at all when it is a folder or a run is going.
void CKelvaneDlg::OnDropFiles(HDROP drop) {
    const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
    std::wstring path;
    if (length > 0 && length != 0xFFFFFFFFu) {
        path.resize(length + 1);
        path.resize(DragQueryFileW(drop, 0, path.data(), length + 1));
    }
    DragFinish(drop);
    const DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(path.c_str());
    if (running_ || attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
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
    // With a file chosen, Enter converts it.
    FocusControl(IDOK);
}

void CKelvaneDlg::FocusControl(int id) {
    SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(id)), TRUE);
}

void CKelvaneDlg::OnOK() {
    if (running_) {
        return;
    }
    if (midiPath_.empty()) {
        ShowBox(kChooseFileFirst);
        FocusControl(IDC_BROWSE);
        return;
    }
    arrange_ = IsDlgButtonChecked(hwnd_, IDC_ARRANGE) == BST_CHECKED;
    const bool exportNsf = IsDlgButtonChecked(hwnd_, IDC_EXPORT_NSF) == BST_CHECKED;
    // A greyed box keeps its tick for when 自动编排 comes back, but asks nothing.
    const bool chords = arrange_ && IsDlgButtonChecked(hwnd_, IDC_CHORDS) == BST_CHECKED;
    DialogRunRequest request;
    request.midiPath = kelvane::Narrow(midiPath_);
    request.songName = kelvane::Narrow(songName_);
    request.templatePath = kelvane::ProgramDirectory() + kelvane::kTemplateFileName;
    request.romPath = kelvane::ProgramDirectory() + kelvane::kImageName;
    request.arrange = arrange_;
    request.exportNsf = exportNsf;
    request.chordArpeggios = chords;
    frontEnd_.SetAdvice([song = request.songName](const kelvane::ConversionReport& report) {
        return DialogStatusAdvice(report, song);
    });

    // One conversion run; the dialog stays open for the next.
    SetRunning(true);
    SendMessageW(progress_, PBM_SETPOS, 0, 0);
    status_.SetRunText("", true);
    status_.AddLine(arrange_ ? kArranging : kConverting);
    auto run = [this, request] { RunDialogConversion(request, converter_, files_, frontEnd_); };
    if (!worker_.Start(run)) {
        run();  // no thread to be had: the window waits, but the run is done
    }
}

void CKelvaneDlg::OnCancel() {
    if (!running_) {
        EndDialog(IDCANCEL);
        return;
    }
    // A run cut off halfway would leave its files to chance: the dialog
    // closes when the run has ended (OnRunEnded).
    if (!closeWhenDone_) {
        closeWhenDone_ = true;
        EnableWindow(Item(IDCANCEL), FALSE);
        status_.AddLine(kClosingAfterRun);
    }
}

void CKelvaneDlg::SetRunning(bool running) {
    running_ = running;
    HWND focus = GetFocus();
    bool focusDisabled = false;
    for (int id : kRunControls) {
        focusDisabled = focusDisabled || (running && focus == Item(id));
        EnableWindow(Item(id), running ? FALSE : TRUE);
    }
    if (!running) EnableChordsBox();
    // A disabled control cannot keep the focus, and keys sent nowhere would
    // be lost; the status box takes it for the run.
    if (focusDisabled) SetFocus(Item(IDC_STATUS));
    if (!running && (GetFocus() == nullptr || GetFocus() == Item(IDC_STATUS))) FocusControl(IDOK);
}

// 和弦琶音 only shapes an arrangement: greyed, with its description, while
// 自动编排 is clear, as a Windows dialog shows an option that depends on
// another. It keeps its tick meanwhile.
void CKelvaneDlg::EnableChordsBox() {
    const BOOL enable = (!running_ && IsDlgButtonChecked(hwnd_, IDC_ARRANGE) == BST_CHECKED) ? TRUE : FALSE;
    EnableWindow(Item(IDC_CHORDS), enable);
    EnableWindow(Item(IDC_CHORDS_NOTE), enable);
}

bool CKelvaneDlg::OnRunMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_RUN_STATUS:
        status_.SetRunText(TakePayload(lParam), wParam == 1);
        if (wParam == 1 && closeWhenDone_) status_.AddLine(kClosingAfterRun);
        return true;
    case WM_RUN_LINE:
        status_.AddLine(TakePayload(lParam));
        return true;
    case WM_RUN_PROGRESS:
        switch (wParam) {
        case kProgressRange:
            SendMessageW(progress_, PBM_SETRANGE32, 0, lParam);
            break;
        case kProgressStep:
            SendMessageW(progress_, PBM_SETSTEP, static_cast<WPARAM>(lParam), 0);
            break;
        case kProgressStepIt:
            SendMessageW(progress_, PBM_STEPIT, 0, 0);
            break;
        default:
            SendMessageW(progress_, PBM_SETPOS, 0, 0);
            break;
        }
        return true;
    case WM_RUN_BOX:
        ShowBox(DialogBoxText(*reinterpret_cast<const std::string*>(lParam), arrange_));
        return true;
    case WM_RUN_DONE:
        OnRunEnded();
        return true;
    default:
        return false;
    }
}

void CKelvaneDlg::OnRunEnded() {
    // The worker posts its last message just before it returns; a sent one
    // would mean it still waits for this thread.
    if (!InSendMessage()) worker_.Wait();
    SetRunning(false);
    if (closeWhenDone_) EndDialog(IDCANCEL);
}

// A failed hand-off shows a box, or a user would unplug the device believing
// the song is on it; one that went well says so in the status.
void CKelvaneDlg::OnPlay() {
    AnnouncingPlatform platform(kelvane::MakeSystemPlatform(), [this] {
        status_.AddLine(kNoDeviceUsingEmulator);
        UpdateWindow(hwnd_);
    });
    const kelvane::PlayResult result = kelvane::PlayImage(platform);
    switch (result.outcome) {
    case kelvane::PlayResult::Outcome::Copied:
        status_.AddLine(kCopiedToDevice + result.target);
        break;
    case kelvane::PlayResult::Outcome::CopyFailed:
        ShowBox(kCannotCopyToDevice);
        break;
    case kelvane::PlayResult::Outcome::EmulatorFailed:
        ShowBox(kCannotStartEmulator);
        break;
    case kelvane::PlayResult::Outcome::EmulatorStarted:
        break;
    }
}

void CKelvaneDlg::ShowBox(const std::string& text) {
    // A plain OK box carries the warning icon, as the framework's message
    // boxes always did.
    MessageBoxW(hwnd_, kelvane::Widen(text).c_str(), kAppName, MB_OK | MB_ICONEXCLAMATION);
}
