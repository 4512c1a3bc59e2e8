// lurendo-window-bench TRACK OUTDIR: one run in the window, offscreen, through the injected chooser, as a
// click on "Ripara" starts it. Prints the seconds from the click to the four figures, then the status.
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>
#include <cstdio>

#include "app/form1.h"

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: lurendo-window-bench TRACK OUTDIR\n");
        return 2;
    }
    const QString track = QString::fromLocal8Bit(argv[1]);
    lurendo::Form1 form;
    form.scegli_file = [track](QWidget*) { return track; };
    form.cartella_uscita = QString::fromLocal8Bit(argv[2]);
    form.show();

    QElapsedTimer clock;
    double seconds = 0;
    QObject::connect(&form, &lurendo::Form1::run_concluso, &app, [&] {
        seconds = clock.nsecsElapsed() / 1e9;
        QApplication::quit();
    });
    QTimer::singleShot(0, &form, [&] {
        clock.start();
        form.cmd_ripara_Click();
    });
    app.exec();

    const QString status = form.findChild<QLabel*>("lbl_risultato")->text();
    std::printf("%.3f\n%s\n", seconds, qPrintable(status));
    return status.startsWith("Procedura eseguita") ? 0 : 1;
}
