// The main dialog (template 102). It holds the chosen MIDI path and song name
// and hands them to a conversion on Convert. The conversion runs on a worker
// thread, so the window keeps answering; its front end (WindowFrontEnd) turns
// what the engine shows into messages that this dialog's handlers show in the
// controls. While a run goes, the controls that would start another are
// disabled, and Exit, the close box and Esc close the dialog once it ends.
#pragma once

#include <string>

#include "Converter.h"
#include "Dialog.h"
#include "DiskFileSystem.h"
#include "StatusBox.h"
#include "Win32.h"
#include "WindowFrontEnd.h"
#include "WorkerThread.h"

class CKelvaneDlg : public Dialog {
public:
    explicit CKelvaneDlg(HWND parent);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void OnSysCommand(UINT id, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnBrowse();
    void OnPlay();
    void OnDropFiles(HDROP drop);

    // What the worker's messages do, on this window's thread.
    bool OnRunMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnRunEnded();
    void SetRunning(bool running);
    // 和弦琶音 and its description usable only with 自动编排 ticked.
    void EnableChordsBox();

    // A modal box on the dialog, with the program's name as its caption.
    void ShowBox(const std::string& text);
    // Takes `path` as the MIDI file, as Browse does when a file is chosen.
    void ChooseMidiFile(const std::wstring& path);
    void FocusControl(int id);

    HWND progress_ = nullptr;  // control 1002, valid while the dialog is open
    std::wstring midiPath_;
    HICON icon_;
    HICON smallIcon_;
    std::wstring songName_;
    StatusBox status_;  // control 1004
    // Read from the check boxes when a run starts; fixed while it runs.
    bool arrange_ = false;    // arrange any MIDI file onto the five channels

    bool running_ = false;       // a conversion is on the worker thread
    bool closeWhenDone_ = false;  // Exit was asked for during the run
    WindowFrontEnd frontEnd_;
    kelvane::DiskFileSystem files_;
    // Holds the failure flag, the status log and the conversion state; used
    // by the worker thread only while a run goes.
    kelvane::Converter converter_;
    WorkerThread worker_;
};
