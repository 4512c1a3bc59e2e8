// Runs a repair and its statistics on a worker thread, so the window keeps painting and answering.
#pragma once

#include <QObject>
#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "run/run.h"

namespace lurendo {

class BackgroundRun : public QObject {
    Q_OBJECT
  public:
    explicit BackgroundRun(QObject* parent = nullptr);
    ~BackgroundRun() override;  // stops a run in progress and waits for it

    // Starts a run; `done` is called on this object's thread once the run has ended, unless stop() came
    // first. Returns false while another run is in progress.
    bool start(const std::string& input, const std::string& output,
               std::function<void(const RisultatoEsecuzione&)> done);
    bool running() const { return thread_.joinable(); }

    // Asks the run to stop at its next check and waits for it; the old output file stays untouched.
    void stop();

    // The newest "Righe elaborate: N" text not yet taken, if any.
    std::optional<std::string> take_progress();

  private:
    void work(const std::string& input, const std::string& output, unsigned run_id);
    void finish(const RisultatoEsecuzione& report, unsigned run_id);

    std::thread thread_;
    std::atomic<bool> cancel_{false};
    std::function<void(const RisultatoEsecuzione&)> done_;
    unsigned run_id_ = 0;  // changes with every start and stop, so a stopped run's late report is ignored

    std::mutex progress_mutex_;
    int64_t progress_ = 0;
    bool progress_fresh_ = false;
};

}  // namespace lurendo
