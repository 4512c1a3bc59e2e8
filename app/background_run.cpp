#include "app/background_run.h"

#include <QMetaObject>
#include <new>

#include "run/report.h"

namespace lurendo {

BackgroundRun::BackgroundRun(QObject* parent) : QObject(parent) {}

BackgroundRun::~BackgroundRun() {
    stop();
}

bool BackgroundRun::start(const std::string& input, const std::string& output,
                          std::function<void(const RisultatoEsecuzione&)> done) {
    if (running())
        return false;
    cancel_ = false;
    done_ = std::move(done);
    {
        const std::lock_guard lock(progress_mutex_);
        progress_ = 0;
        progress_fresh_ = false;
    }
    const unsigned id = ++run_id_;
    thread_ = std::thread([this, input, output, id] { work(input, output, id); });
    return true;
}

void BackgroundRun::stop() {
    if (!running())
        return;
    cancel_ = true;
    thread_.join();
    ++run_id_;  // the stopped run's report, maybe already queued, is no longer awaited
    done_ = nullptr;
}

std::optional<std::string> BackgroundRun::take_progress() {
    const std::lock_guard lock(progress_mutex_);
    if (!progress_fresh_)
        return std::nullopt;
    progress_fresh_ = false;
    return testo_avanzamento(progress_);
}

void BackgroundRun::work(const std::string& input, const std::string& output, unsigned run_id) {
    RunCallbacks callbacks;
    callbacks.annullato = [this] { return cancel_.load(); };
    callbacks.avanzamento = [this](int64_t righe) {
        const std::lock_guard lock(progress_mutex_);
        progress_ = righe;
        progress_fresh_ = true;
    };
    RisultatoEsecuzione report;
    try {
        report = esegui(input, output, callbacks);
    } catch (const std::bad_alloc&) {
        // The run reports its own shortage; this one came while handing its report over.
        report = risultato_senza_memoria(input, output);
    }
    // Queued to this object's thread; dropped with the object if the window has gone meanwhile.
    QMetaObject::invokeMethod(
        this, [this, report, run_id] { finish(report, run_id); }, Qt::QueuedConnection);
}

void BackgroundRun::finish(const RisultatoEsecuzione& report, unsigned run_id) {
    if (run_id != run_id_ || !thread_.joinable())
        return;
    thread_.join();  // the worker's last act was to queue this call, so it ends at once
    auto done = std::move(done_);
    done_ = nullptr;
    if (done)
        done(report);
}

}  // namespace lurendo
