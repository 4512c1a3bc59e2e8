// Lurendo: shows the window and waits for the user; a track named on the command line is repaired at once.
#include <QApplication>
#include <QTimer>

#include "app/demo_hook.h"
#include "app/form1.h"
#include "app/start_up.h"
#include "run/version.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Lurendo");
    QApplication::setApplicationVersion(lurendo::kVersione);
    QGuiApplication::setDesktopFileName("it.lurendo.Lurendo");
    lurendo::carica_traduzioni_italiane(app);

    lurendo::Form1 form;
    form.show();
    const QString track = lurendo::tracciato_da_argomenti(QApplication::arguments());
    if (!track.isEmpty())
        QTimer::singleShot(0, &form, [&form, track] { form.ripara(track); });
    lurendo::avvia_dimostrazione(form);
    return app.exec();
}
