// Arbitrary bytes as a source log. The converter recognises a layout or
// rejects the file with a message, and writes day files that each start
// with a header block; the line normaliser keeps its output trimmed and
// gives what its general route gives; a file reported as giving nothing
// wrote no record. A crash, an exception other than a cancellation, a
// sanitizer report or a broken day file is a fault.

#include "common/Error.h"
#include "import/DayWriter.h"
#include "import/ImportJournal.h"
#include "import/LineReader.h"
#include "import/LogConverter.h"
#include "import/LogLine.h"
#include "platform/Messages.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class AnsweringMessages : public larkspan::Messages {
  public:
    explicit AnsweringMessages(larkspan::Answer answer) : answer_(answer) {}
    void show(larkspan::MessageKind, const std::string&) override {}
    larkspan::Answer ask(larkspan::MessageKind, const std::string&, larkspan::Buttons) override { return answer_; }

  private:
    larkspan::Answer answer_;
};

const fs::path& workFolder()
{
    static const fs::path folder = fs::temp_directory_path() / ("larkspan-fuzz-" + std::to_string(::getpid()));
    return folder;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string content(reinterpret_cast<const char*>(data), size);

    std::string out, scratch;
    larkspan::logline::normaliseNcsa(content, out, scratch);
    if (!out.empty() &&
        (static_cast<unsigned char>(out.front()) <= ' ' || static_cast<unsigned char>(out.back()) <= ' '))
        std::abort();
    // The one-scan route for usual lines and the general rewriting agree,
    // and so do the bracket-record test and its combined form.
    std::string general;
    larkspan::logline::normaliseNcsaGeneral(content, general, scratch);
    if (general != out) std::abort();
    const bool record = larkspan::logline::isBracketRecord(content);
    if (larkspan::logline::rewriteBracketRecord(content, out, scratch) != record || (record && out != general))
        std::abort();

    const fs::path folder = workFolder();
    std::error_code ec;
    fs::remove_all(folder, ec);
    fs::create_directories(folder / "web");
    const std::string source = (folder / "source.log").string();
    std::ofstream(source, std::ios::binary).write(content.data(), static_cast<std::streamsize>(content.size()));

    AnsweringMessages messages(size % 2 ? larkspan::Answer::Yes : larkspan::Answer::No);
    larkspan::ImportJournal journal((folder / "web.lkjn").string());
    larkspan::DayWriter writer(journal);
    writer.startRun((folder / "web").string() + "/");
    journal.begin();
    larkspan::ConversionRun run;
    if (size % 3 == 0) run.serverUrl = "www.example.com";
    larkspan::LogConverter converter(messages, writer, run, {[] {}, [](const std::string&) {}});
    larkspan::LineReader reader(64); // small blocks: every line crosses some
    if (!reader.open(source)) std::abort();
    try {
        converter.convert(reader, source);
        // A file said to give nothing wrote nothing.
        if (converter.gaveNothing() && converter.recordsWritten() != 0) std::abort();
        journal.commit();
        writer.commitSourceFile();
    } catch (const std::exception&) { // cancelled, or a damaged compressed file
        journal.rollback();
        writer.rollbackSourceFile();
    }
    for (const auto& day : writer.runDays()) {
        std::ifstream in(day, std::ios::binary);
        std::string head(12, '\0');
        if (in.read(head.data(), 12) && head != "#FileFormat:") std::abort();
    }
    return 0;
}
