// Lurendo: shows the window and waits for the user.
#include <QApplication>

#include "app/demo_hook.h"
#include "app/form1.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Lurendo");
    QApplication::setApplicationVersion("1.00");

    lurendo::Form1 form;
    form.show();
    lurendo::avvia_dimostrazione(form);
    return app.exec();
}
