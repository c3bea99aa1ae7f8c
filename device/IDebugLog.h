#pragma once

#include <QString>

// The main window's hidden debug memo, which shows the device's lines.
class IDebugLog
{
public:
    virtual ~IDebugLog() = default;
    // Lines held; an empty log holds none.
    virtual int LineCount() const = 0;
    virtual void Clear() = 0;
    virtual void Append(const QString &ALine) = 0;
};
