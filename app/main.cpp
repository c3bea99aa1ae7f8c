#include "app/KorvaneFmA.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvel02"));
    TfmKorvane window;
    window.show();
    return app.exec();
}
