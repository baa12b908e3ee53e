// kelvane: the command line. Converts each MIDI file given, as the dialog's
// Convert does, and prints the status lines as the run logs them.
#include <cstdio>
#include <new>
#include <memory>
#include <string>
#include <vector>

#include "Console.h"
#include "Conversions.h"
#include "Converter.h"
#include "DataPaths.h"
#include "DiskFileSystem.h"
#include "Help.h"
#include "Options.h"
#include "Messages.h"
#include "Play.h"
#include "PlayedImage.h"
#include "ReportText.h"

namespace {

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

class ConsoleFrontEnd : public kelvane::FrontEnd {
public:
    void ShowMessage(const std::string& text) override {
        kelvane::cli::Print(stderr, text + "\n");
        if (text == kelvane::msg::kCannotOpenTemplate && !templateSearch.empty())
            kelvane::cli::Print(stderr, templateSearch);
    }
    void ReplaceStatusText(const std::string&, const std::string& appendedLine) override {
        kelvane::cli::Print(stdout, appendedLine);
        std::fflush(stdout);
    }
    void SetProgressRange(int) override {}
    void SetProgressStep(int) override {}
    void StepProgress() override {}

    std::string templateSearch;  // the line that follows a missing template
};

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
        kelvane::cli::Print(stderr, "kelvane: no ROM image " + image +
                                        " to play; convert a MIDI file first\n");
        return kExitFailure;
    }
    const kelvane::PlayResult result = kelvane::PlayImage(*platform, image);
    kelvane::cli::Print(result.ok() ? stdout : stderr,
                        "kelvane: " + kelvane::DescribePlayResult(result) + "\n");
    return result.ok() ? kExitSuccess : kExitFailure;
}

// Said after a missing template, so that the user knows where to put one.
std::string TemplateSearchLine(const kelvane::DataPaths& places) {
    std::string line = "kelvane: searched for the template in:";
    for (std::size_t i = 0; i < places.searched.size(); ++i)
        line += (i == 0 ? " " : ", ") + places.searched[i];
    return line + "\n";
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
    if (options.midiFiles.empty()) return UsageError("no MIDI file given");

    const kelvane::cli::RunPaths paths{places.templatePath, places.romPath};
    if (kelvane::cli::OutputsCollide(files, options, paths, problem)) return UsageError(problem);
    // A failure here shows as the engine's own "cannot create" message.
    if (places.romInUserFolder) kelvane::CreateParentFolders(places.romPath);

    ConsoleFrontEnd frontEnd;
    frontEnd.templateSearch = TemplateSearchLine(places);
    kelvane::Converter converter(frontEnd, files);

    bool allConverted = true;
    bool imageWritten = false;
    std::vector<kelvane::ConversionReport> reports;
    for (const std::string& midiFile : options.midiFiles) {
        kelvane::ConversionReport report =
            kelvane::cli::ConvertFile(converter, files, options, paths, midiFile, allConverted);
        imageWritten = imageWritten || report.romReplaced;
        if (options.report) kelvane::cli::Print(stdout, kelvane::ReportTable(report));
        if (!options.reportJsonPath.empty()) reports.push_back(std::move(report));
    }
    if (!options.reportJsonPath.empty() && !WriteReportJson(files, options.reportJsonPath, reports)) {
        kelvane::cli::Print(stderr, "kelvane: cannot write the report " + options.reportJsonPath + "\n");
        allConverted = false;
    }
    if (imageWritten) kelvane::cli::NoteWrittenImage(files, environment, places.romPath);
    // Away from the program the image is easily lost; say where it went.
    if (imageWritten && places.romInUserFolder)
        kelvane::cli::Print(stderr, "提示: kelvane wrote the image to " + places.romPath + "\n");
    if (options.play) {
        if (allConverted) return Play(places.romPath);
        kelvane::cli::Print(stderr, "kelvane: not playing, since a conversion failed\n");
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
