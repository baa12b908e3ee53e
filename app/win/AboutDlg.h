// The About box (template 100): its texts and icon are all in the template;
// it opens centred on the dialog that asked for it.
#pragma once

#include "Dialog.h"

class CAboutDlg : public Dialog {
public:
    explicit CAboutDlg(HWND parent);

protected:
    BOOL OnInitDialog() override;

private:
    HWND owner_;
};
