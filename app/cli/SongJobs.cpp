#include "SongJobs.h"

#include <atomic>
#include <new>

#include "Console.h"
#include "ConsoleFrontEnd.h"
#include "Language.h"
#include "Messages.h"
#include "ReportText.h"
#include "SongOutputs.h"
#include "Threads.h"

namespace kelvane::cli {
namespace {

// What songs converted at once share: which of them have passed the moment
// they replace the image, and what each said, shown in the songs' order.
class SongOrder {
public:
    explicit SongOrder(std::size_t songs) : settled_(songs, false), done_(songs, false), said_(songs) {}

    // The song will not replace the image any more: it did, or it will not.
    void Settle(std::size_t song) {
        monitor_.Locked([&] {
            settled_[song] = true;
            while (firstUnsettled_ < settled_.size() && settled_[firstUnsettled_]) ++firstUnsettled_;
            monitor_.WakeAll();
        });
    }

    // Returns once every earlier song has settled, so that the images
    // replace one another in the songs' order and the last one stays.
    void WaitForEarlier(std::size_t song) {
        monitor_.WaitUntil([&] { return firstUnsettled_ >= song; });
    }

    // Keeps what the song said, and shows it with every later song's that is
    // done, as soon as all earlier songs are shown.
    void Finish(std::size_t song, SaidText said) {
        Settle(song);
        monitor_.Locked([&] {
            said_[song] = std::move(said);
            done_[song] = true;
            for (; nextShown_ < done_.size() && done_[nextShown_]; ++nextShown_) {
                Replay(said_[nextShown_]);
                said_[nextShown_] = SaidText();
            }
        });
    }

private:
    Monitor monitor_;
    std::vector<bool> settled_;
    std::vector<bool> done_;
    std::vector<SaidText> said_;
    std::size_t firstUnsettled_ = 0;
    std::size_t nextShown_ = 0;
};

// The image's replacement, which waits for its turn to take the image's place.
class OrderedImage : public ByteSink {
public:
    OrderedImage(std::unique_ptr<ByteSink> sink, SongOrder& order, std::size_t song)
        : sink_(std::move(sink)), order_(order), song_(song) {}
    ~OrderedImage() override { order_.Settle(song_); }
    bool Write(const void* data, std::size_t size) override { return sink_->Write(data, size); }
    bool Close() override {
        order_.WaitForEarlier(song_);
        const bool closed = sink_->Close();
        order_.Settle(song_);
        return closed;
    }

private:
    std::unique_ptr<ByteSink> sink_;
    SongOrder& order_;
    std::size_t song_;
};

// The files as one converting thread sees them: the disk, where the image
// is replaced in the songs' order.
class OrderedFiles : public FileSystem {
public:
    OrderedFiles(FileSystem& files, SongOrder& order, std::string romPath)
        : files_(files), order_(order), romPath_(std::move(romPath)) {}
    void SetSong(std::size_t song) { song_ = song; }

    ReadResult ReadWhole(const std::string& path, std::uint64_t maxSize, std::vector<std::uint8_t>& data) override {
        return files_.ReadWhole(path, maxSize, data);
    }
    bool ReadPrefix(const std::string& path, std::size_t size, ImageBuffer& data) override {
        return files_.ReadPrefix(path, size, data);
    }
    std::unique_ptr<ByteSink> CreateReplacing(const std::string& path) override {
        std::unique_ptr<ByteSink> sink = files_.CreateReplacing(path);
        if (!sink || path != romPath_) return sink;
        return std::make_unique<OrderedImage>(std::move(sink), order_, song_);
    }
    bool SameFile(const std::string& a, const std::string& b) override { return files_.SameFile(a, b); }
    bool IsLink(const std::string& path) override { return files_.IsLink(path); }

private:
    FileSystem& files_;
    SongOrder& order_;
    std::string romPath_;
    std::size_t song_ = 0;
};

SongResult ConvertSong(Converter& converter, FileSystem& files, const Options& options, const RunPaths& paths,
                       const std::string& midiFile) {
    SongResult result;
    result.midiFile = midiFile;
    result.report = ConvertFile(converter, files, SongOptions(options, midiFile), paths, midiFile, result.ok);
    if (options.report) Print(stdout, ReportTable(result.report, Tr));
    return result;
}

}  // namespace

std::vector<SongResult> ConvertSongs(FileSystem& files, const Options& options, const RunPaths& paths,
                                     const std::string& templateSearch) {
    const std::size_t count = options.midiFiles.size();
    std::vector<SongResult> results(count);
    SongOrder order(count);
    std::atomic<std::size_t> next{0};
    // One song at a time speaks as it goes; songs at once keep their words
    // until they are done.
    const bool recording = options.jobs > 1 && count > 1;
    auto work = [&] {
        ConsoleFrontEnd frontEnd(templateSearch);
        OrderedFiles ordered(files, order, paths.romPath);
        Converter converter(frontEnd, ordered);
        for (std::size_t song = next++; song < count; song = next++) {
            ordered.SetSong(song);
            SaidText said;
            if (recording) RecordOnThisThread(&said);
            try {
                results[song] = ConvertSong(converter, ordered, options, paths, options.midiFiles[song]);
            } catch (const std::bad_alloc&) {
                // A song too large for the memory at hand fails with words;
                // the others go on.
                Print(stderr, std::string("kelvane: ") + msg::kOutOfMemory + "\n");
                results[song].midiFile = options.midiFiles[song];
                results[song].report.translated = true;
                results[song].ok = false;
            }
            RecordOnThisThread(nullptr);
            order.Finish(song, std::move(said));
        }
    };
    const auto threads = static_cast<unsigned>(std::min<std::size_t>(options.jobs, count));
    RunThreads(threads, work);
    return results;
}

}  // namespace kelvane::cli
