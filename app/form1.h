// Form1, the tool's only window: the "Ripara" button, the status line, the results grid, the picture and
// the link to the map site.
#pragma once

#include <QRect>
#include <QSize>
#include <QString>
#include <QUrl>
#include <QWidget>
#include <functional>

#include "app/background_run.h"

class QLabel;
class QPushButton;
class QTimer;

namespace lurendo {

inline constexpr char kIndirizzoSito[] = "https://www.gpsvisualizer.com/";
inline constexpr char kAvvisoSito[] = "Impossibile aprire il sito GPS Visualizer.";

// Narrows the letters of `label` (same point size) when its text is wider than the label.
void adatta_larghezza(QLabel* label);

class Form1 : public QWidget {
    Q_OBJECT
  public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    // Asks for the track to repair; empty text when nothing was chosen. Default: the file-open dialog.
    std::function<QString(QWidget* parent)> scegli_file;
    // Hands a web address to the desktop; false when it could not. Default: the user's browser.
    std::function<bool(const QUrl&)> apri_indirizzo;
    // Where out.gpx is written. Empty (the default): the program's folder when out.gpx can be created
    // there, otherwise "Lurendo" in the user's documents, decided for each run.
    QString cartella_uscita;
    // The folder the file dialog starts in: that of the last track chosen, before any the folder out.gpx
    // goes to (the program's in portable use) or the documents.
    QString cartella_dialogo() const;

    void cmd_ripara_Click();
    void lbl_link_Click();
    // Lets pending events run once, then waits NbSec seconds without handling events.
    void Pause(double NbSec);

    // Starts a run on `input`, as a choice in the dialog does; ignored while a run is in progress.
    void ripara(const QString& input);
    bool run_in_corso() const { return run_.running(); }
    // Shows `text` in the status line: whole when it fits, else without its middle and whole in the tooltip.
    void mostra_stato(const QString& text);
    // Shows the profile (0) or the track (1), as a click on their tab does.
    void scegli_vista(int vista);
    // Chooses the speed result keyed `chiave` ("2s", "alpha500", …), as a click on its row does.
    void scegli_risultato(const std::string& chiave);

    // The window as drawn, and where the pictures and the speed results stand in it.
    static const QSize kDesignSize;
    static const QRect kPictures;
    static const QRect kSpeeds;

  signals:
    void testo_stato(const QString& text);  // every text the status line shows, in order
    void run_concluso();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void crea_controlli();
    void place_pictures();
    void mostra_avanzamento();
    void concludi_run(const RisultatoEsecuzione& report);
    template <typename Handler>
    void protetto(Handler handler);

    QString cartella_per_uscita() const;

    BackgroundRun run_;
    QString ultima_cartella_;  // of the last track chosen since the program started
    QTimer* avanzamento_ = nullptr;

    QPushButton* cmd_ripara = nullptr;
    QLabel* lbl_risultato = nullptr;
    QLabel* lbl_dist_tot = nullptr;
    QLabel* lbl_tempo_tot = nullptr;
    QLabel* lbl_dist_parz = nullptr;
    QLabel* lbl_tempo_parz = nullptr;
    class QTabBar* schede_ = nullptr;
    class VistaProfilo* profilo_ = nullptr;
    class VistaTraccia* traccia_ = nullptr;
    class TabellaVelocita* velocita_ = nullptr;
};

}  // namespace lurendo
