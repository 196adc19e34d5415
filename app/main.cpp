// Program entry: the application titled "Kestrel", its main window and the message loop.
#include "app/KR_main.h"
#include "app/KestrelApplication.h"
#include "sheet/widgets/QtUserInteraction.h"

int main(int argc, char** argv) {
    kestrel::KestrelApplication app(argc, argv);
    QApplication::setApplicationName("Kestrel");
    kestrel::QtUserInteraction ui;
    TForm1 form(ui);
    app.setErrorReporting(&ui, &form);
    form.show();
    form.openFromCommandLine(QCoreApplication::arguments());
    return app.exec();
}
