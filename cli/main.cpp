// lurendo-cli: repairs one GPX track and prints its figures.
#include <unistd.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>

#include "cli/cli_output.h"
#include "run/run.h"
#include "run/status_text.h"

namespace {

std::atomic<bool> g_interrupted{false};

extern "C" void on_interrupt(int) {
    g_interrupted = true;
}

void print(FILE* stream, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fflush(stream);
}

// Shows "Righe elaborate: N" in place on a terminal, a few times a second.
class ProgressLine {
  public:
    ProgressLine() : enabled_(::isatty(STDERR_FILENO) == 1) {}
    void show(const std::string& text, bool final_count) {
        if (!enabled_)
            return;
        const auto now = std::chrono::steady_clock::now();
        if (!final_count && now - last_ < std::chrono::milliseconds(200))
            return;
        last_ = now;
        print(stderr, "\r" + QString::fromStdString(text));
        shown_ = true;
    }
    void end() {
        if (shown_)
            print(stderr, "\n");
        shown_ = false;
    }

  private:
    bool enabled_;
    bool shown_ = false;
    std::chrono::steady_clock::time_point last_{};
};

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("lurendo-cli");
    QCoreApplication::setApplicationVersion("1.00");

    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Ripara una traccia GPX (toglie i salti del GPS), scrive il file corretto e mostra tempo e distanza, "
        "in totale e In Planata (oltre 18 km/h).");
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption output_option(
        {"o", "output"}, "File di uscita (predefinito: out.gpx nella cartella corrente).", "FILE");
    const QCommandLineOption json_option("json", "Stampa il risultato come oggetto JSON.");
    parser.addOption(output_option);
    parser.addOption(json_option);
    parser.addPositionalArgument("INPUT.gpx", "La traccia GPX da riparare.");

    if (!parser.parse(QCoreApplication::arguments())) {
        print(stderr, parser.errorText() + "\n");
        return 2;
    }
    if (parser.isSet("help")) {
        print(stdout, parser.helpText());
        return 0;
    }
    if (parser.isSet("version")) {
        print(stdout, "lurendo-cli 1.00\n");
        return 0;
    }
    const QStringList inputs = parser.positionalArguments();
    if (inputs.size() != 1) {
        print(stderr, "Indicare esattamente un file GPX da riparare.\n\n" + parser.helpText());
        return 2;
    }
    const QString output_path = parser.isSet(output_option) ? parser.value(output_option)
                                                            : QDir::current().absoluteFilePath("out.gpx");

    std::signal(SIGINT, on_interrupt);
    std::signal(SIGTERM, on_interrupt);

    ProgressLine progress;
    lurendo::RunCallbacks callbacks;
    callbacks.avanzamento = [&progress](int64_t righe) {
        progress.show(lurendo::testo_avanzamento(righe), false);
    };
    callbacks.annullato = [] { return g_interrupted.load(); };

    const lurendo::RisultatoRun report = lurendo::esegui_run(
        inputs.front().toLocal8Bit().toStdString(), output_path.toLocal8Bit().toStdString(), callbacks);
    progress.end();

    const QString status = QString::fromStdString(lurendo::testo_stato(report));
    const bool ok = report.esito == lurendo::Esito::Eseguito;
    if (!ok)
        print(stderr, status + "\n");
    if (parser.isSet(json_option)) {
        print(stdout, lurendo::report_json(report, output_path));
    } else {
        if (ok)
            print(stdout, status + "\n");
        if (report.cifre)
            print(stdout, lurendo::figures_table(*report.cifre));
    }
    if (report.esito == lurendo::Esito::Interrotto)
        return 130;
    return ok ? 0 : 1;
}
