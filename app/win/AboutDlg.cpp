#include "AboutDlg.h"

#include "resource.h"

CAboutDlg::CAboutDlg(HWND parent) : Dialog(IDD_ABOUTBOX, parent), owner_(parent) {}

BOOL CAboutDlg::OnInitDialog() {
    RECT owner;
    RECT box;
    if (owner_ != nullptr && GetWindowRect(owner_, &owner) && GetWindowRect(hwnd_, &box)) {
        const int width = box.right - box.left;
        const int height = box.bottom - box.top;
        const int x = owner.left + (owner.right - owner.left - width) / 2;
        const int y = owner.top + (owner.bottom - owner.top - height) / 2;
        SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return TRUE;
}
