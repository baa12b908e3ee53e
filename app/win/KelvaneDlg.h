// The main dialog (template 102). It holds the chosen MIDI path and song name
// and hands them to the engine on Convert; it is also the engine's front end,
// showing the run's messages, status lines and progress in its controls.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "Converter.h"
#include "Dialog.h"
#include "DiskFileSystem.h"
#include "FrontEnd.h"
#include "Win32.h"

class CKelvaneDlg : public Dialog, public kelvane::FrontEnd {
public:
    explicit CKelvaneDlg(HWND parent);

    // kelvane::FrontEnd
    void ShowMessage(const std::string& text) override;
    void ReplaceStatusText(const std::string& text, const std::string& appendedLine) override;
    void SetProgressRange(int trackCount) override;
    void SetProgressStep(int step) override;
    void StepProgress() override;
    void ResetProgress() override;
    std::vector<std::string> StatusAdvice(const kelvane::ConversionReport& report) override;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void OnSysCommand(UINT id, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnBrowse();
    void OnPlay();
    void OnDropFiles(HDROP drop);

    // One run as the check boxes ask: arranged first, the NSF after.
    void Convert(kelvane::ConversionRequest& request);

    // Takes `path` as the MIDI file, as Browse does when a file is chosen.
    void ChooseMidiFile(const std::wstring& path);

    HWND progress_ = nullptr;  // control 1002, valid while the dialog is open
    HWND log_ = nullptr;       // control 1004
    std::wstring midiPath_;
    HICON icon_;
    HICON smallIcon_;
    std::wstring songName_;
    // The options row, read from its check boxes before every run.
    bool arrange_ = false;    // arrange any MIDI file onto the five channels
    bool exportNsf_ = false;  // write an NSF beside the other outputs
    kelvane::DiskFileSystem files_;
    // Holds the failure flag, the status log and the conversion state.
    kelvane::Converter converter_;
};
