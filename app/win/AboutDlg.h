// The About box (template 100): its texts and icon are all in the template.
#pragma once

#include "Dialog.h"

class CAboutDlg : public Dialog {
public:
    explicit CAboutDlg(HWND parent);
};
