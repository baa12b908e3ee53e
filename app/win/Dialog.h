// A modal dialog on the plain Win32 API. One static dialog procedure finds the
// object that owns the window and forwards to its handlers; derived dialogs
// override the handlers they need, the rest get the dialog manager's default.
#pragma once

#include "Win32.h"

class Dialog {
public:
    Dialog(int templateId, HWND parent);
    virtual ~Dialog() = default;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Shows the dialog and returns the code it ended with, or -1 when the
    // template could not be loaded.
    INT_PTR DoModal();

    HWND GetSafeHwnd() const { return hwnd_; }

protected:
    // Returns TRUE to let the dialog manager put the focus on the first control.
    virtual BOOL OnInitDialog() { return TRUE; }
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    // Any other message. Returns true when handled, with the message's
    // result in `result`; false leaves it to the dialog manager.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    void EndDialog(int result);
    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }

    HWND hwnd_ = nullptr;

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    int templateId_;
    HWND parent_;
};
