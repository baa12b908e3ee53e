// The application object: starts the main dialog and ends when it closes.
#pragma once

#include "Win32.h"

class CKelvaneApp {
public:
    // Runs the main dialog modally. Returns FALSE: the program has no message
    // loop of its own and ends when the dialog does.
    BOOL InitInstance();
};

extern CKelvaneApp theApp;
