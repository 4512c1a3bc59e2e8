#include "repair/repair_run.h"

#include <exception>
#include <memory>
#include <thread>
#include <utility>

#include "common/threads/threads.h"
#include "repair/point_pipeline.h"
#include "repair/read/block_assembler.h"
#include "repair/read/line_reader.h"
#include "repair/write/output_document.h"
#include "repair/write/output_writer.h"

namespace lurendo {

namespace {

// A run starts with a small read buffer and takes the large one only once a read fills the small one: a
// short track then costs no large allocation, a long one is still read in large blocks.
constexpr size_t kFirstReadBlock = 16 << 10;
constexpr size_t kReadBlock = 1 << 20;

// Runs the caller's work on the points: on a thread of its own, beside the reading, once the input proves
// long; otherwise at the end, when the store is complete. Whatever happens, the work has returned and the
// store is closed when this is destroyed.
class Alongside {
  public:
    Alongside(const std::function<void(PointStore&)>& work, PointStore& store) : work_(work), store_(store) {}
    ~Alongside() { finish(false); }
    Alongside(const Alongside&) = delete;
    Alongside& operator=(const Alongside&) = delete;

    void start() {
        if (!kHelperThreads || !work_ || thread_.joinable())
            return;
        store_.share();
        thread_ = HelperThread([this] {
            try {
                work_(store_);
            } catch (...) {
                failure_ = std::current_exception();  // raised again on the caller's thread
            }
            store_.reader_stopped();  // the reading must never wait for a reader that has stopped
        });
    }
    // `run_here`: the store is complete and the work is wanted.
    void finish(bool run_here) {
        store_.close();
        if (thread_.joinable())
            thread_.join();
        else if (run_here && work_ && !done_)
            work_(store_);
        done_ = true;
        if (failure_ && run_here)
            std::rethrow_exception(std::exchange(failure_, nullptr));
    }

  private:
    const std::function<void(PointStore&)>& work_;
    PointStore& store_;
    HelperThread thread_;
    std::exception_ptr failure_;
    bool done_ = false;
};

// Removes the run's temporary unless it took the place of the output: on a failure, a stop, or an
// exception passing through.
class TemporaryGuard {
  public:
    TemporaryGuard(FileSystem& files, const std::string& path) : files_(files), path_(path) {}
    ~TemporaryGuard() {
        if (!kept_ && !path_.empty())
            files_.remove(path_);
    }
    TemporaryGuard(const TemporaryGuard&) = delete;
    TemporaryGuard& operator=(const TemporaryGuard&) = delete;
    void keep() { kept_ = true; }

  private:
    FileSystem& files_;
    const std::string& path_;
    bool kept_ = false;
};

}  // namespace

Riparazione ripara(const std::string& input_path, const std::string& output_path,
                   const RepairCallbacks& callbacks, FileSystem& files,
                   const std::function<void(PointStore&)>& alongside) {
    Riparazione result;
    std::error_code open_error;
    std::unique_ptr<InputFile> input = files.open_input(input_path, open_error);
    if (!input) {
        result.esito = EsitoRiparazione::AperturaFallita;
        result.errore = open_error;
        return result;
    }

    if (files.same_file(input_path, output_path)) {
        result.esito = EsitoRiparazione::UscitaUgualeIngresso;
        return result;
    }

    std::string temp_path;
    // Declared before the writer and the work on the points, so it runs after both have stopped.
    TemporaryGuard temporary(files, temp_path);
    std::error_code create_error;
    std::unique_ptr<OutputFile> file = files.create_temporary_beside(output_path, temp_path, create_error);
    const bool in_place = file && file->in_place();
    OutputWriter output(std::move(file));
    Alongside work(alongside, result.store);
    const auto fail = [&](EsitoRiparazione esito, std::error_code error = {}) {
        work.finish(false);
        output.abandon();
        result.esito = esito;
        result.errore = error;
        return std::move(result);
    };
    for (const std::string_view header : header_lines())
        output.riga(header);

    PointPipeline pipeline(output, result.store);
    BlockAssembler assembler(pipeline);
    LineReader reader(assembler);
    // Not zero-filled: only what a read returns is ever looked at.
    std::unique_ptr<char[]> buffer(new char[kFirstReadBlock]);
    size_t capacity = kFirstReadBlock;
    int64_t lines_reported = 0;
    size_t total_read = 0;
    const auto report = [&] {
        result.righe = reader.lines();
        if (callbacks.avanzamento && result.righe != lines_reported)
            callbacks.avanzamento(result.righe);
        lines_reported = result.righe;
    };
    for (;;) {
        if (callbacks.annullato && callbacks.annullato()) {
            result.righe = reader.lines();
            return fail(EsitoRiparazione::Interrotto);
        }
        std::error_code read_error;
        const long n = input->read(buffer.get(), capacity, read_error);
        if (n == InputFile::kNothingYet)
            continue;
        if (n < 0) {
            result.righe = reader.lines();
            return fail(EsitoRiparazione::LetturaFallita, read_error);
        }
        if (n == 0)
            break;
        reader.feed(buffer.get(), static_cast<size_t>(n));
        report();
        total_read += static_cast<size_t>(n);
        // Long once 16 KB have come, whether in one read (a file) or in several (a pipe).
        if (capacity < kReadBlock && total_read >= kFirstReadBlock) {
            buffer.reset(new char[kReadBlock]);
            capacity = kReadBlock;
            work.start();
        }
    }
    input.reset();
    reader.finish();
    report();
    result.blocchi = pipeline.blocchi();
    if (result.blocchi == 0)
        return fail(EsitoRiparazione::NessunPunto);

    for (const std::string_view footer : footer_lines())
        output.riga(footer);
    // The work on the points catches up while the output is put on the disk.
    result.store.close();
    bool written = false;
    std::error_code write_error;
    if (!output.finish()) {
        write_error = create_error ? create_error : output.error();
    } else if (in_place) {
        written = true;  // a device, a FIFO or standard output: every byte has gone in already
    } else if (callbacks.annullato && callbacks.annullato()) {
        // Asked to stop while the document was put on the disk: the old output still stands, and stays.
        return fail(EsitoRiparazione::Interrotto);
    } else {
        write_error = files.replace(temp_path, output_path);
        written = !write_error;
        if (written)
            temporary.keep();
    }
    work.finish(true);
    if (!written)
        return fail(EsitoRiparazione::ScritturaFallita, write_error);
    result.esito = EsitoRiparazione::Eseguito;
    return result;
}

}  // namespace lurendo
