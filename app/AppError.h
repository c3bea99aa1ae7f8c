#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// A failed user action. Carries the Russian text that the application's
// general error display shows to the user; handlers let it propagate to that
// display, which abandons the action.
class EAppError : public std::exception
{
public:
    explicit EAppError(const QString &AMessage);

    const QString &Message() const noexcept { return FMessage; }
    const char *what() const noexcept override { return FUtf8.constData(); }

private:
    QString FMessage;
    QByteArray FUtf8;
};

// A text in a file or a field that cannot be read as the number, integer or
// colour it should be.
class EConvertError : public EAppError
{
public:
    using EAppError::EAppError;
};

// A file or folder that could not be read, written or created.
class EFileError : public EAppError
{
public:
    using EAppError::EAppError;
};

// Ends an action whose message has already been shown, without a second one.
class ESilentAbort : public std::exception
{
public:
    const char *what() const noexcept override { return "silent abort"; }
};
