#include "app/KorvaneFmA.h"

TfmKorvane::TfmKorvane(QWidget *AParent)
    : QMainWindow(AParent)
{
    setObjectName(QStringLiteral("fmKorvane"));
    setWindowTitle(Caption());
    resize(1081, 592);
}

QString TfmKorvane::Caption()
{
    return QStringLiteral("Откатчик \"Горвик\"");
}
