#include "Help.h"

#include "Language.h"

namespace kelvane::cli {

namespace {

// Each paragraph is one text for the translators: an option with its
// description, or a heading with what follows it.
constexpr const char* kUsage[] = {
    N_("Usage: kelvane [OPTION]... MIDIFILE...\n"
       "  or:  kelvane [--rom FILE] --play\n"),
    N_("Convert each Standard MIDI File into music for the console's sound driver:\n"
       "NAME.asm, NAME.h and NAME.lrc beside the MIDI file, and the ROM image, which\n"
       "is the template RZ31ST.bin with the song in its song block.\n"),
    "\n",
    N_("Options:\n"),
};

// The defaults that differ between the portable layout and an installed one.
#ifdef _WIN32
constexpr const char* kPlaceOptions[] = {
    N_("  --template FILE       read the template ROM from FILE\n"
       "                        (default: RZ31ST.bin beside the program)\n"),
    N_("  --rom FILE            write the ROM image to FILE\n"
       "                        (default: ROM.BIN beside the program)\n"),
    N_("  --play                after converting, copy the image onto the drive\n"
       "                        labelled PX4, or start the emulator duzer.exe beside\n"
       "                        the program on it when there is none; without\n"
       "                        MIDIFILE, play the image the last run wrote\n"),
};
constexpr const char* kSearchOrder[] = {""};
#else
constexpr const char* kPlaceOptions[] = {
    N_("  --template FILE       read the template ROM from FILE (default: the first\n"
       "                        readable RZ31ST.bin in the search order below)\n"),
    N_("  --rom FILE            write the ROM image to FILE (default: ROM.BIN beside\n"
       "                        the program when the template was found there, else\n"
       "                        $XDG_DATA_HOME/kelvane/ROM.BIN)\n"),
    N_("  --play                after converting, copy the image onto the drive\n"
       "                        labelled PX4, or start the emulator beside the\n"
       "                        program on it when there is none (duzer, else\n"
       "                        duzer.exe under Wine); without MIDIFILE, play the\n"
       "                        image the last run wrote\n"),
};
constexpr const char* kSearchOrder[] = {
    "\n",
    N_("Template search order (the first readable file wins):\n"
       "  1.  --template FILE, when given\n"
       "  2.  RZ31ST.bin beside the program\n"
       "  3.  $XDG_DATA_HOME/kelvane/RZ31ST.bin (default: ~/.local/share/kelvane)\n"
       "  4.  each $XDG_DATA_DIRS entry + /kelvane/RZ31ST.bin\n"
       "      (default: /usr/local/share:/usr/share)\n"),
};
#endif

constexpr const char* kSongOptions[] = {
    N_("  --name NAME           the song name used in labels and file contents, a\n"
       "                        plain identifier: letters, digits and _, not starting\n"
       "                        with a digit (default: the MIDI file's name without\n"
       "                        its extension)\n"),
    N_("  --report              after the status lines, print a table of what each\n"
       "                        channel got\n"),
    N_("  --report-json FILE    write the same report to FILE as JSON (an array\n"
       "                        when several MIDI files are converted), or to\n"
       "                        NAME.json in FILE when FILE is a folder\n"),
    N_("  --arrange             fit any MIDI file onto the five channels before\n"
       "                        converting (default: tracks 1 to 5 are Square1,\n"
       "                        Square2, Triangle, Noise and DPCM)\n"),
    N_("  --voices SPEC         set the voices by hand, e.g.\n"
       "                        square1=t2,square2=t3c5,triangle=c4,noise=c10,dpcm=none\n"
       "                        (t = track, c = MIDI channel)\n"),
    N_("  --save-arranged FILE  write the arranged six-track MIDI file to FILE, or\n"
       "                        to NAME.arranged.mid in FILE when FILE is a folder\n"),
    N_("  --chords MODE         arpeggio: Square2 plays the chords it cannot hold as\n"
       "                        fast arpeggios in fast songs; none (default)\n"
       "                        (--voices, --save-arranged and --chords arpeggio\n"
       "                        imply --arrange)\n"),
    N_("  --nsf FILE            also write the song as an NSF file: FILE, or\n"
       "                        NAME.nsf in FILE when FILE is a folder\n"),
    N_("  --wav FILE            render a 44.1 kHz WAV preview (needs libgme): FILE,\n"
       "                        or NAME.wav in FILE when FILE is a folder\n"),
    N_("  -j, --jobs N          convert N songs at once (default: 1); the lines of\n"
       "                        each song still come together, in the order given\n"),
    N_("  -h, --help            show this text and exit\n"),
    N_("  --version             show the version and exit\n"),
};

constexpr const char* kFolders[] = {
    "\n",
    N_("Several songs:\n"
       "  A FILE given to --nsf, --wav, --save-arranged or --report-json is a folder\n"
       "  when it exists as one or ends in /: each song's file goes there, named after\n"
       "  its MIDI file (NAME). With several MIDI files every one of these options\n"
       "  but --report-json needs a folder. The ROM image holds one song, the last\n"
       "  one converted.\n"),
};

constexpr const char* kExitStatus[] = {
    "\n",
    N_("Exit status:\n"
       "  0   every conversion succeeded (and the image was handed over)\n"
       "  1   a conversion failed, or the image could not be played\n"
       "  2   a usage error\n"),
};

template <std::size_t N>
void Add(std::string& text, const char* const (&paragraphs)[N]) {
    for (const char* paragraph : paragraphs) text += *paragraph ? Tr(paragraph) : "";
}

}  // namespace

std::string HelpText() {
    std::string text;
    Add(text, kUsage);
    Add(text, kPlaceOptions);
    Add(text, kSongOptions);
    Add(text, kFolders);
    Add(text, kSearchOrder);
    Add(text, kExitStatus);
    return text;
}

// The version is the project's, so that the program, its man page and its
// package never disagree.
std::string VersionText() { return "kelvane " KELVANE_VERSION "\n"; }

}  // namespace kelvane::cli
