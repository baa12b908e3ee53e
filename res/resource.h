// Resource ids shared by the resource script and the dialog code.
// Typed prefixes: IDD_ dialog template, IDS_ string, IDR_ icon, IDC_ control,
// IDM_ system-menu command.
#pragma once

#define IDD_ABOUTBOX        100
#define IDS_ABOUTBOX        101
#define IDD_KELVANE_DIALOG  102
#define IDR_MAINFRAME       128

#define IDC_MIDI_PATH       1000
#define IDC_BROWSE          1001
#define IDC_PROGRESS        1002
#define IDC_STATUS          1004
#define IDC_PLAY            1005
#define IDC_ARRANGE         1006  // check box: arrange any MIDI file onto the five channels
#define IDC_ARRANGE_NOTE    1007  // the line beside it that says so
#define IDC_EXPORT_NSF      1008  // check box: export an NSF as well
#define IDC_CHORDS          1009  // check box, under 自动编排: Square2 arpeggiates the chords
#define IDC_CHORDS_NOTE     1010  // the line beside it that says so

// System-menu commands must keep the low four bits clear: the system uses
// them, so a handler compares (id & 0xFFF0).
#define IDM_ABOUTBOX        0x0010

#ifndef IDC_STATIC
#define IDC_STATIC          (-1)
#endif
