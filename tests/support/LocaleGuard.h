#pragma once

#include <QLocale>

// Sets the default locale for one scope and restores the previous one.
class TLocaleGuard
{
public:
    explicit TLocaleGuard(const QLocale &ALocale) : FPrevious(QLocale())
    {
        QLocale::setDefault(ALocale);
    }
    explicit TLocaleGuard(const QString &AName) : TLocaleGuard(QLocale(AName)) {}
    ~TLocaleGuard() { QLocale::setDefault(FPrevious); }
    TLocaleGuard(const TLocaleGuard &) = delete;
    TLocaleGuard &operator=(const TLocaleGuard &) = delete;

private:
    QLocale FPrevious;
};
