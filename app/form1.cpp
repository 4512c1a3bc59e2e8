#include "app/form1.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <exception>
#include <thread>
#include <utility>

#include "app/file_chooser.h"
#include "app/output_folder.h"
#include "app/speed_profile_view.h"
#include "app/speed_table.h"
#include "app/track_view.h"
#include "run/report.h"

namespace lurendo {

namespace {

// The one local .gpx file of a drag, or empty text.
QString dragged_track(const QMimeData* mime) {
    if (!mime || mime->urls().size() != 1 || !mime->urls().front().isLocalFile())
        return {};
    const QString path = mime->urls().front().toLocalFile();
    return QFileInfo(path).suffix().compare("gpx", Qt::CaseInsensitive) == 0 ? path : QString();
}

std::string file_name_bytes(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

}  // namespace

Form1::Form1(QWidget* parent)
    : QWidget(parent),
      scegli_file([this](QWidget* parent) { return scegli_tracciato(parent, cartella_dialogo()); }),
      apri_indirizzo([](const QUrl& url) { return QDesktopServices::openUrl(url); }) {
    setWindowTitle("Lurendo");
    setWindowIcon(QIcon(":/lurendo/lurendo.png"));
    resize(kDesignSize);
    setAcceptDrops(true);
    crea_controlli();

    // The count is shown at screen rate, however often the worker reports it.
    avanzamento_ = new QTimer(this);
    avanzamento_->setInterval(16);
    connect(avanzamento_, &QTimer::timeout, this, &Form1::mostra_avanzamento);
}

Form1::~Form1() {
    run_.stop();
}

// No error leaves a handler: it is shown in the status line and the tool keeps running.
template <typename Handler>
void Form1::protetto(Handler handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        mostra_stato("Errore: " + QString::fromLocal8Bit(e.what()));
    } catch (...) {
        mostra_stato("Errore: errore imprevisto");
    }
}

void Form1::cmd_ripara_Click() {
    protetto([this] {
        if (run_in_corso())
            return;
        const QString input = scegli_file ? scegli_file(this) : QString();
        if (!input.isEmpty())
            ripara(input);
    });
}

void Form1::ripara(const QString& input) {
    if (run_in_corso())
        return;
    ultima_cartella_ = QFileInfo(input).absolutePath();
    const QString output = QDir::toNativeSeparators(QDir(cartella_per_uscita()).filePath("out.gpx"));
    const bool started = run_.start(file_name_bytes(input), file_name_bytes(output),
                                    [this](const RisultatoEsecuzione& report) { concludi_run(report); });
    if (!started)
        return;
    // No second run may start inside this one; focus comes back to the button afterwards.
    cmd_ripara->setEnabled(false);
    avanzamento_->start();
}

QString Form1::cartella_per_uscita() const {
    if (!cartella_uscita.isEmpty())
        return cartella_uscita;
    const QString program = QCoreApplication::applicationDirPath();
    const QString chosen = scegli_cartella_uscita(program, cartella_documenti());
    // Nowhere to write: the run then says so about the program's folder.
    return chosen.isEmpty() ? program : chosen;
}

QString Form1::cartella_dialogo() const {
    if (!ultima_cartella_.isEmpty())
        return ultima_cartella_;
    const QString program = QCoreApplication::applicationDirPath();
    if (cartella_scrivibile(program))
        return program;
    const QString documents = cartella_documenti();
    return documents.isEmpty() ? program : documents;
}

void Form1::mostra_avanzamento() {
    if (const auto text = run_.take_progress())
        mostra_stato(QString::fromStdString(*text));
}

void Form1::concludi_run(const RisultatoEsecuzione& report) {
    avanzamento_->stop();
    mostra_avanzamento();  // the final count always shows before the final message
    if (const Voce* status = trova_voce(report.voci, "lbl_risultato"))
        mostra_stato(QString::fromStdString(status->testo));
    const std::pair<QLabel*, const char*> figures[] = {{lbl_dist_tot, "dist_tot"},
                                                       {lbl_tempo_tot, "tempo_tot"},
                                                       {lbl_dist_parz, "dist_parz"},
                                                       {lbl_tempo_parz, "tempo_parz"}};
    if (report.totali) {
        for (const auto& [label, key] : figures) {
            const Voce* figure = trova_voce(report.voci, key);
            label->setText(figure ? QString::fromStdString(figure->testo) : QString());
            adatta_larghezza(label);
        }
        profilo_->mostra(report.profilo);
        traccia_->mostra(report.percorso);
        velocita_->mostra(report);
    } else {
        // No old figures beside an error about this input.
        profilo_->svuota();
        traccia_->svuota();
        velocita_->svuota();
        for (const auto& figure : figures)
            figure.first->clear();
    }
    cmd_ripara->setEnabled(true);
    cmd_ripara->setFocus();
    emit run_concluso();
}

void Form1::mostra_stato(const QString& text) {
    // A text that does not fit the status line (a long path) loses its middle rather than running into
    // the grid below; the whole text is in the tooltip.
    const QFontMetrics metrics = lbl_risultato->fontMetrics();
    const int width = lbl_risultato->width();
    // The label wraps at blanks only: a word wider than the line would run out of it.
    bool fits =
        metrics.boundingRect(QRect(0, 0, width, 10000), Qt::AlignLeft | Qt::TextWordWrap, text).height() <=
        lbl_risultato->height();
    for (const QString& word : text.split(' '))
        fits = fits && metrics.horizontalAdvance(word) <= width;
    lbl_risultato->setText(fits ? text : metrics.elidedText(text, Qt::ElideMiddle, width));
    lbl_risultato->setToolTip(fits ? QString() : text);
    emit testo_stato(text);
}

void Form1::lbl_link_Click() {
    protetto([this] {
        if (apri_indirizzo && apri_indirizzo(QUrl(QString::fromLatin1(kIndirizzoSito))))
            return;
        // The address in the message, selectable, so that it can be copied into a browser by hand.
        auto* box = new QMessageBox(QMessageBox::Warning, windowTitle(),
                                    QString(kAvvisoSito) + "\n" + QString::fromLatin1(kIndirizzoSito),
                                    QMessageBox::Ok, this);
        box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();  // not modal to the application: a run in progress goes on
    });
}

void Form1::Pause(double NbSec) {
    QElapsedTimer clock;  // monotonic: a wait across midnight or a clock change ends on time
    clock.start();
    const double seconds = NbSec > 0 ? std::min(NbSec, 1e9) : 0;  // NaN and negatives wait not at all
    const auto end = static_cast<qint64>(seconds * 1e9);
    QCoreApplication::processEvents();
    for (;;) {
        const qint64 left = end - clock.nsecsElapsed();
        if (left <= 0)
            return;
        std::this_thread::sleep_for(std::chrono::nanoseconds(std::min<qint64>(left, 2'000'000)));
    }
}

void Form1::closeEvent(QCloseEvent* event) {
    // The run stops at its next check and leaves the old out.gpx as it was.
    run_.stop();
    avanzamento_->stop();
    cmd_ripara->setEnabled(true);
    event->accept();
}

void Form1::dragEnterEvent(QDragEnterEvent* event) {
    if (!run_in_corso() && !dragged_track(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void Form1::dropEvent(QDropEvent* event) {
    protetto([this, event] {
        const QString path = dragged_track(event->mimeData());
        if (run_in_corso() || path.isEmpty())
            return;
        event->acceptProposedAction();
        ripara(path);
    });
}

}  // namespace lurendo
