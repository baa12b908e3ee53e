// kelvane: the command line. Converts each MIDI file given, as the dialog's
// Convert does, and prints the status lines as the run logs them.
#include <cstdio>
#include <new>
#include <memory>
#include <string>
#include <vector>

#include "Console.h"
#include "Conversions.h"
#include "ConsoleFrontEnd.h"
#include "Converter.h"
#include "DataPaths.h"
#include "DiskFileSystem.h"
#include "Help.h"
#include "Language.h"
#include "Options.h"
#include "Messages.h"
#include "Play.h"
#include "PlayedImage.h"
#include "ReportText.h"
#include "SongJobs.h"
#include "SongOutputs.h"
#include "Summary.h"

namespace {

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

int UsageError(const std::string& problem) {
    kelvane::cli::Print(stderr, "kelvane: " + problem + "\n" + kelvane::cli::HelpText());
    return kExitUsage;
}

// Writes the reports of every run as JSON: one object, or an array of them.
bool WriteReportJson(kelvane::FileSystem& files, const std::string& path,
                     const std::vector<kelvane::ConversionReport>& reports) {
    std::string json = reports.size() == 1 ? "" : "[";
    for (std::size_t i = 0; i < reports.size(); ++i) json += (i > 0 ? "," : "") + kelvane::ReportJson(reports[i]);
    json += reports.size() == 1 ? "\n" : "]\n";
    std::unique_ptr<kelvane::ByteSink> sink = files.CreateReplacing(path);
    return sink && sink->Write(json.data(), json.size()) && sink->Close();
}

// Hands the image over as the dialog's Play does, but says what happened.
int Play(const std::string& image) {
    std::unique_ptr<kelvane::PlayPlatform> platform = kelvane::MakeSystemPlatform();
    if (!platform->FileExists(image)) {
        kelvane::cli::Print(stderr, "kelvane: " + kelvane::Fill(kelvane::cli::Tr("no ROM image {1} to play; "
                                                                                  "convert a MIDI file first"),
                                                                {image}) + "\n");
        return kExitFailure;
    }
    const kelvane::PlayResult result = kelvane::PlayImage(*platform, image);
    kelvane::cli::Print(result.ok() ? stdout : stderr,
                        "kelvane: " + kelvane::DescribePlayResult(result, kelvane::cli::Tr) + "\n");
    return result.ok() ? kExitSuccess : kExitFailure;
}

// Said after a missing template, so that the user knows where to put one.
std::string TemplateSearchLine(const kelvane::DataPaths& places) {
    std::string list;
    for (std::size_t i = 0; i < places.searched.size(); ++i) list += (i == 0 ? "" : ", ") + places.searched[i];
    return kelvane::Fill(kelvane::cli::Tr("提示: kelvane searched for the template in: {1}"), {list}) + "\n";
}

int Main(const std::vector<std::string>& arguments) {
    kelvane::cli::Options options;
    std::string problem;
    switch (kelvane::cli::ParseOptions(arguments, options, problem)) {
        case kelvane::cli::Parsed::kRun:
            break;
        case kelvane::cli::Parsed::kShown:
            return kExitSuccess;
        case kelvane::cli::Parsed::kUsage:
            return UsageError(problem);
    }
    const kelvane::DataEnvironment environment = kelvane::SystemDataEnvironment();
    const kelvane::DataPaths places =
        kelvane::ResolveDataPaths(environment, options.templatePath, options.romPath);
    kelvane::DiskFileSystem files;
    if (options.midiFiles.empty() && options.play) {
        std::string image = places.romPath;
        if (!kelvane::cli::ChooseImageToPlay(files, environment, options, image)) return kExitFailure;
        return Play(image);
    }
    if (options.midiFiles.empty()) return UsageError(kelvane::cli::Tr("no MIDI file given"));

    const kelvane::cli::RunPaths paths{places.templatePath, places.romPath};
    if (kelvane::cli::OutputsCollide(files, options, paths, problem)) return UsageError(problem);
    // A failure here shows as the engine's own "cannot create" message.
    if (places.romInUserFolder) kelvane::CreateParentFolders(places.romPath);

    if (!kelvane::cli::MakeOutputFolders(options, problem)) {
        kelvane::cli::Print(stderr, "kelvane: " + problem + "\n");
        return kExitFailure;
    }

    const std::vector<kelvane::cli::SongResult> results =
        kelvane::cli::ConvertSongs(files, options, paths, TemplateSearchLine(places));
    bool allConverted = true;
    bool imageWritten = false;
    std::vector<kelvane::ConversionReport> reports;
    for (const kelvane::cli::SongResult& result : results) {
        allConverted = allConverted && result.ok;
        imageWritten = imageWritten || result.report.romReplaced;
        if (!options.reportJsonPath.empty()) reports.push_back(result.report);
    }
    // One file for all songs, or one per song in a folder, named after it.
    const bool jsonFolder = kelvane::cli::NamesFolder(options.reportJsonPath);
    for (std::size_t i = 0; i < (jsonFolder ? results.size() : reports.empty() ? 0 : 1); ++i) {
        const std::string path = jsonFolder
                                     ? kelvane::cli::OutputFor(options.reportJsonPath, results[i].midiFile, ".json")
                                     : options.reportJsonPath;
        if (!WriteReportJson(files, path, jsonFolder ? std::vector<kelvane::ConversionReport>{reports[i]} : reports)) {
            kelvane::cli::Print(stderr, "kelvane: " + kelvane::Fill(kelvane::cli::Tr("cannot write the report {1}"),
                                                                    {path}) + "\n");
            allConverted = false;
        }
    }
    if (imageWritten) kelvane::cli::NoteWrittenImage(files, environment, places.romPath);
    kelvane::cli::SayWhatImageHolds(results, places.romPath);
    kelvane::cli::PrintSummary(results);
    // Away from the program the image is easily lost; say where it went.
    if (imageWritten && places.romInUserFolder)
        kelvane::cli::Print(stderr, kelvane::Fill(kelvane::cli::Tr("提示: kelvane wrote the image to {1}"),
                                                  {places.romPath}) + "\n");
    if (options.play) {
        if (allConverted) return Play(places.romPath);
        kelvane::cli::Print(stderr,
                            std::string("kelvane: ") + kelvane::cli::Tr("not playing, since a conversion failed") + "\n");
    }
    return allConverted ? kExitSuccess : kExitFailure;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
#else
int main(int argc, char** argv) {
#endif
    kelvane::cli::GuardStandardOutput();
    try {
        return Main(kelvane::cli::Arguments(argc, argv));
    } catch (const std::bad_alloc&) {
        // A song too large for the memory at hand ends the program with words.
        kelvane::cli::Print(stderr, std::string("kelvane: ") + kelvane::msg::kOutOfMemory + "\n");
        return kExitFailure;
    }
}
