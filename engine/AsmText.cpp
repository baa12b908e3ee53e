#include "AsmText.h"

#include "Messages.h"
#include "SongTables.h"

namespace kelvane {
namespace {

constexpr char kDb[] = "\t\tdb\t\t";
constexpr char kEquate[] = "\t\tequ\t$00";
constexpr char kSeparator[] = ";...........................................................";

void WriteCommand(const Command& command, const ChannelProgram& program, const std::string& songName,
                  TextOut& asmFile, TextOut& hFile) {
    const char* channelName = kChannelNames[program.channel];
    switch (command.op) {
        case Op::kWaits:
            asmFile.Text(kDb).Text("MPCC_Wait+").Decimal(command.a).EndLine();
            break;
        case Op::kTimbreChange:
            asmFile.Text(kDb).Text("MPCC_Timbre+").Text(songName).Char('_').CText(channelName)
                .Text("_Timbre").Decimal(command.value).EndLine();
            hFile.Text(songName).Char('_').CText(channelName).Text("_Timbre").Decimal(command.value)
                .Text(kEquate).EndLine();
            break;
        case Op::kVolumeChange:
            asmFile.Text(kDb).Text("MPCC_Volume+").Decimal(command.a).EndLine();
            break;
        case Op::kNote:
            asmFile.Text(kDb).Text("MPCC_Inside+").CText(kPitchNames[command.a]).Text(",$")
                .Hex2(8 * (command.value - 1)).Char('+').Decimal(command.b).EndLine();
            break;
        case Op::kLongTonalNote:
            asmFile.Text(kDb).Text("MPCC_Inside+").CText(kPitchNames[command.a]).Text(",$F8+$")
                .Decimal(command.b).EndLine();
            break;
        case Op::kPercussion:
            asmFile.Text(kDb).Text("MPCC_Inside+").Text(songName).Char('_').CText(channelName).Char('_')
                .CText(kPitchNames[command.a]).EndLine();
            if (command.labelDue) {
                hFile.Text(songName).Char('_').CText(channelName).Char('_').CText(kPitchNames[command.a])
                    .Text(kEquate).EndLine();
            }
            break;
        case Op::kClosingPair:
            asmFile.Text(kDb).Text("MPCC_Inside+$0f,1").EndLine();
            break;
        case Op::kEndOfStream:
            asmFile.Text(kDb).Text("MPCC_End").EndLine();
            break;
        case Op::kDeviceComment:
            asmFile.Text(msg::kDeviceCommentGbk).CText(program.texts.c_str() + command.value).EndLine();
            break;
        case Op::kAftertouchComment:
            asmFile.Text(msg::kAftertouchCommentGbk).EndLine();
            break;
    }
}

}  // namespace

void WriteAsmText(const TranslatedSong& song, const std::string& songNameGbk, TextOut& asmFile, TextOut& hFile) {
    for (int i = 0; i < song.trackCount && i < kMaxTracks; ++i) {
        const ChannelProgram& program = song.programs[static_cast<std::size_t>(i)];
        if (i >= 1) {
            asmFile.Text(kSeparator).EndLine();
            asmFile.Text(songNameGbk).Char('_').CText(kChannelNames[i]).Char(':').EndLine();
        }
        for (const Command& command : program.commands) WriteCommand(command, program, songNameGbk, asmFile, hFile);
        if (i == 0) {
            // The conductor track's last tempo event counts, even when it failed.
            asmFile.Text(kDb).Decimal(song.tempo[0]).Char(',').Decimal(song.tempo[1]).Char(',')
                .Decimal(song.tempo[2]).Char(',').Decimal(song.tempo[3]).Text("\t\t; Tempo").EndLine();
            for (int j = 1; j < song.trackCount; ++j)
                asmFile.Text("\t\tdw\t\t").Text(songNameGbk).Char('_').CText(kChannelNames[j]).EndLine();
        }
    }
}

}  // namespace kelvane
