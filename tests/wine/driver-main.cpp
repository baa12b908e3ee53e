// Test driver for Kelvane.exe under Wine: a console program that finds the
// running dialog and works it through window messages, the way a user would,
// and reads back what it shows. Every command prints its findings as UTF-8
// lines; the checking commands print "ok ..." or "FAIL ..." and exit with the
// number of failures, the others leave the comparing to the calling script.
//
//   driver layout EXE    dialog 102 live (tab order, centred) and in EXE's
//                        resources; about box 100, string 101, icon, version
//                        block, manifest, glyphs
//   driver browse PATH   Browse, type PATH into the file dialog, OK; prints the
//                        file types offered and edit 1000 with its end in view or not
//   driver cancel-browse Browse, then Cancel; prints edit 1000
//   driver convert       Convert; prints each message box, then the status text
//                        and the progress bar
//   driver play          Play; prints each message box, the status text and the bar
//   driver check ID on|off
//                        clicks check box ID into that state; prints "check ID: on|off",
//                        with " (greyed)" for a disabled box, which it leaves as it is
//   driver status        the status text and the progress bar
//   driver sysmenu       opens the system menu and leaves it open
//   driver about         picks the About item of the system menu; prints the box's texts
//   driver drop PATH     drops PATH onto the dialog; prints edit 1000
//   driver exit          Exit; waits until the program has ended
//   driver rect          the dialog's window rectangle as WxH+X+Y
//   driver view          how the status box shows its text (see PrintStatusView)
//   driver focus         the id of the control with the keyboard focus
//   driver key LETTER    Alt+LETTER typed; then as convert, with the check
//                        boxes and the focus
//   driver enter         the same with Enter
//   driver click-note [NOTE BOX]
//                        clicks text NOTE (1007) beside check box BOX (1006);
//                        prints the box's state before and after
//   driver tabs          the ids of the controls in tab order
//   driver minimize      the minimise box; minimises and restores the dialog
//   driver busy          Convert, and the window's answers while the run goes
//   driver exit-during-run [esc]
//                        Convert, then Exit (or Esc) while it runs; waits for
//                        the end
//   driver escape        Esc typed; waits until the program has ended
//
// The parts: driver-window.cpp (output, finding and reading windows),
// driver-template.cpp (dialog templates and resources), driver-layout.cpp
// (the layout command), driver-commands.cpp (the commands a user gives with
// the mouse), driver-run.cpp (keys, focus, the window, runs that take long).
#include <cstdlib>
#include <string>

#include "driver.h"

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    const std::wstring arg = argc > 2 ? argv[2] : L"";
    const std::wstring state = argc > 3 ? argv[3] : L"";
    if (command == L"layout" && argc == 3) return driver::Layout(arg);
    if (command == L"browse" && argc == 3) return driver::Browse(arg);
    if (command == L"cancel-browse") return driver::CancelBrowse();
    if (command == L"convert") return driver::Convert();
    if (command == L"play") return driver::Play();
    if (command == L"check" && argc == 4 && (state == L"on" || state == L"off"))
        return driver::SetCheck(static_cast<int>(std::wcstol(arg.c_str(), nullptr, 10)), state == L"on");
    if (command == L"status") return driver::Status();
    if (command == L"sysmenu") return driver::SystemMenu();
    if (command == L"about") return driver::About();
    if (command == L"drop" && argc == 3) return driver::Drop(arg);
    if (command == L"exit") return driver::Exit();
    if (command == L"rect") return driver::Rect();
    if (command == L"view") {
        driver::PrintStatusView(driver::RequireMainDialog());
        return 0;
    }
    if (command == L"focus") return driver::Focus();
    if (command == L"key" && argc == 3 && arg.size() == 1) return driver::Key(arg[0]);
    if (command == L"enter") return driver::Key(L'\n');
    if (command == L"click-note" && argc == 4)
        return driver::ClickNote(static_cast<int>(std::wcstol(arg.c_str(), nullptr, 10)),
                                 static_cast<int>(std::wcstol(state.c_str(), nullptr, 10)));
    if (command == L"click-note") return driver::ClickNote(1007, 1006);
    if (command == L"tabs") return driver::Tabs();
    if (command == L"minimize") return driver::Minimize();
    if (command == L"busy") return driver::Busy();
    if (command == L"exit-during-run") return driver::ExitDuringRun(arg == L"esc");
    if (command == L"escape") return driver::Escape();
    driver::Print("usage: driver layout EXE | browse PATH | cancel-browse | convert | play | check ID on|off | "
                  "status | sysmenu | about | drop PATH | exit | rect | view | focus | key LETTER | enter | click-note [NOTE BOX] | tabs | "
                  "minimize | "
                  "busy | exit-during-run [esc] | escape");
    return 2;
}
